#pragma once
// Memory readings for the runner: the C++ allocations of the whole process
// (counted by replacing the global operator new), the heap in use including
// what the ODBC driver allocates, and the peak resident size.

#include <cstdint>

namespace vl::bench {

struct HeapReading {
  std::uint64_t allocations = 0;  // operator new calls since start
  std::int64_t live_bytes = 0;    // bytes held through operator new
  std::int64_t heap_in_use = 0;   // malloc's bytes in use (all allocators)
};

HeapReading heap_now();

// Just HeapReading::live_bytes: a counter read, cheap enough for a hot loop.
std::int64_t live_bytes_now();

// The most bytes held through operator new at any one time since start.
std::int64_t peak_live_bytes();

// Peak resident set size of the process in KiB.
long peak_rss_kib();

}  // namespace vl::bench
