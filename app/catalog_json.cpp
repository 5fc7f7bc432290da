#include "app/catalog_json.h"

#include <nlohmann/json.hpp>

#include "app/plan_report.h"
#include "loot/catalog.h"

namespace vl::app {

std::string catalog_json() {
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
  return json_text({{"categories", categories}, {"level_ranges", ranges}});
}

}  // namespace vl::app
