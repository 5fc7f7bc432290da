#include "loot/simulation.h"

#include <algorithm>
#include <memory>
#include <random>

#include "db/database.h"
#include "loot/kill_roller.h"
#include "loot/probability_column.h"

namespace vl::loot {
namespace {

Observed roll_kills(const DropWorld& world, const WorldNpc& npc, int loot_multiplier,
                    long long kills, std::mt19937_64& random) {
  const KillRoller roller(world.tables, npc.loottable_id, npc.level, loot_multiplier);
  std::vector<std::int64_t> drops;
  long long any = 0, copies = 0;
  for (long long kill = 0; kill < kills; ++kill) {
    roller.roll(random, drops);
    any += drops.empty() ? 0 : 1;
    copies += static_cast<long long>(drops.size());
  }
  return {static_cast<double>(any) / static_cast<double>(kills),
          static_cast<double>(copies) / static_cast<double>(kills)};
}

}  // namespace

const std::string& Simulation::item_name(std::int64_t id) const {
  static const std::string kNone;
  const auto found = item_names.find(id);
  return found == item_names.end() ? kNone : found->second;
}

Simulation simulate(db::Connection& connection, db::Connection* beside,
                    const SimulationRequest& request, std::uint64_t seed) {
  const DropWorld world =
      read_drop_world(connection,
                      request.npc_ids.empty() ? npcs_of_levels(request.low, request.high)
                                              : npcs_of_ids(request.npc_ids),
                      beside);
  Simulation simulation;
  simulation.loot_multiplier = request.loot_multiplier;
  simulation.item_names = world.item_names;
  for (const std::int64_t id : request.npc_ids) {
    const auto found =
        std::lower_bound(world.npcs.begin(), world.npcs.end(), id,
                         [](const WorldNpc& npc, std::int64_t wanted) { return npc.id < wanted; });
    if (found == world.npcs.end() || found->id != id) simulation.unknown_ids.push_back(id);
  }
  if (request.read_probability_column)
    simulation.probability_column = probability_column(connection);
  std::mt19937_64 random(seed);
  for (const WorldNpc& npc : world.npcs) {
    auto [at, fresh] = simulation.rates.try_emplace({npc.loottable_id, npc.level});
    if (fresh)
      at->second = drop_rates(world.tables, npc.loottable_id, npc.level, request.loot_multiplier);
    NpcSimulation row{npc, &at->second, std::nullopt,
                      world.tables.loottables.contains(npc.loottable_id)};
    if (request.kills)
      row.observed = roll_kills(world, npc, request.loot_multiplier, *request.kills, random);
    simulation.npcs.push_back(std::move(row));
  }
  return simulation;
}

SimulationRead simulate_world(db::Session& state, const SimulationRequest& request,
                              std::uint64_t seed) {
  db::open_database(state);
  // A second connection reads the lootdrops meanwhile; without one, one reads all.
  std::unique_ptr<db::Connection> beside;
  try {
    beside = std::make_unique<db::Connection>(db::connection_string(state));
  } catch (const db::Error&) {
  }
  SimulationRead read;
  try {
    read.simulation = simulate(*state.db_connection, beside.get(), request, seed);
  } catch (const db::Error& error) {
    read.failure = db::statement_failed_message(error, "(reading the world for the drop rates)");
  }
  state.db_connection->close();
  return read;
}

}  // namespace vl::loot
