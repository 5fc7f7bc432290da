#include "loot/simulation.h"

#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <random>

#include "db/database.h"
#include "loot/kill_roller.h"
#include "loot/probability_column.h"
#include "loot/spawn_world.h"

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

void add_per_hour(Simulation& simulation, const SpawnRates& spawns, const SpawnOptions& options) {
  PerHour total{.options = options,
                .conditional_points = spawns.conditional_points,
                .inactive_points = spawns.inactive_points,
                .dead_points = spawns.dead_points,
                .by_item = {}};
  std::unordered_map<std::int64_t, double> items;
  for (NpcSimulation& row : simulation.npcs) {
    row.spawns = spawns.of(row.npc.id);
    row.items_per_hour = row.spawns.per_hour * row.rates->expected_items;
    total.spawns += row.spawns.per_hour;
    total.items += row.items_per_hour;
    if (row.spawns.per_hour <= 0) ++total.never_spawn;
    for (const ItemRate& item : row.rates->items)
      items[item.item_id] += row.spawns.per_hour * item.expected;
  }
  for (const auto& [id, per_hour] : items) {
    if (per_hour > 0) total.by_item.push_back({id, per_hour});
  }
  std::sort(total.by_item.begin(), total.by_item.end(), [](const auto& a, const auto& b) {
    return a.per_hour != b.per_hour ? a.per_hour > b.per_hour : a.item_id < b.item_id;
  });
  simulation.per_hour = std::move(total);
}

const std::string& Simulation::item_name(std::int64_t id) const {
  static const std::string kNone;
  const auto found = item_names.find(id);
  return found == item_names.end() ? kNone : found->second;
}

Simulation simulate(db::Connection& connection, db::Connection* beside,
                    const SimulationRequest& request, std::uint64_t seed,
                    db::Connection* spawns_beside) {
  const std::string npc_condition = request.npc_ids.empty()
                                        ? npcs_of_levels(request.low, request.high)
                                        : npcs_of_ids(request.npc_ids);
  const auto read_spawns = [&npc_condition, &request](db::Connection& on) {
    return spawn_rates(read_spawn_world(on, npc_condition), *request.per_hour);
  };
  // On a connection of their own the spawn tables are read while the loot is;
  // on the one connection first, so that a missing spawn table stops the command early.
  std::future<SpawnRates> spawns_read;
  std::optional<SpawnRates> spawns;
  if (request.per_hour && spawns_beside) {
    spawns_read = std::async(std::launch::async, read_spawns, std::ref(*spawns_beside));
  } else if (request.per_hour) {
    spawns = read_spawns(connection);
  }
  const DropWorld world = read_drop_world(connection, npc_condition, beside);
  if (spawns_read.valid()) spawns = spawns_read.get();
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
    NpcSimulation row;
    row.npc = npc;
    row.rates = &at->second;
    row.loottable_exists = world.tables.loottables.contains(npc.loottable_id);
    if (request.kills)
      row.observed = roll_kills(world, npc, request.loot_multiplier, *request.kills, random);
    simulation.npcs.push_back(std::move(row));
  }
  if (spawns) add_per_hour(simulation, *spawns, *request.per_hour);
  return simulation;
}

SimulationRead simulate_world(db::Session& state, const SimulationRequest& request,
                              std::uint64_t seed) {
  db::open_database(state);
  // A second connection reads the lootdrops meanwhile; without one, one reads all.
  std::unique_ptr<db::Connection> beside, spawns_beside;
  try {
    beside = std::make_unique<db::Connection>(db::connection_string(state));
    if (request.per_hour)
      spawns_beside = std::make_unique<db::Connection>(db::connection_string(state));
  } catch (const db::Error&) {
  }
  SimulationRead read;
  try {
    read.simulation =
        simulate(*state.db_connection, beside.get(), request, seed, spawns_beside.get());
  } catch (const db::Error& error) {
    read.failure = db::statement_failed_message(error, "(reading the world for the drop rates)");
  } catch (const MissingSpawnTable& missing) {
    read.failure = "The world database has no " + missing.table() +
                   " table: items per hour cannot be worked out without the spawn tables.";
  }
  state.db_connection->close();
  return read;
}

}  // namespace vl::loot
