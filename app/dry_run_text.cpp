#include "app/dry_run_text.h"

#include <fmt/core.h>

#include <sstream>

#include "app/dry_run_json.h"
#include "maintenance/drop_removal.h"
#include "maintenance/npc_repair.h"

namespace vl::app {
namespace {

using maintenance::kDryRunExamples;

std::string plural(long long count, const char* one, const char* many) {
  return fmt::format("{} {}", count, count == 1 ? one : many);
}

// The names of one part, at most kDryRunExamples of them.
void print_names(std::ostream& out, const maintenance::RemovalPreview& preview, bool custom,
                 const std::string& heading, const ShownName& shown_name) {
  std::size_t count = 0;
  for (const auto& name : preview.names) count += name.custom == custom ? 1 : 0;
  out << heading << ": " << count << "\n";
  std::size_t shown = 0;
  for (const auto& name : preview.names) {
    if (name.custom != custom || shown++ >= kDryRunExamples) continue;
    out << "  " << shown_name(name.name) << " (" << plural(name.lootdrops, "lootdrop", "lootdrops")
        << ")\n";
  }
  if (count > kDryRunExamples) out << "  ... and " << count - kDryRunExamples << " more\n";
}

}  // namespace

std::string removal_text(const maintenance::RemovalPreview& preview, const std::string& range,
                         const ShownName& shown) {
  std::ostringstream out;
  out << "Lootdrops whose name matches " << maintenance::removal_pattern(range)
      << " ('_' matching any character), custom or not: " << preview.lootdrops << "\n";
  print_names(out, preview, false, "Names that do not end in _CUSTOM_<category word>", shown);
  print_names(out, preview, true, "Names of custom drops", shown);
  out << "Their lootdrop entries: " << preview.entries
      << "\nLoottable entries linking them: " << preview.links
      << "\nDelete would remove all of these; nothing was changed.\n";
  return out.str();
}

std::string repair_text(const maintenance::RepairPreview& preview, const ShownName& shown) {
  std::ostringstream out;
  out << "NPCs without a loottable (loottable_id 0): " << preview.npcs << "\n";
  for (const auto& npc : preview.examples)
    out << "  npc " << npc.id << " " << shown(npc.name) << "\n";
  if (preview.npcs > static_cast<long long>(preview.examples.size()))
    out << "  ... and " << preview.npcs - static_cast<long long>(preview.examples.size())
        << " more\n";
  out << "Items whose name starts with cloth or rusty: " << preview.items << "\n";
  if (preview.items == 0) {
    out << "Repair would write nothing, having no item for the repair loot.\n";
  } else {
    out << fmt::format(
        "Repair would write 1 lootdrop with {} entries, {} with one entry each, and point {} at "
        "them; nothing was changed.\n",
        maintenance::kRepairDropItems, plural(preview.npcs, "loottable", "loottables"),
        plural(preview.npcs, "NPC", "NPCs"));
  }
  return out.str();
}

std::string read_dry_run_text(db::Connection& connection, WriteCommand command,
                              const std::string& range, const ShownName& shown, bool as_json) {
  if (command == WriteCommand::delete_drops) {
    const auto preview = maintenance::preview_removal(connection, range);
    return as_json ? removal_json(preview, range) : removal_text(preview, range, shown);
  }
  const auto preview = maintenance::preview_repair(connection);
  return as_json ? repair_json(preview) : repair_text(preview, shown);
}

}  // namespace vl::app
