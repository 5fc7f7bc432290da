#include "bench/heap_meter.h"

#include <malloc.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> allocation_count{0};
std::atomic<std::int64_t> live_byte_count{0};
std::atomic<std::int64_t> peak_live_byte_count{0};

// Kept on every allocation: a reading between two steps of a command would miss
// what lives only inside one of them.
void note_live_bytes(std::int64_t live) {
  std::int64_t peak = peak_live_byte_count.load(std::memory_order_relaxed);
  while (live > peak &&
         !peak_live_byte_count.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
  }
}

void* counted_allocation(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  allocation_count.fetch_add(1, std::memory_order_relaxed);
  const auto size_held = static_cast<std::int64_t>(malloc_usable_size(p));
  note_live_bytes(live_byte_count.fetch_add(size_held, std::memory_order_relaxed) + size_held);
  return p;
}

void counted_release(void* p) noexcept {
  if (!p) return;
  live_byte_count.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)),
                            std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return counted_allocation(size); }
void* operator new[](std::size_t size) { return counted_allocation(size); }
void operator delete(void* p) noexcept { counted_release(p); }
void operator delete[](void* p) noexcept { counted_release(p); }
void operator delete(void* p, std::size_t) noexcept { counted_release(p); }
void operator delete[](void* p, std::size_t) noexcept { counted_release(p); }

namespace vl::bench {

HeapReading heap_now() {
  const struct mallinfo2 info = mallinfo2();
  return {allocation_count.load(std::memory_order_relaxed),
          live_byte_count.load(std::memory_order_relaxed),
          static_cast<std::int64_t>(info.uordblks + info.hblkhd)};
}

std::int64_t live_bytes_now() { return live_byte_count.load(std::memory_order_relaxed); }

std::int64_t peak_live_bytes() { return peak_live_byte_count.load(std::memory_order_relaxed); }

long peak_rss_kib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace vl::bench
