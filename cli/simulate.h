#pragma once
// "simulate": what a player gets per kill of each chosen NPC by the game
// server's loot rules, computed from the world as it is; optionally a number of
// kills rolled by the same rules beside it. Reads only.

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/ui_port.h"
#include "cli/options.h"
#include "db/odbc.h"
#include "db/session.h"
#include "loot/drop_world.h"

namespace vl::cli {

struct Observed {
  double any = 0;    // the share of rolled kills that gave anything
  double items = 0;  // item copies per rolled kill
};

struct NpcSimulation {
  loot::WorldNpc npc;
  const loot::DropRates* rates = nullptr;  // in Simulation::rates
  std::optional<Observed> observed;
};

struct Simulation {
  std::vector<NpcSimulation> npcs;  // by id
  // NPCs of one loottable and level drop alike: computed once for each such pair.
  std::map<std::pair<std::int64_t, int>, loot::DropRates> rates;
  std::unordered_map<std::int64_t, std::string> item_names;
  std::vector<std::int64_t> unknown_ids;  // of --npc, naming no NPC
  int loot_multiplier = 1;
};

// Reads the world of the invocation's NPCs and computes their drop rates;
// with run.kills, rolls that many kills of each from `seed`. `beside`: a second
// connection to read on at the same time (see read_drop_world). Throws db::Error.
Simulation simulate(db::Connection& connection, db::Connection* beside, const Invocation& run,
                    std::uint64_t seed);

// simulate() over a connection of the state's session; a statement the server
// rejects is shown on `port` and gives nothing. Throws db::ConnectionFailed.
std::optional<Simulation> simulate_world(db::Session& state, UiPort& port, const Invocation& run,
                                         std::uint64_t seed);

// What simulate prints: the result on standard output (a table ends with the
// note on what the figures leave out), the notes on standard error (ids that
// name no NPC; for CSV and JSON also that note).
void write_simulation(std::ostream& out, const Simulation& simulation, Format format);
std::string simulation_notes(const Simulation& simulation, Format format);

// What the figures leave out, for the loot multiplier they were computed with.
std::string left_out_note(int loot_multiplier);

}  // namespace vl::cli
