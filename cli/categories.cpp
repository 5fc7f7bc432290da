#include "cli/categories.h"

#include <fmt/core.h>

#include "app/catalog_json.h"
#include "loot/catalog.h"

namespace vl::cli {
namespace {

std::string itemtype_list(const loot::LootCategory& category) {
  std::string list;
  for (std::int16_t type : category.itemtypes)
    list += (list.empty() ? "" : ",") + std::to_string(type);
  return list;
}

}  // namespace

std::string categories_text(Format format) {
  if (format == Format::json) return app::catalog_json() + "\n";
  std::string text =
      fmt::format("{:<34} {:<34} {}\n", "category (--category)", "drop-name word", "item types");
  for (const loot::LootCategory& category : loot::kLootCategories)
    text +=
        fmt::format("{:<34} {:<34} {}\n", category.caption, category.name, itemtype_list(category));
  text += "\nlevel range (--levels)  levels\n";
  for (const loot::LevelRange& range : loot::kLevelRanges)
    text += fmt::format("{:<23} {} to {}\n", range.entry, range.low, range.high);
  return text;
}

}  // namespace vl::cli
