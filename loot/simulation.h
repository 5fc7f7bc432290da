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

namespace vl::loot {

// Which NPCs, by what multiplier, and how many kills to roll beside the figures.
struct SimulationRequest {
  std::vector<std::int64_t> npc_ids;  // none: the NPCs of the levels low to high
  int low = 0, high = 0;
  int loot_multiplier = 1;
  std::optional<long long> kills;
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
};

struct Simulation {
  std::vector<NpcSimulation> npcs;  // by id
  // NPCs of one loottable and level drop alike: computed once for each such pair.
  std::map<std::pair<std::int64_t, int>, DropRates> rates;
  std::unordered_map<std::int64_t, std::string> item_names;
  std::vector<std::int64_t> unknown_ids;  // of the request's ids, naming no NPC
  int loot_multiplier = 1;
  std::optional<ProbabilityColumn> probability_column;  // when the request asked for it

  // The name of an item; "" for one the world lacks.
  const std::string& item_name(std::int64_t id) const;
};

// Reads the world of the request's NPCs and computes their drop rates; with
// request.kills, rolls that many kills of each from `seed`. `beside`: a second
// connection to read on at the same time (see read_drop_world). Throws db::Error.
Simulation simulate(db::Connection& connection, db::Connection* beside,
                    const SimulationRequest& request, std::uint64_t seed);

// simulate() over a connection of the state's session; a statement the server
// rejects gives no simulation and the message to show. Throws db::ConnectionFailed.
struct SimulationRead {
  std::optional<Simulation> simulation;
  std::string failure;  // why there is none
};
SimulationRead simulate_world(db::Session& state, const SimulationRequest& request,
                              std::uint64_t seed);

}  // namespace vl::loot
