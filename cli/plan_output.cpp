#include "cli/plan_output.h"

#include "cli/output.h"
#include "loot/shared_copies.h"

namespace vl::cli {
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

void print_drop_rates(std::ostream& out, const loot::Plan& plan, const loot::PlanDropRates& rates) {
  out << app::drop_rates_text(plan, rates);
}

void print_totals(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details) {
  out << "NPCs in the range: " << plan.npcs_in_range
      << "\nNPCs keeping a loottable (one per loottable): " << plan.npcs_keeping_loottable
      << "\nChosen NPCs: " << plan.drops.size() << "\nDrops: " << plan.drops.size()
      << "\nEntries: " << plan.entries() << "\n";
  out << app::missing_items_line(plan, details);
  if (plan.isolate_shared) print_copies(out, plan);
  if (!plan.isolate_shared || !details.shared.empty())
    out << "Shared loottables: " << details.shared.size() << "\n";
}

void print_plan(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details) {
  out << "Planned drops (" << plan.drop_name << "):\n";
  for (const loot::PlannedDrop& drop : plan.drops) {
    const loot::NpcFacts& npc = loot::facts_of(details, drop.npc_id);
    out << "NPC " << drop.npc_id << " " << terminal_text(npc.name) << " (level " << npc.level
        << "), loottable " << drop.loottable_id;
    if (drop.loottable_copied_from) out << " (a copy of " << drop.loottable_copied_from << ")";
    out << ": lootdrop " << drop.lootdrop_id << "\n";
    for (const std::int32_t item : drop.item_ids) {
      out << "  item " << item << " " << terminal_text(loot::item_name(details, item)) << "\n";
    }
  }
  print_totals(out, plan, details);
  for (const loot::SharedLoottable& table : details.shared) {
    out << "  loottable " << table.loottable_id << " is used by " << table.outside_npcs
        << " NPC(s) outside " << plan.level_low << "-" << plan.level_high
        << ", who would receive the drop too:";
    for (const loot::NpcFacts& npc : table.examples) {
      out << " " << npc.id << " " << terminal_text(npc.name) << " (level " << npc.level << ");";
    }
    out << (table.outside_npcs > table.examples.size() ? " ...\n" : "\n");
  }
  out << "The lootdrop ids are planned from the highest id now ("
      << (plan.highest_lootdrop_id.empty() ? "none" : plan.highest_lootdrop_id)
      << "); they will differ if lootdrops are written before the run.\n";
}

}  // namespace vl::cli
