#pragma once
// The sample world's own pseudo-random numbers. Only integer arithmetic with
// fixed widths, and no std distributions (their results differ between
// standard libraries), so that a seed gives the same world everywhere.

#include <cstdint>
#include <span>

namespace vl::world {

class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed) {}

  // splitmix64: one add, two multiply-xorshift rounds; passes the usual
  // statistical batteries and is trivially portable.
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  // Uniform in [lo, hi]. Rejection keeps every value equally likely.
  int between(int lo, int hi) {
    if (hi <= lo) return lo;
    const std::uint64_t span = static_cast<std::uint64_t>(hi - lo) + 1;
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % span;
    std::uint64_t x = next();
    while (x >= limit) x = next();
    return lo + static_cast<int>(x % span);
  }

  // True in `percent` cases out of a hundred.
  bool percent(int percent) { return between(1, 100) <= percent; }

  template <typename T>
  const T& pick(std::span<const T> choices) {
    return choices[static_cast<std::size_t>(between(0, static_cast<int>(choices.size()) - 1))];
  }

 private:
  std::uint64_t state_;
};

}  // namespace vl::world
