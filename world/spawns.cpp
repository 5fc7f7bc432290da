// The spawn tables of the sample world: groups of one to three NPC types with
// chances that need not add up to 100, time windows (some past midnight),
// points with variances, conditions and disabled points, a few entries of
// NPC types the world lacks, and NPCs that stand at no point.

#include <algorithm>
#include <array>

#include "world/world_model.h"

namespace vl::world {
namespace {

constexpr std::uint64_t kSpawnStream = 0x5a3f9e11c0d2b7a1ULL;  // apart from the loot rows' draws
constexpr int kFirstSpawnGroupId = 1;
constexpr int kFirstSpawnPointId = 1;
constexpr int kMissingNpcId = 999999;
constexpr std::array<int, 6> kRespawnTimes{90, 360, 600, 1200, 2400, 6600};

SpawnEntryRow entry_of(Prng& rng, int group_id, int npc_id) {
  SpawnEntryRow entry{group_id, npc_id, rng.between(0, 12) * 5, 1, 0, 0};
  if (rng.percent(12)) {
    entry.min_time = rng.between(1, 24);
    entry.max_time = rng.between(1, 24);  // below min_time: past midnight
  }
  return entry;
}

SpawnPointRow point_of(Prng& rng, int id, int group_id) {
  const int respawn = kRespawnTimes[static_cast<std::size_t>(rng.between(0, 5))];
  SpawnPointRow point{id, group_id, respawn, rng.between(0, 2) * respawn / 4, 0, 1, false};
  if (rng.percent(3)) point.variance = 2 * respawn + rng.between(1, 60);  // the timer wraps
  if (rng.percent(6)) point.condition = rng.between(1, 3);
  point.disabled = rng.percent(5);
  return point;
}

}  // namespace

void add_spawns(World& world, const Options& options) {
  Prng rng(options.seed ^ kSpawnStream);
  // Every tenth NPC stands nowhere; the others fill groups of one to three.
  std::vector<int> standing;
  for (const Npc& npc : world.npcs) {
    if (npc.id % 10 != 7) standing.push_back(npc.id);
  }
  for (std::size_t next = 0; next < standing.size();) {
    const int group_id = kFirstSpawnGroupId + static_cast<int>(world.spawn_groups.size());
    world.spawn_groups.push_back(
        {group_id, "group_" + std::to_string(group_id), rng.percent(10) ? rng.between(1, 3) : 0});
    const auto size =
        std::min<std::size_t>(static_cast<std::size_t>(rng.between(1, 3)), standing.size() - next);
    for (std::size_t n = 0; n < size; ++n)
      world.spawn_entries.push_back(entry_of(rng, group_id, standing[next + n]));
    if (world.spawn_entries.back().chance == 0) world.spawn_entries.back().chance = 25;
    if (rng.percent(2)) world.spawn_entries.push_back({group_id, kMissingNpcId, 20, 1, 0, 0});
    next += size;
  }
  if (world.spawn_groups.empty()) return;
  const int points =
      options.spawn_points < 0 ? static_cast<int>(world.npcs.size()) : options.spawn_points;
  const int groups = static_cast<int>(world.spawn_groups.size());
  for (int n = 0; n < points; ++n) {
    // Each group gets one point before any gets a second.
    const int group = n < groups ? n : rng.between(0, groups - 1);
    world.spawn_points.push_back(point_of(rng, kFirstSpawnPointId + n, kFirstSpawnGroupId + group));
  }
}

}  // namespace vl::world
