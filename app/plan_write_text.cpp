#include "app/plan_write_text.h"

#include <fmt/core.h>

#include <sstream>

#include "app/aim_text.h"
#include "app/plan_rates.h"
#include "app/plan_report.h"
#include "loot/plan_sql.h"

namespace vl::app {
namespace {

// The copies' line and the first kSharedExamples of them.
void print_copies(std::ostream& out, const loot::Plan& plan) {
  out << loot::copies_summary(plan) << "\n";
  for (std::size_t i = 0; i < plan.copies.size() && i < loot::kSharedExamples; ++i) {
    const loot::LoottableCopy& copy = plan.copies[i];
    out << "  loottable " << copy.original_id << " -> " << copy.copy_id << ": "
        << copy.moved_npcs.size() << " NPCs moved\n";
  }
  if (plan.copies.size() > loot::kSharedExamples) out << "  ...\n";
}

}  // namespace

std::string plan_totals_text(const loot::Plan& plan, const loot::PlanDetails& details) {
  std::ostringstream out;
  out << "NPCs in the range: " << plan.npcs_in_range
      << "\nNPCs keeping a loottable (one per loottable): " << plan.npcs_keeping_loottable
      << "\nChosen NPCs: " << plan.drops.size() << "\nDrops: " << plan.drops.size()
      << "\nEntries: " << plan.entries() << "\n";
  out << missing_items_line(plan, details);
  if (plan.isolate_shared) print_copies(out, plan);
  if (!plan.isolate_shared || !details.shared.empty())
    out << "Shared loottables: " << details.shared.size()
        << (details.shared.empty() || plan.isolate_shared
                ? ""
                : " (--isolate-shared copies them for the range's NPCs alone)")
        << "\n";
  return out.str();
}

BeforeWrite before_write(const loot::Plan& plan, db::Connection& connection,
                         const loot::DropWorld* world) {
  const loot::PlanDetails details = loot::plan_details(plan, connection);
  const loot::PlanDropRates rates = read_plan_rates(plan, connection, world, details.items);
  return {plan_totals_text(plan, details) + aim_text(plan) + drop_rates_text(plan, rates),
          write_question(plan, items_per_hour_added(plan, rates))};
}

void write_plan_script(std::ostream& out, const loot::Plan& plan, const loot::CopiedRows& copies,
                       const std::string& planned_by, const std::string& settings) {
  std::string comment =
      fmt::format("{}, planned {}\n{}\nhighest lootdrop id when planned: {}", planned_by, utc_now(),
                  settings, loot::shown_highest_id(plan.highest_lootdrop_id));
  if (plan.isolate_shared)
    comment +=
        "\nhighest loottable id when planned: " + loot::shown_highest_id(plan.highest_loottable_id);
  loot::write_plan_script(out, plan, comment, copies);
}

}  // namespace vl::app
