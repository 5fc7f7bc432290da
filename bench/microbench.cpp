// Client-side passes of the generation run, without a server.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "core/random.h"
#include "loot/draws.h"

namespace {

// 32 items from a candidate list of exactly 32 distinct ids: every id is taken,
// the hardest case for a draw that must not repeat an id.
void BM_draw_32_of_32_distinct(benchmark::State& state) {
  std::vector<std::int32_t> candidates;
  for (std::int32_t id = 1001; id < 1001 + 32; ++id) candidates.push_back(id);
  vl::loot::CandidatePool pool = vl::loot::candidate_pool(candidates);
  vl::Random random;
  std::array<std::int32_t, 32> out{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(vl::loot::draw_distinct_ids(pool, 32, random, out));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_draw_32_of_32_distinct)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
