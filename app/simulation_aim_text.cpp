#include "app/simulation_aim_text.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>
#include <variant>

#include "app/plan_report.h"
#include "app/simulation_summary.h"
#include "app/simulation_text.h"
#include "app/world_reports.h"
#include "core/numeric_text.h"

namespace vl::app {
namespace {

const loot::AimedDrop* needed_drop(const std::optional<loot::NpcAim>& npc) {
  return npc ? std::get_if<loot::AimedDrop>(&*npc) : nullptr;
}

std::string percent_text(double fraction) { return fraction_text(fraction * 100); }

std::string header(const loot::SimulationAim& aim) {
  return fmt::format(
      "Aim: every NPC gives something on {} % of kills. The drop assumed: {} items at chance {}, "
      "with the server's global loot multiplier {}; probabilities in {}, as the world keeps "
      "them. A chance is named only where it must be raised.\n",
      number_text(aim.percent), aim.drop.items, number_text(aim.drop.chance),
      aim.drop.loot_multiplier,
      aim.column == loot::ProbabilityColumn::whole_numbers ? "whole numbers" : "fractions");
}

std::string npc_words(const std::optional<loot::NpcAim>& npc) {
  if (!npc) return "no drop can reach it: its loottable has no row";
  if (const auto* at_aim = std::get_if<loot::AlreadyAtAim>(&*npc))
    return fmt::format("already at {} %", percent_text(at_aim->p_any));
  const loot::AimedDrop& drop = std::get<loot::AimedDrop>(*npc);
  return fmt::format(
      "a drop needs probability {}{}, giving {} %", number_text(drop.probability),
      drop.chance_raised ? " with its chance raised to " + number_text(drop.chance) : "",
      percent_text(drop.achieved));
}

// "NPCs: 4; need a drop: 2 (chance raised for 1); already at the aim: 1; cannot get one (no
// loottable row): 1"
std::string counts_line(const loot::SimulationAim& aim) {
  const loot::AimSummary& counts = aim.summary;
  return fmt::format(
      "NPCs: {}; need a drop: {} (chance raised for {}); already at {} %: {}; cannot get one (no "
      "loottable row): {}\n",
      aim.npcs.size(), counts.drops, counts.raised(), number_text(aim.percent),
      counts.already_at_aim, counts.cannot_drop);
}

void write_table(std::ostream& out, const loot::Simulation& simulation,
                 const loot::SimulationAim& aim) {
  out << header(aim);
  for (std::size_t i = 0; i < aim.npcs.size(); ++i) {
    const loot::NpcSimulation& row = simulation.npcs[i];
    out << fmt::format("NPC {} {} (level {}), loottable {}: {:.2f} % chance of anything; {}\n",
                       row.npc.id, terminal_text(row.npc.name), row.npc.level, row.npc.loottable_id,
                       row.rates->p_any * 100, npc_words(aim.npcs[i]));
  }
  if (aim.npcs.empty()) out << "No NPC matches.\n";
  out << counts_line(aim) << left_out_note(simulation.loot_multiplier);
}

void write_csv(std::ostream& out, const loot::Simulation& simulation,
               const loot::SimulationAim& aim) {
  out << "npc_id,npc_name,npc_level,loottable_id,p_any,probability_needed,chance_needed,"
         "p_any_after\n";
  for (std::size_t i = 0; i < aim.npcs.size(); ++i) {
    const loot::NpcSimulation& row = simulation.npcs[i];
    const loot::AimedDrop* drop = needed_drop(aim.npcs[i]);
    out << fmt::format("{},{},{},{},{},{},{},{}\n", row.npc.id, csv_text(row.npc.name),
                       row.npc.level, row.npc.loottable_id, fraction_text(row.rates->p_any),
                       drop ? number_text(drop->probability) : "",
                       drop && drop->chance_raised ? number_text(drop->chance) : "",
                       drop ? fraction_text(drop->achieved) : "");
  }
}

nlohmann::ordered_json number_or_null(bool given, double value) {
  return given ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

// One record a line's worth at a time: the records never stand whole in memory.
void write_json(std::ostream& out, const loot::Simulation& simulation,
                const loot::SimulationAim& aim) {
  out << "[";
  for (std::size_t i = 0; i < aim.npcs.size(); ++i) {
    const loot::NpcSimulation& row = simulation.npcs[i];
    const loot::AimedDrop* drop = needed_drop(aim.npcs[i]);
    const nlohmann::ordered_json record = {
        {"npc_id", row.npc.id},
        {"npc_name", row.npc.name},
        {"npc_level", row.npc.level},
        {"loottable_id", row.npc.loottable_id},
        {"p_any", row.rates->p_any},
        {"probability_needed", number_or_null(drop, drop ? drop->probability : 0)},
        {"chance_needed", number_or_null(drop && drop->chance_raised, drop ? drop->chance : 0)},
        {"p_any_after", number_or_null(drop, drop ? drop->achieved : 0)}};
    out << (i == 0 ? "" : ",") << json_text(record);
  }
  out << "]\n";
}

void write_counts(std::ostream& out, const loot::SimulationAim& aim, Format format) {
  const loot::AimSummary& counts = aim.summary;
  if (format == Format::csv) {
    out << fmt::format(
        "npcs,level_to,need_drop,chance_raised,already_at_aim,cannot_drop\n"
        "{},{},{},{},{},{}\n",
        aim.npcs.size(), number_text(aim.percent), counts.drops, counts.raised(),
        counts.already_at_aim, counts.cannot_drop);
  } else {
    const nlohmann::ordered_json json = {{"npcs", aim.npcs.size()},
                                         {"level_to", aim.percent},
                                         {"need_drop", counts.drops},
                                         {"chance_raised", counts.raised()},
                                         {"already_at_aim", counts.already_at_aim},
                                         {"cannot_drop", counts.cannot_drop}};
    out << json_text(json) << "\n";
  }
}

}  // namespace

void write_simulation_aim(std::ostream& out, const loot::Simulation& simulation,
                          const loot::SimulationAim& aim, Format format, bool summary_only) {
  if (format == Format::table) {
    if (!summary_only) return write_table(out, simulation, aim);
    out << counts_line(aim) << left_out_note(simulation.loot_multiplier);
    return;
  }
  if (summary_only) return write_counts(out, aim, format);
  if (format == Format::csv) return write_csv(out, simulation, aim);
  write_json(out, simulation, aim);
}

std::string simulation_aim_notes(const loot::Simulation& simulation, const loot::SimulationAim& aim,
                                 Format format, bool summary_only) {
  const std::string notes = simulation_notes(simulation, format);
  return format == Format::table || summary_only ? notes : counts_line(aim) + notes;
}

}  // namespace vl::app
