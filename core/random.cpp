#include "core/random.h"

#include <chrono>
#include <ctime>
#include <random>

// xoshiro256** (Blackman and Vigna), its state filled through splitmix64.

namespace vl {

namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

std::uint64_t next_u64(std::uint64_t (&s)[4]) {
  const std::uint64_t result = rotl(s[1] * 5, 7) * 9;
  const std::uint64_t t = s[1] << 17;
  s[2] ^= s[0];
  s[3] ^= s[1];
  s[1] ^= s[2];
  s[0] ^= s[3];
  s[2] ^= t;
  s[3] = rotl(s[3], 45);
  return result;
}

// The all-zero state is the one state xoshiro never leaves.
void avoid_zero_state(std::uint64_t (&s)[4]) {
  if ((s[0] | s[1] | s[2] | s[3]) == 0) s[0] = 0x9e3779b97f4a7c15ULL;
}

}  // namespace

Random::Random(std::uint64_t seed_value) { seed(seed_value); }

float Random::next() {
  // 24 bits fill a float's significand exactly, so the largest result is
  // 1 - 2^-24 and rounding can never reach 1.0.
  const auto top = static_cast<std::uint32_t>(next_u64(s_) >> 40);
  return static_cast<float>(top) * 0x1.0p-24f;
}

void Random::seed(std::uint64_t seed_value) {
  std::uint64_t x = seed_value;
  for (auto& word : s_) word = splitmix64(x);
  avoid_zero_state(s_);
}

void Random::mix(std::uint64_t value) {
  // The value is combined with an output of the current state, and the state
  // moves on, so mixing the same value twice never cancels out or repeats.
  std::uint64_t x = value ^ next_u64(s_);
  for (auto& word : s_) word ^= splitmix64(x);
  avoid_zero_state(s_);
}

void Random::pin_seed(std::uint64_t seed_value) {
  seed(seed_value);
  pinned_ = true;
}

void Random::reseed_from_time() {
  if (pinned_) return;
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const int since_midnight = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  mix(static_cast<std::uint64_t>(since_midnight));
  // The sub-second part: two re-seeds in the same second still differ.
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  mix(static_cast<std::uint64_t>(ticks));
}

std::uint64_t random_seed() {
  std::random_device device;
  return (std::uint64_t{device()} << 32) | device();
}

}  // namespace vl
