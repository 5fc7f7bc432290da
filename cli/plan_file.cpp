#include "cli/plan_file.h"

#include <nlohmann/json.hpp>

#include "cli/output.h"
#include "loot/draws.h"
#include "loot/drop_rows.h"
#include "loot/run_rules.h"

namespace vl::cli {
namespace {

using Json = nlohmann::ordered_json;
constexpr const char* kFormat = "vandril_loot plan";

// A row as an object of its table's columns: numbers as numbers, texts as strings.
Json row_json(const db::LootRow& row) {
  const db::LootTable& table = db::table_of(row);
  const std::vector<std::string> values = db::value_texts(row);
  Json object = Json::object();
  for (std::size_t i = 0; i < values.size(); ++i) {
    const db::TableColumn& column = table.columns[i];
    object[std::string(column.name)] =
        column.kind == db::ValueKind::text ? Json(values[i]) : Json::parse(values[i]);
  }
  return object;
}

std::string key(const db::LootTable& table) { return std::string(table.name); }

// A drop: its NPC, and per table the rows it writes there.
Json drop_json(const loot::DropRows& rows, std::int64_t npc_id) {
  Json entries = Json::array();
  for (const db::LootdropEntryRow& entry : rows.entries) entries.push_back(row_json(entry));
  return {{"npc_id", npc_id},
          {key(db::kLootdropTable), Json::array({row_json(rows.lootdrop)})},
          {key(db::kLootdropEntriesTable), std::move(entries)},
          {key(db::kLoottableEntriesTable), Json::array({row_json(rows.link)})}};
}

Json settings_json(const journal::GenerationSettings& settings) {
  return {{"levels", settings.range},
          {"category", settings.category},
          {"list_size", settings.list_size ? Json(*settings.list_size) : Json()},
          {"rules", settings.rules},
          {"npc_percent", settings.npc_percent},
          {"chance", settings.chance},
          {"probability", settings.probability},
          {"items", settings.items},
          {"seed", settings.seed ? Json(*settings.seed) : Json()}};
}

journal::GenerationSettings settings_of(const Json& json) {
  journal::GenerationSettings settings;
  settings.range = json.at("levels").get<std::string>();
  settings.category = json.at("category").get<std::string>();
  if (!json.at("list_size").is_null()) settings.list_size = json.at("list_size").get<int>();
  settings.rules = json.at("rules").get<std::string>();
  settings.npc_percent = json.at("npc_percent").get<std::string>();
  settings.chance = json.at("chance").get<std::string>();
  settings.probability = json.at("probability").get<std::string>();
  settings.items = json.at("items").get<std::string>();
  if (!json.at("seed").is_null()) settings.seed = json.at("seed").get<std::uint64_t>();
  settings.atomic = true;
  return settings;
}

// The drop of `json` as planned, checked to hold exactly the rows this program
// writes for it, with the lootdrop id `id`.
loot::PlannedDrop drop_of(const Json& json, loot::Plan& plan, std::int32_t id) {
  loot::PlannedDrop drop;
  drop.npc_id = json.at("npc_id").get<std::int64_t>();
  drop.lootdrop_id = json.at(key(db::kLootdropTable)).at(0).at("id").get<std::int32_t>();
  for (const Json& entry : json.at(key(db::kLootdropEntriesTable)))
    drop.item_ids.push_back(entry.at("item_id").get<std::int32_t>());
  const Json& link = json.at(key(db::kLoottableEntriesTable)).at(0);
  drop.loottable_id = link.at("loottable_id").get<std::int64_t>();
  const loot::DropRows rows = loot::compose_drop(plan.drop_name, drop.item_ids, plan.settings,
                                                 drop.loottable_id, drop.lootdrop_id);
  if (drop.lootdrop_id != id ||
      drop.item_ids.size() != static_cast<std::size_t>(plan.items_per_drop) ||
      nlohmann::json(drop_json(rows, drop.npc_id)) != nlohmann::json(json)) {
    throw PlanFileError("drop " + std::to_string(plan.drops.size() + 1) +
                        " does not hold the rows generate plans (lootdrop id " +
                        std::to_string(id) + ", " + std::to_string(plan.items_per_drop) +
                        " entries, the settings' chance and probability)");
  }
  return drop;
}

}  // namespace

void write_plan_file(std::ostream& out, const SavedPlan& saved, const std::string& time) {
  const loot::Plan& plan = saved.plan;
  Json drops = Json::array();
  for (const loot::PlannedDrop& drop : plan.drops) {
    drops.push_back(drop_json(loot::compose_drop(plan.drop_name, drop.item_ids, plan.settings,
                                                 drop.loottable_id, drop.lootdrop_id),
                              drop.npc_id));
  }
  const Json file = {
      {"format", kFormat},
      {"version", kPlanFileVersion},
      {"planned", time},
      {"settings", settings_json(saved.settings)},
      {"drop_name", plan.drop_name},
      {"items_per_drop", plan.items_per_drop},
      {"highest_lootdrop_id",
       plan.highest_lootdrop_id.empty() ? Json() : Json::parse(plan.highest_lootdrop_id)},
      {"npcs_in_range", plan.npcs_in_range},
      {"npcs_keeping_loottable", plan.npcs_keeping_loottable},
      {"items_missing", saved.missing_items},
      {"drops", std::move(drops)}};
  out << json_text(file) << "\n";
}

SavedPlan read_plan_file(const std::string& text) {
  const Json file = Json::parse(text, nullptr, false);
  if (!file.is_object() || !file.contains("format") || file["format"] != kFormat)
    throw PlanFileError("it is no plan file of vandril_loot_cli");
  if (file.value("version", Json()) != kPlanFileVersion) {
    throw PlanFileError("its version is " + file.value("version", Json()).dump() +
                        "; this program reads version " + std::to_string(kPlanFileVersion));
  }
  try {
    SavedPlan saved;
    saved.settings = settings_of(file.at("settings"));
    loot::Plan& plan = saved.plan;
    const std::string& range = saved.settings.range;
    const auto dash = range.find('-');
    if (dash == std::string::npos) throw PlanFileError("its levels are no range: " + range);
    plan.level_low = range.substr(0, dash);
    plan.level_high = range.substr(dash + 1);
    plan.settings = loot::read_settings(saved.settings.npc_percent, saved.settings.chance,
                                        saved.settings.probability);
    plan.drop_name = file.at("drop_name").get<std::string>();
    plan.items_per_drop = file.at("items_per_drop").get<int>();
    const Json& highest = file.at("highest_lootdrop_id");
    plan.highest_lootdrop_id = highest.is_null() ? "" : std::to_string(highest.get<std::int32_t>());
    plan.npcs_in_range = file.at("npcs_in_range").get<std::size_t>();
    plan.npcs_keeping_loottable = file.at("npcs_keeping_loottable").get<std::size_t>();
    saved.missing_items = file.at("items_missing").get<std::set<std::int32_t>>();
    std::string previous = plan.highest_lootdrop_id;
    for (const Json& drop : file.at("drops")) {
      plan.drops.push_back(drop_of(drop, plan, loot::id_after(previous)));
      previous = std::to_string(plan.drops.back().lootdrop_id);
    }
    return saved;
  } catch (const loot::RunStopped&) {
    throw PlanFileError("its npc_percent, chance or probability is out of range");
  } catch (const nlohmann::json::exception& error) {
    throw PlanFileError(std::string("a value is missing or of another kind (") + error.what() +
                        ")");
  }
}

}  // namespace vl::cli
