#include "app/plan_preview.h"

#include "app/aim_text.h"
#include "app/plan_write_text.h"
#include "core/numeric_text.h"

namespace vl::app {
void write_plan_preview(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details,
                        const ShownName& shown) {
  out << "Planned drops (" << plan.drop_name << "):\n";
  for (const loot::PlannedDrop& drop : plan.drops) {
    const loot::NpcFacts& npc = loot::facts_of(details, drop.npc_id);
    out << "NPC " << drop.npc_id << " " << shown(npc.name) << " (level " << npc.level
        << "), loottable " << drop.loottable_id;
    if (drop.loottable_copied_from) out << " (a copy of " << drop.loottable_copied_from << ")";
    out << ": lootdrop " << drop.lootdrop_id;
    // An aimed drop's values are its own, solved for the aim.
    if (drop.aimed)
      out << ", probability " << number_text(drop.probability) << ", chance "
          << number_text(drop.chance);
    out << "\n";
    for (const std::int32_t item : drop.item_ids) {
      out << "  item " << item << " " << shown(loot::item_name(details, item)) << "\n";
    }
  }
  write_left_alone(out, plan);
  out << plan_totals_text(plan, details);
  for (const loot::SharedLoottable& table : details.shared) {
    out << "  loottable " << table.loottable_id << " is used by " << table.outside_npcs
        << " NPC(s) outside " << plan.level_low << "-" << plan.level_high
        << ", who would receive the drop too:";
    for (const loot::NpcFacts& npc : table.examples) {
      out << " " << npc.id << " " << shown(npc.name) << " (level " << npc.level << ");";
    }
    out << (table.outside_npcs > table.examples.size() ? " ...\n" : "\n");
  }
  out << aim_text(plan);
  out << "The lootdrop ids are planned from the highest id now ("
      << loot::shown_highest_id(plan.highest_lootdrop_id)
      << "); they will differ if lootdrops are written before the run.\n";
}

}  // namespace vl::app
