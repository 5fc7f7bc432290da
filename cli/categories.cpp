#include "cli/categories.h"

#include <fmt/core.h>

#include <nlohmann/json.hpp>

#include "cli/output.h"
#include "loot/catalog.h"

namespace vl::cli {
namespace {

std::string itemtype_list(const loot::LootCategory& category) {
  std::string list;
  for (std::int16_t type : category.itemtypes)
    list += (list.empty() ? "" : ",") + std::to_string(type);
  return list;
}

std::string as_json() {
  nlohmann::ordered_json categories = nlohmann::ordered_json::array();
  for (const loot::LootCategory& category : loot::kLootCategories) {
    nlohmann::ordered_json types = nlohmann::ordered_json::array();
    for (std::int16_t type : category.itemtypes) types.push_back(type);
    categories.push_back({{"caption", std::string(category.caption)},
                          {"drop_name_word", std::string(category.name)},
                          {"itemtypes", types}});
  }
  nlohmann::ordered_json ranges = nlohmann::ordered_json::array();
  for (const loot::LevelRange& range : loot::kLevelRanges)
    ranges.push_back(
        {{"range", std::string(range.entry)}, {"low", range.low}, {"high", range.high}});
  return json_text({{"categories", categories}, {"level_ranges", ranges}}) + "\n";
}

}  // namespace

std::string categories_text(Format format) {
  if (format == Format::json) return as_json();
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
