#pragma once
// The program's one pseudo-random generator: single-precision numbers in [0, 1).

#include <cstdint>

namespace vl {

class Random {
 public:
  explicit Random(std::uint64_t seed = 0x5eed5eedULL);

  // Next number, uniformly distributed in [0, 1), single precision.
  float next();

  // Re-seeding from the time of day. The time is mixed into the current state
  // instead of replacing it, so two re-seeds within the same clock tick never
  // make the following draws repeat each other.
  void reseed_from_time();

  // Mixes the given value into the state; reseed_from_time() uses it with the
  // seconds since midnight. Tests use it to make re-seeding deterministic.
  void mix(std::uint64_t value);

  // Replaces the whole state (tests and benchmarks).
  void seed(std::uint64_t seed);

  // Seeds the generator for good: later re-seeds from the time of day do
  // nothing, so that a run can be repeated from its seed alone.
  void pin_seed(std::uint64_t seed);

 private:
  std::uint64_t s_[4];
  bool pinned_ = false;
};

// A seed picked at random, for a run given none (shown, so that it can be repeated).
std::uint64_t random_seed();

}  // namespace vl
