#include "cli/simulate.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <random>

#include "cli/output.h"
#include "db/database.h"
#include "loot/kill_roller.h"

namespace vl::cli {
namespace {

Observed roll_kills(const loot::DropWorld& world, const loot::WorldNpc& npc, int loot_multiplier,
                    long long kills, std::mt19937_64& random) {
  const loot::KillRoller roller(world.tables, npc.loottable_id, npc.level, loot_multiplier);
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

const std::string& item_name(const Simulation& simulation, std::int64_t id) {
  static const std::string kNone;
  const auto found = simulation.item_names.find(id);
  return found == simulation.item_names.end() ? kNone : found->second;
}

// A JSON string as every JSON output writes it (bytes that are no UTF-8 replaced, said
// once); plain ASCII, nearly every name, written here at once.
void append_json_string(fmt::memory_buffer& out, const std::string& text) {
  if (std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; })) {
    const std::string json = json_text(nlohmann::ordered_json(text));
    out.append(json.data(), json.data() + json.size());
    return;
  }
  out.push_back('"');
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (static_cast<unsigned char>(c) < 0x20) {
      fmt::format_to(std::back_inserter(out), "\\u{:04x}", static_cast<unsigned char>(c));
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

void write_table(std::ostream& out, const Simulation& simulation) {
  for (const NpcSimulation& row : simulation.npcs) {
    out << fmt::format(
        "NPC {} {} (level {}), loottable {}: {:.2f} % chance of anything, {:.4g} "
        "items per kill",
        row.npc.id, terminal_text(row.npc.name), row.npc.level, row.npc.loottable_id,
        row.rates->p_any * 100, row.rates->expected_items);
    if (row.observed) {
      out << fmt::format("; rolled: {:.2f} % gave anything, {:.4g} items per kill",
                         row.observed->any * 100, row.observed->items);
    }
    out << "\n";
    for (const loot::ItemRate& item : row.rates->items) {
      out << fmt::format("  item {} {}: {:.4g} per kill\n", item.item_id,
                         terminal_text(item_name(simulation, item.item_id)), item.expected);
    }
  }
  if (simulation.npcs.empty()) out << "No NPC matches.\n";
  out << left_out_note(simulation.loot_multiplier);
}

void write_csv(std::ostream& out, const Simulation& simulation) {
  const bool observed = !simulation.npcs.empty() && simulation.npcs.front().observed;
  out << "npc_id,npc_name,npc_level,loottable_id,p_any,expected_items,item_id,item_name,expected"
      << (observed ? ",observed_any,observed_items\n" : "\n");
  for (const NpcSimulation& row : simulation.npcs) {
    const std::string npc =
        fmt::format("{},{},{},{},{},{},", row.npc.id, csv_text(row.npc.name), row.npc.level,
                    row.npc.loottable_id, row.rates->p_any, row.rates->expected_items);
    const std::string seen =
        row.observed ? fmt::format(",{},{}", row.observed->any, row.observed->items) : "";
    if (row.rates->items.empty()) out << npc << ",," << seen << "\n";
    for (const loot::ItemRate& item : row.rates->items) {
      out << npc << item.item_id << "," << csv_text(item_name(simulation, item.item_id)) << ","
          << fmt::format("{}", item.expected) << seen << "\n";
    }
  }
}

// Written record by record, without a JSON tree: a large world's figures never
// stand whole in memory, and tens of thousands of records take no noticeable time.
void write_json(std::ostream& out, const Simulation& simulation) {
  fmt::memory_buffer record;
  const auto to = std::back_inserter(record);
  out << "[";
  for (const NpcSimulation& row : simulation.npcs) {
    fmt::format_to(to, R"({}{{"npc_id":{},"npc_name":)",
                   &row == &simulation.npcs.front() ? "\n" : ",\n", row.npc.id);
    append_json_string(record, row.npc.name);
    fmt::format_to(
        to, R"(,"npc_level":{},"loottable_id":{},"p_any":{},"expected_items":{},"items":[)",
        row.npc.level, row.npc.loottable_id, row.rates->p_any, row.rates->expected_items);
    for (const loot::ItemRate& item : row.rates->items) {
      fmt::format_to(to, R"({}{{"item_id":{},"item_name":)",
                     &item == &row.rates->items.front() ? "" : ",", item.item_id);
      append_json_string(record, item_name(simulation, item.item_id));
      fmt::format_to(to, R"(,"expected":{}}})", item.expected);
    }
    record.push_back(']');
    if (row.observed) {
      fmt::format_to(to, R"(,"observed_any":{},"observed_items":{})", row.observed->any,
                     row.observed->items);
    }
    record.push_back('}');
    out.write(record.data(), static_cast<std::streamsize>(record.size()));
    record.clear();
  }
  out << (simulation.npcs.empty() ? "]\n" : "\n]\n");
}

}  // namespace

Simulation simulate(db::Connection& connection, db::Connection* beside, const Invocation& run,
                    std::uint64_t seed) {
  const loot::DropWorld world = loot::read_drop_world(
      connection,
      run.npc_ids.empty() ? loot::npcs_of_levels(run.simulate_low, run.simulate_high)
                          : loot::npcs_of_ids(run.npc_ids),
      beside);
  Simulation simulation;
  simulation.loot_multiplier = run.loot_multiplier;
  simulation.item_names = world.item_names;
  for (const std::int64_t id : run.npc_ids) {
    const auto found = std::lower_bound(
        world.npcs.begin(), world.npcs.end(), id,
        [](const loot::WorldNpc& npc, std::int64_t wanted) { return npc.id < wanted; });
    if (found == world.npcs.end() || found->id != id) simulation.unknown_ids.push_back(id);
  }
  std::mt19937_64 random(seed);
  for (const loot::WorldNpc& npc : world.npcs) {
    auto [at, fresh] = simulation.rates.try_emplace({npc.loottable_id, npc.level});
    if (fresh)
      at->second = loot::drop_rates(world.tables, npc.loottable_id, npc.level, run.loot_multiplier);
    NpcSimulation row{npc, &at->second, std::nullopt};
    if (run.kills) row.observed = roll_kills(world, npc, run.loot_multiplier, *run.kills, random);
    simulation.npcs.push_back(std::move(row));
  }
  return simulation;
}

std::optional<Simulation> simulate_world(db::Session& state, UiPort& port, const Invocation& run,
                                         std::uint64_t seed) {
  db::open_database(state);
  // A second connection reads the lootdrops meanwhile; without one, one reads all.
  std::unique_ptr<db::Connection> beside;
  try {
    beside = std::make_unique<db::Connection>(db::connection_string(state));
  } catch (const db::Error&) {
  }
  std::optional<Simulation> simulation;
  try {
    simulation = simulate(*state.db_connection, beside.get(), run, seed);
  } catch (const db::Error& error) {
    port.message_box(db::statement_failed_message(error, "(reading the world for the drop rates)"));
  }
  state.db_connection->close();
  return simulation;
}

void write_simulation(std::ostream& out, const Simulation& simulation, Format format) {
  if (format == Format::csv) return write_csv(out, simulation);
  if (format == Format::json) return write_json(out, simulation);
  write_table(out, simulation);
}

std::string left_out_note(int loot_multiplier) {
  std::string note = fmt::format(
      "Per kill, with the server's global loot multiplier {}. Not included:\n", loot_multiplier);
  for (const std::string_view left_out : loot::kLeftOut) note += fmt::format("- {}\n", left_out);
  return note;
}

std::string simulation_notes(const Simulation& simulation, Format format) {
  std::string notes;
  for (const std::int64_t id : simulation.unknown_ids)
    notes += fmt::format("No NPC has the id {}.\n", id);
  return format == Format::table ? notes : notes + left_out_note(simulation.loot_multiplier);
}

}  // namespace vl::cli
