#include "app/plan_checks.h"

#include <nlohmann/json.hpp>

#include <map>

#include "app/setting_ranges.h"
#include "loot/catalog.h"

namespace vl::app {
namespace {

// A text of the file as a message shows it: quoted, control bytes escaped.
std::string shown_text(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The levels from the known range table: a file's text never reaches a statement.
void check_levels(SavedPlan& saved, PlanRulesCheck& check) {
  const auto index = find_level_range(saved.settings.range);
  if (!index) {
    check.breaks.push_back("its levels " + shown_text(saved.settings.range) +
                           " are none of the level ranges " + level_entries());
    return;
  }
  const loot::LevelRange& range = loot::kLevelRanges[static_cast<std::size_t>(*index)];
  // The entry's first two and last two characters, as the window's run takes them.
  saved.plan.level_low = std::string(range.entry.substr(0, 2));
  saved.plan.level_high = std::string(range.entry.substr(range.entry.size() - 2));
  check.rules.level_low = range.low;
  check.rules.level_high = range.high;
  check.rules.levels = std::string(range.entry);
}

void check_category_and_name(const SavedPlan& saved, PlanRulesCheck& check) {
  const auto index = find_category(saved.settings.category);
  if (!index) {
    check.breaks.push_back("its category " + shown_text(saved.settings.category) +
                           " is none of the loot categories");
    return;
  }
  const loot::LootCategory& category = loot::kLootCategories[static_cast<std::size_t>(*index)];
  check.rules.category = std::string(category.name);
  if (!saved.settings.list_size) check.rules.itemtypes = category.itemtypes;
  if (check.rules.levels.empty()) return;
  const std::string name = "lvl_" + saved.plan.level_low + "-" + saved.plan.level_high +
                           "_CUSTOM_" + check.rules.category;
  if (saved.plan.drop_name != name) {
    check.breaks.push_back("its drops are named " + shown_text(saved.plan.drop_name) + ", not " +
                           name + " as its levels and category name them");
  }
}

void check_numbers(const SavedPlan& saved, PlanRulesCheck& check) {
  const journal::GenerationSettings& settings = saved.settings;
  for (const auto& [range, text, key] :
       {std::tuple{&kNpcPercent, settings.npc_percent, "npc_percent"},
        std::tuple{&kChance, settings.chance, "chance"},
        std::tuple{&kProbability, settings.probability, "probability"}}) {
    if (!value_in_range(*range, text)) {
      check.breaks.push_back(std::string("its ") + key + " " + shown_text(text) +
                             " is not a number from " + range_words(*range));
    }
  }
  const auto items = value_in_range(kItems, settings.items);
  if (!items) {
    check.breaks.push_back("its items " + shown_text(settings.items) + " is not a number from " +
                           range_words(kItems));
  } else if (*items != saved.plan.items_per_drop) {
    check.breaks.push_back("it holds " + std::to_string(saved.plan.items_per_drop) +
                           " items per drop, not the " + std::to_string(*items) +
                           " its items setting gives");
  }
}

void check_drops(const SavedPlan& saved, PlanRulesCheck& check) {
  std::map<std::int64_t, std::size_t> drops_in;  // by the NPC's own loottable
  std::map<std::int32_t, std::size_t> off_list;  // items not on the custom list, by drops
  for (std::size_t i = 0; i < saved.plan.drops.size(); ++i) {
    const loot::PlannedDrop& drop = saved.plan.drops[i];
    const std::string which = "drop " + std::to_string(i + 1);
    if (drop.original_loottable() <= 0) {
      check.breaks.push_back(which + " (NPC " + std::to_string(drop.npc_id) +
                             ") goes into no loottable");
    } else {
      ++drops_in[drop.original_loottable()];
    }
    std::map<std::int32_t, std::size_t> times;
    for (const std::int32_t item : drop.item_ids) {
      ++times[item];
      if (saved.list_items && !saved.list_items->contains(item)) ++off_list[item];
    }
    for (const auto& [item, count] : times) {
      if (count > 1) {
        check.breaks.push_back(which + " holds item " + std::to_string(item) + " " +
                               std::to_string(count) + " times");
      }
    }
  }
  // One NPC per loottable gets a drop: a second would reach the first's NPC too.
  for (const auto& [loottable, count] : drops_in) {
    if (count > 1) {
      check.breaks.push_back(std::to_string(count) + " drops go into loottable " +
                             std::to_string(loottable) + "; a loottable takes one drop");
    }
  }
  if (saved.settings.list_size && !saved.list_items) {
    check.breaks.push_back(
        "it was planned from a custom list it does not hold (an earlier version's plan); "
        "plan it again");
  }
  for (const auto& [item, drops] : off_list) {
    check.breaks.push_back("item " + std::to_string(item) + " (in " + std::to_string(drops) +
                           " drops) is not on its custom list");
  }
}

}  // namespace

PlanRulesCheck check_plan_rules(SavedPlan& saved) {
  PlanRulesCheck check;
  check.rules.missing_items = saved.missing_items;
  check_levels(saved, check);
  check_category_and_name(saved, check);
  check_numbers(saved, check);
  check_drops(saved, check);
  return check;
}

}  // namespace vl::app
