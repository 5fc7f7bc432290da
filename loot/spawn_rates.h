#pragma once
// How often each NPC type spawns, from the spawn tables' rows given as values.
// Loot is rolled at spawn, so spawns are loot rolls; the figures assume every
// NPC dies the moment it spawns, which makes them an upper bound and leaves
// the spawn limits without effect. No sampling: a closed form per point.

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vl::loot {

struct SpawnPoint {  // a spawn2 row, with what the other tables say of it
  std::int64_t id = 0;
  std::int64_t group_id = 0;
  double respawn_seconds = 0;
  double variance_seconds = 0;
  std::int64_t condition = 0;  // 0: spawns whatever the world's conditions
  std::int64_t condition_value = 1;
  bool disabled = false;
  bool group_exists = true;
};

struct SpawnEntry {  // a spawnentry row
  std::int64_t group_id = 0;
  std::int64_t npc_id = 0;
  double chance = 0;
  std::int64_t condition_filter = 1;
  int min_time = 0, max_time = 0;  // in-game hours 1 to 24; 0: no window
  bool npc_exists = true;
};

struct SpawnTables {
  std::vector<SpawnPoint> points;
  std::vector<SpawnEntry> entries;
};

struct SpawnOptions {
  int instances = 1;              // of every zone
  bool with_conditional = false;  // count the points that wait on a condition as met
};

struct NpcSpawns {
  long long points = 0;              // the points counted that can spawn it
  long long conditional_points = 0;  // those waiting on a condition, left out
  double per_hour = 0;               // spawns per real hour
};

struct SpawnRates {
  std::unordered_map<std::int64_t, NpcSpawns> npcs;  // those some point can spawn
  std::vector<std::int64_t> dead_points;             // variance over twice the respawn time, by id
  long long conditional_points = 0;                  // left out (all 0 with_conditional)
  long long inactive_points = 0;  // disabled, of no group, or nothing can take part

  // The NPC's figures; zero for one no point spawns.
  const NpcSpawns& of(std::int64_t npc_id) const;
};

// Kills per real hour at a point whose NPC dies at once.
double kills_per_hour(double respawn_seconds);

// In-game hours last 3 real minutes; a window runs from min_time to max_time
// inclusive, past midnight when max_time < min_time.
bool takes_part_in_hour(const SpawnEntry& entry, int hour);

SpawnRates spawn_rates(const SpawnTables& tables, const SpawnOptions& options);

// What the per-hour figures assume, for the output's notes.
inline constexpr std::string_view kSpawnAssumptions[] = {
    "every NPC is killed the moment it spawns (an upper bound), so spawn limits "
    "(spawngroup.spawn_limit, npc_types.spawn_limit) never bind",
    "every zone runs with its points' version and content filters passing; "
    "spawn2_disabled rows of a particular instance are not applied",
    "a point whose respawn variance is over twice its respawn time is counted as never spawning",
};

}  // namespace vl::loot
