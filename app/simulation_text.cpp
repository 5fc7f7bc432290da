#include "app/simulation_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>

#include "app/per_hour_text.h"
#include "app/simulation_summary.h"
#include "app/world_reports.h"

namespace vl::app {
namespace {

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

// The per-hour footer where there is one, and what the figures leave out and assume.
void write_table_end(std::ostream& out, const loot::Simulation& simulation) {
  if (simulation.per_hour) out << per_hour_footer(simulation, *simulation.per_hour);
  out << left_out_note(simulation.loot_multiplier);
  if (simulation.per_hour) out << per_hour_note();
}

void write_table(std::ostream& out, const loot::Simulation& simulation) {
  for (const loot::NpcSimulation& row : simulation.npcs) {
    out << fmt::format(
        "NPC {} {} (level {}), loottable {}: {:.2f} % chance of anything, {:.4g} "
        "items per kill",
        row.npc.id, terminal_text(row.npc.name), row.npc.level, row.npc.loottable_id,
        row.rates->p_any * 100, row.rates->expected_items);
    if (row.observed) {
      out << fmt::format("; rolled: {:.2f} % gave anything, {:.4g} items per kill",
                         row.observed->any * 100, row.observed->items);
    }
    if (simulation.per_hour) out << npc_per_hour_text(row);
    out << "\n";
    for (const loot::ItemRate& item : row.rates->items) {
      out << fmt::format("  item {} {}: {:.4g} per kill\n", item.item_id,
                         terminal_text(simulation.item_name(item.item_id)), item.expected);
    }
  }
  if (simulation.npcs.empty()) out << "No NPC matches.\n";
  out << summary_line(summary_of(simulation)) << "\n";
  write_table_end(out, simulation);
}

void write_csv(std::ostream& out, const loot::Simulation& simulation) {
  const bool observed = !simulation.npcs.empty() && simulation.npcs.front().observed;
  out << "npc_id,npc_name,npc_level,loottable_id,p_any,expected_items,item_id,item_name,expected"
      << (observed ? ",observed_any,observed_items" : "")
      << (simulation.per_hour ? kPerHourCsvHeader : "") << "\n";
  for (const loot::NpcSimulation& row : simulation.npcs) {
    const std::string npc =
        fmt::format("{},{},{},{},{},{},", row.npc.id, csv_text(row.npc.name), row.npc.level,
                    row.npc.loottable_id, fraction_text(row.rates->p_any),
                    fraction_text(row.rates->expected_items));
    const std::string seen = (row.observed ? fmt::format(",{},{}", fraction_text(row.observed->any),
                                                         fraction_text(row.observed->items))
                                           : "") +
                             (simulation.per_hour ? npc_per_hour_csv(row) : "");
    if (row.rates->items.empty()) out << npc << ",," << seen << "\n";
    for (const loot::ItemRate& item : row.rates->items) {
      out << npc << item.item_id << "," << csv_text(simulation.item_name(item.item_id)) << ","
          << fraction_text(item.expected) << seen << "\n";
    }
  }
}

// Written record by record, without a JSON tree: a large world's figures never
// stand whole in memory, and tens of thousands of records take no noticeable time.
void write_json(std::ostream& out, const loot::Simulation& simulation) {
  fmt::memory_buffer record;
  const auto to = std::back_inserter(record);
  out << (simulation.per_hour ? R"({"npcs":[)" : "[");
  for (const loot::NpcSimulation& row : simulation.npcs) {
    fmt::format_to(to, R"({}{{"npc_id":{},"npc_name":)",
                   &row == &simulation.npcs.front() ? "" : ",", row.npc.id);
    append_json_string(record, row.npc.name);
    fmt::format_to(
        to, R"(,"npc_level":{},"loottable_id":{},"p_any":{},"expected_items":{},"items":[)",
        row.npc.level, row.npc.loottable_id, row.rates->p_any, row.rates->expected_items);
    for (const loot::ItemRate& item : row.rates->items) {
      fmt::format_to(to, R"({}{{"item_id":{},"item_name":)",
                     &item == &row.rates->items.front() ? "" : ",", item.item_id);
      append_json_string(record, simulation.item_name(item.item_id));
      fmt::format_to(to, R"(,"expected":{}}})", item.expected);
    }
    record.push_back(']');
    if (row.observed) {
      fmt::format_to(to, R"(,"observed_any":{},"observed_items":{})", row.observed->any,
                     row.observed->items);
    }
    if (simulation.per_hour) fmt::format_to(to, "{}", npc_per_hour_json(row));
    record.push_back('}');
    out.write(record.data(), static_cast<std::streamsize>(record.size()));
    record.clear();
  }
  out << "]";
  if (simulation.per_hour)
    out << "," << per_hour_totals_json(simulation, *simulation.per_hour) << "}";
  out << "\n";
}

}  // namespace

void write_simulation(std::ostream& out, const loot::Simulation& simulation, Format format,
                      bool summary_only, bool by_item) {
  if (by_item && simulation.per_hour) {
    write_items_per_hour(out, simulation, format);
    if (format == Format::table) write_table_end(out, simulation);
    return;
  }
  if (summary_only) {
    const SimulationSummary summary = summary_of(simulation);
    if (format == Format::csv) out << summary_csv(summary);
    if (format == Format::json) out << summary_json(summary);
    if (format == Format::table)
      out << summary_line(summary) << "\n" << left_out_note(simulation.loot_multiplier);
    return;
  }
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

std::string simulation_notes(const loot::Simulation& simulation, Format format) {
  std::string notes;
  for (const std::int64_t id : simulation.unknown_ids)
    notes += fmt::format("No NPC has the id {}.\n", id);
  if (format == Format::table) return notes;
  notes += left_out_note(simulation.loot_multiplier);
  if (!simulation.per_hour) return notes;
  // CSV has no room for the totals; JSON holds them.
  if (format == Format::csv) notes += per_hour_footer(simulation, *simulation.per_hour);
  return notes + per_hour_note();
}

}  // namespace vl::app
