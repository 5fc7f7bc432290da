#include "app/aim_text.h"

#include <fmt/core.h>

#include <algorithm>

#include "core/numeric_text.h"
#include "journal/aim_settings.h"
#include "loot/plan_aims.h"
#include "maintenance/dry_runs.h"

namespace vl::app {
namespace {

using Json = nlohmann::ordered_json;

std::string plural(std::size_t count, const char* one, const char* many) {
  return fmt::format("{} {}", count, count == 1 ? one : many);
}

}  // namespace

std::string aim_text(const loot::Plan& plan) {
  if (!plan.aim) return "";
  std::string text = fmt::format("Aim: {} (global loot multiplier {})\n",
                                 journal::aim_words(*plan.aim), plan.aim->loot_multiplier);
  // A plan read back from its file keeps the values solved, not what they were solved from.
  if (std::none_of(plan.drops.begin(), plan.drops.end(),
                   [](const loot::PlannedDrop& drop) { return drop.aimed.has_value(); }) &&
      plan.left_alone.empty())
    return text;
  const loot::AimSummary summary = loot::aim_summary(plan);
  if (!plan.aim->per_kill()) {
    // One probability and chance for every drop: the first solved one says them.
    const auto solved =
        std::find_if(plan.drops.begin(), plan.drops.end(),
                     [](const loot::PlannedDrop& drop) { return drop.aimed.has_value(); });
    text += solved == plan.drops.end()
                ? std::string("  no drop was solved\n")
                : fmt::format("  every drop: probability {}, chance {}\n",
                              number_text(solved->probability), number_text(solved->chance));
  } else {
    text +=
        summary.drops == 0
            ? std::string("  achieved per drop: no drop was solved\n")
            : fmt::format("  achieved per drop: lowest {:.2f} %, mean {:.2f} %, highest {:.2f} %\n",
                          100 * summary.lowest, 100 * summary.mean(), 100 * summary.highest);
    text += fmt::format("  NPCs already at the aim: {}\n  NPCs no drop can lift: {}\n",
                        summary.already_at_aim, summary.cannot_drop);
  }
  for (const auto& [chance, drops] : summary.raised_to)
    text += fmt::format("  chance raised to {} for {} to reach {}\n", chance,
                        plural(drops, "drop", "drops"), journal::aim_target_words(*plan.aim));
  return text;
}

void write_left_alone(std::ostream& out, const loot::Plan& plan) {
  if (plan.left_alone.empty()) return;
  out << "NPCs of the range left without a drop by the aim: " << plan.left_alone.size() << "\n";
  std::size_t shown = 0;
  for (const loot::LeftAlone& npc : plan.left_alone) {
    if (shown++ == maintenance::kDryRunExamples) break;
    out << "  NPC " << npc.npc_id << ": "
        << (npc.p_any ? fmt::format("already at {:.1f} %", 100 * *npc.p_any)
                      : std::string("no drop can lift it (its loottable has no row)"))
        << "\n";
  }
  if (plan.left_alone.size() > maintenance::kDryRunExamples)
    out << "  ... and " << plan.left_alone.size() - maintenance::kDryRunExamples << " more\n";
}

std::string write_question(const loot::Plan& plan, std::optional<double> items_per_hour) {
  std::string question =
      fmt::format("Write {} drops with {} entries", plan.drops.size(), plan.entries());
  if (plan.aim) question += " for " + journal::aim_words(*plan.aim);
  if (items_per_hour && !plan.drops.empty())
    question += " (at most " + items_per_hour_text(*items_per_hour) + " items per hour)";
  return question + "?";
}

std::string items_per_hour_text(double items) { return fmt::format("{:.2f}", items); }

Json aim_summary_json(const loot::Plan& plan) {
  if (!plan.aim) return nullptr;
  const loot::AimSummary summary = loot::aim_summary(plan);
  Json raised = Json::array();
  for (const auto& [chance, drops] : summary.raised_to)
    raised.push_back({{"chance", chance}, {"drops", drops}});
  Json json = journal::aim_json(*plan.aim);
  json["words"] = journal::aim_words(*plan.aim);
  json["achieved"] = summary.drops == 0 ? Json()
                                        : Json{{"lowest", summary.lowest},
                                               {"mean", summary.mean()},
                                               {"highest", summary.highest}};
  json["already_at_aim"] = summary.already_at_aim;
  json["cannot_drop"] = summary.cannot_drop;
  json["chance_raised"] = raised;
  return json;
}

Json left_alone_json(const loot::Plan& plan) {
  Json npcs = Json::array();
  for (const loot::LeftAlone& npc : plan.left_alone)
    npcs.push_back({{"npc_id", npc.npc_id}, {"p_any", npc.p_any ? Json(*npc.p_any) : Json()}});
  return npcs;
}

}  // namespace vl::app
