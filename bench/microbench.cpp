// Client-side passes of the generation run, without a server.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/window/program_state.h"
#include "app/window/window_loot.h"
#include "core/random.h"
#include "loot/aim_solver.h"
#include "loot/draws.h"
#include "loot/npc_pass.h"

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

// The candidate pool of a full candidate list (32767 distinct item ids), as a
// run builds it from the candidate slots.
void BM_candidate_pool(benchmark::State& state) {
  auto program = std::make_unique<vl::ProgramState>();
  const auto count = static_cast<int>(state.range(0));
  for (int slot = 1; slot <= count; ++slot) program->custom_item_ids[slot] = 1000.0 + slot;
  program->candidate_count = static_cast<std::int16_t>(count);
  for (auto _ : state) {
    vl::loot::CandidatePool pool = vl::loot::candidate_pool(*program);
    benchmark::DoNotOptimize(pool.distinct_ids);
  }
}
BENCHMARK(BM_candidate_pool)->Arg(5154)->Arg(32767)->Unit(benchmark::kMillisecond);

// What a run pays per chosen NPC to get its pool when nothing changed meanwhile.
void BM_candidate_pool_cache_unchanged(benchmark::State& state) {
  auto program = std::make_unique<vl::ProgramState>();
  const auto count = static_cast<int>(state.range(0));
  for (int slot = 1; slot <= count; ++slot) program->custom_item_ids[slot] = 1000.0 + slot;
  program->candidate_count = static_cast<std::int16_t>(count);
  vl::loot::CandidatePoolCache cache;
  const vl::loot::CandidateSlots slots{program->custom_item_ids, program->candidate_count};
  cache.current(slots);
  for (auto _ : state) benchmark::DoNotOptimize(cache.current(slots).distinct_ids);
}
BENCHMARK(BM_candidate_pool_cache_unchanged)->Arg(5154)->Arg(32767)->Unit(benchmark::kMillisecond);

// NPCs of a range as the NPC query returns them: `per_loottable` NPCs share
// each loottable, every 14th has none.
std::vector<vl::loot::Npc> npcs_of_range(int count, int per_loottable) {
  std::vector<vl::loot::Npc> npcs(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    npcs[static_cast<std::size_t>(i)].loottable = i % 14 == 13 ? 0 : 1 + i / per_loottable;
  }
  return npcs;
}

// The pass that leaves each loottable to its first NPC; arg 0: NPCs, arg 1:
// NPCs per loottable. Reported per NPC through the items rate.
void BM_keep_one_npc_per_loottable(benchmark::State& state) {
  const auto count = static_cast<int>(state.range(0));
  const std::vector<vl::loot::Npc> original =
      npcs_of_range(count, static_cast<int>(state.range(1)));
  std::vector<vl::loot::Npc> npcs;
  for (auto _ : state) {
    state.PauseTiming();
    npcs = original;
    state.ResumeTiming();
    vl::loot::keep_one_npc_per_loottable(npcs);
    benchmark::DoNotOptimize(npcs.data());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_keep_one_npc_per_loottable)
    ->ArgNames({"npcs", "per_loottable"})
    ->Args({1024, 1})
    ->Args({8192, 1})
    ->Args({32767, 1})
    ->Args({32767, 60})
    ->Unit(benchmark::kMillisecond);

// The "every NPC at least 30 %" aim solved for every NPC of the largest range,
// their chance before spread over 0 to 60 %: half already at the aim, the
// lowest needing their chance of 1 raised. Reported per NPC.
void BM_aim_level_to(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  std::vector<double> before(count);
  for (std::size_t i = 0; i < count; ++i) before[i] = 0.6 * static_cast<double>(i) / count;
  for (auto _ : state) {
    vl::loot::AimSummary summary;
    for (const double p_any : before)
      summary.add(vl::loot::aim_npc_rate(0.3, p_any, {5, 1, 1},
                                         vl::loot::ProbabilityColumn::whole_numbers));
    benchmark::DoNotOptimize(summary.drops);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_aim_level_to)->Arg(32767)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
