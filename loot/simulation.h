#pragma once
// What a player gets per kill of each chosen NPC by the game server's loot
// rules, computed from the world as it is; optionally a number of kills rolled
// by the same rules beside it. Reads only.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/odbc.h"
#include "db/session.h"
#include "loot/aim_solver.h"
#include "loot/drop_world.h"
#include "loot/spawn_rates.h"

namespace vl::loot {

// Which NPCs, by what multiplier, and how many kills to roll beside the figures.
struct SimulationRequest {
  std::vector<std::int64_t> npc_ids;  // none: the NPCs of the levels low to high
  int low = 0, high = 0;
  int loot_multiplier = 1;
  std::optional<long long> kills;
  std::optional<SpawnOptions> per_hour;  // also how many items each NPC's spawns bring an hour
  // Also how the world keeps loottable probabilities, for a drop solved for an aim.
  bool read_probability_column = false;
};

struct Observed {
  double any = 0;    // the share of rolled kills that gave anything
  double items = 0;  // item copies per rolled kill
};

struct NpcSimulation {
  WorldNpc npc;
  const DropRates* rates = nullptr;  // in Simulation::rates
  std::optional<Observed> observed;
  bool loottable_exists = true;  // its loottable has a row of its own
  NpcSpawns spawns;              // with a per-hour request
  double items_per_hour = 0;     // item copies its spawns bring
};

struct HourlyItem {
  std::int64_t item_id = 0;
  double per_hour = 0;  // copies
};

// What the NPCs of a simulation bring into the world an hour, all together.
struct PerHour {
  SpawnOptions options;
  double spawns = 0, items = 0;
  long long never_spawn = 0;  // NPCs no counted point spawns
  long long conditional_points = 0, inactive_points = 0;
  std::vector<std::int64_t> dead_points;  // variance over twice the respawn time
  std::vector<HourlyItem> by_item;        // largest first, then by id
};

struct Simulation {
  std::vector<NpcSimulation> npcs;  // by id
  // NPCs of one loottable and level drop alike: computed once for each such pair.
  std::map<std::pair<std::int64_t, int>, DropRates> rates;
  std::unordered_map<std::int64_t, std::string> item_names;
  std::vector<std::int64_t> unknown_ids;  // of the request's ids, naming no NPC
  int loot_multiplier = 1;
  std::optional<ProbabilityColumn> probability_column;  // when the request asked for it
  std::optional<PerHour> per_hour;

  // The name of an item; "" for one the world lacks.
  const std::string& item_name(std::int64_t id) const;
};

// Reads the world of the request's NPCs and computes their drop rates; with
// request.kills, rolls that many kills of each from `seed`. `beside`: a second
// connection to read on at the same time (see read_drop_world); `spawns_beside`,
// a third on which the spawn tables are read meanwhile. Throws db::Error,
// MissingSpawnTable.
Simulation simulate(db::Connection& connection, db::Connection* beside,
                    const SimulationRequest& request, std::uint64_t seed,
                    db::Connection* spawns_beside = nullptr);

// Fills the per-hour figures of the simulation's NPCs from their spawns.
void add_per_hour(Simulation& simulation, const SpawnRates& spawns, const SpawnOptions& options);

// simulate() over a connection of the state's session; a statement the server
// rejects gives no simulation and the message to show. Throws db::ConnectionFailed.
struct SimulationRead {
  std::optional<Simulation> simulation;
  std::string failure;  // why there is none
};
SimulationRead simulate_world(db::Session& state, const SimulationRequest& request,
                              std::uint64_t seed);

}  // namespace vl::loot
