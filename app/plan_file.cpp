#include "app/plan_file.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <unordered_map>
#include <vector>

#include "app/plan_report.h"
#include "journal/aim_settings.h"
#include "loot/draws.h"
#include "loot/drop_rows.h"
#include "loot/run_rules.h"
#include "loot/shared_copies.h"

namespace vl::app {
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

Json settings_json(const journal::GenerationSettings& settings,
                   const std::optional<std::set<std::int32_t>>& list_items) {
  Json json = {{"levels", settings.range},
               {"category", settings.category},
               {"list_size", settings.list_size ? Json(*settings.list_size) : Json()},
               {"rules", settings.rules},
               {"npc_percent", settings.npc_percent},
               {"chance", settings.chance},
               {"probability", settings.probability},
               {"items", settings.items},
               {"seed", settings.seed ? Json(*settings.seed) : Json()}};
  if (list_items) json["list"] = *list_items;
  // Said in full by the versions that know copies, so that an aimed plan without them reads alike.
  if (settings.isolate_shared || settings.aim) json["isolate_shared"] = settings.isolate_shared;
  if (settings.aim) json["aim"] = journal::aim_json(*settings.aim);
  return json;
}

// An id as MAX(id) gave it: null for an empty table.
Json highest_json(std::optional<std::int64_t> id) { return id ? Json(*id) : Json(); }
template <class Id>
std::optional<std::int64_t> highest_of(const Json& json) {
  if (json.is_null()) return std::nullopt;
  return json.get<Id>();
}

Json copies_json(const loot::Plan& plan) {
  Json copies = Json::array();
  for (const loot::LoottableCopy& copy : plan.copies) {
    copies.push_back({{"original_id", copy.original_id},
                      {"copy_id", copy.copy_id},
                      {"moved_npcs", copy.moved_npcs},
                      {"outside_npcs", copy.outside_npcs}});
  }
  return copies;
}

// Reads the copies of `json`, the loottable each moved NPC had being the original.
void read_copies(const Json& json, loot::Plan& plan) {
  plan.highest_loottable_id = highest_of<std::int64_t>(json.at("highest_loottable_id"));
  for (const Json& copy : json.at("loottable_copies")) {
    plan.copies.push_back({copy.at("original_id").get<std::int64_t>(),
                           copy.at("copy_id").get<std::int64_t>(),
                           copy.at("moved_npcs").get<std::vector<std::int64_t>>(),
                           copy.at("outside_npcs").get<std::size_t>()});
  }
}

// Throws unless the copies are the ones generate plans for the drops: one per
// copied drop, in the drops' order, their ids from the highest loottable id on.
void check_copies(loot::Plan& plan) {
  const std::vector<loot::LoottableCopy> read = plan.copies;
  loot::renumber_copies(plan, plan.highest_loottable_id);
  std::vector<std::int64_t> copied;
  for (const loot::PlannedDrop& drop : plan.drops)
    if (drop.loottable_copied_from != 0) copied.push_back(drop.loottable_copied_from);
  bool planned = copied.size() == read.size();
  for (std::size_t i = 0; planned && i < read.size(); ++i)
    planned = read[i].copy_id == plan.copies[i].copy_id && read[i].original_id == copied[i];
  if (!planned) {
    throw PlanFileError(
        "its loottable copies are not the ones generate plans for its drops (one for each copied "
        "drop, in their order, with the ids after its highest loottable id)");
  }
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
  if (json.contains("aim")) settings.aim = journal::aim_of_json(json.at("aim"));
  settings.atomic = true;
  return settings;
}

// The copy each NPC the copies move goes to.
using CopyOfNpc = std::unordered_map<std::int64_t, const loot::LoottableCopy*>;

// The drop of `json` as planned, checked to hold exactly the rows this program
// writes for it, with the lootdrop id `id`; a drop of an NPC the copies move
// goes into its loottable's copy.
loot::PlannedDrop drop_of(const Json& json, loot::Plan& plan, std::int32_t id,
                          const CopyOfNpc& copy_of_npc) {
  loot::PlannedDrop drop;
  drop.npc_id = json.at("npc_id").get<std::int64_t>();
  drop.lootdrop_id = json.at(key(db::kLootdropTable)).at(0).at("id").get<std::int32_t>();
  for (const Json& entry : json.at(key(db::kLootdropEntriesTable)))
    drop.item_ids.push_back(entry.at("item_id").get<std::int32_t>());
  const Json& link = json.at(key(db::kLoottableEntriesTable)).at(0);
  drop.loottable_id = link.at("loottable_id").get<std::int64_t>();
  if (const auto copy = copy_of_npc.find(drop.npc_id); copy != copy_of_npc.end()) {
    drop.loottable_copied_from = copy->second->original_id;
    drop.loottable_id = copy->second->copy_id;
  }
  drop.chance = plan.settings.chance;
  drop.probability = plan.settings.probability;
  // An aimed plan solved each drop's values; they are checked to be ones a run writes.
  if (plan.aim) {
    if (!drop.item_ids.empty())
      drop.chance = json.at(key(db::kLootdropEntriesTable)).at(0).at("chance").get<double>();
    drop.probability = link.at("probability").get<double>();
    if (!(drop.chance > 0 && drop.chance <= 100 && drop.probability > 0 &&
          drop.probability <= 100)) {
      throw PlanFileError("drop " + std::to_string(plan.drops.size() + 1) +
                          " has a chance or probability that is not above 0 and at most 100");
    }
  }
  const loot::DropRows rows = loot::compose_drop(plan.drop_name, drop.item_ids, drop.chance,
                                                 drop.probability, drop.loottable_id, id);
  if (drop.lootdrop_id != id ||
      drop.item_ids.size() != static_cast<std::size_t>(plan.items_per_drop) ||
      nlohmann::json(drop_json(rows, drop.npc_id)) != nlohmann::json(json)) {
    throw PlanFileError(
        "drop " + std::to_string(plan.drops.size() + 1) +
        " does not hold the rows generate plans (lootdrop id " + std::to_string(id) + ", " +
        std::to_string(plan.items_per_drop) + " entries, " +
        (plan.aim ? "one chance for its entries" : "the settings' chance and probability") + ")");
  }
  return drop;
}

// The JSON of a plan file's text, nothing deeper than a plan nests parsed.
Json parsed_plan_file(const std::string& text) {
  if (text.size() > kMostPlanFileBytes) {
    throw PlanFileError("it is larger than " + std::to_string(kMostPlanFileBytes >> 20) +
                        " MiB, more than any plan");
  }
  const Json::parser_callback_t depth_limit = [](int depth, nlohmann::json::parse_event_t event,
                                                 Json&) {
    using Event = nlohmann::json::parse_event_t;
    if ((event == Event::object_start || event == Event::array_start) &&
        depth >= kMostPlanFileDepth) {
      throw PlanFileError("its JSON nests deeper than " + std::to_string(kMostPlanFileDepth) +
                          " levels, deeper than any plan");
    }
    return true;
  };
  return Json::parse(text, depth_limit, false);
}

}  // namespace

void write_plan_file(std::ostream& out, const SavedPlan& saved, const std::string& time) {
  const loot::Plan& plan = saved.plan;
  Json drops = Json::array();
  for (const loot::PlannedDrop& drop : plan.drops) {
    drops.push_back(
        drop_json(loot::compose_drop(plan.drop_name, drop.item_ids, drop.chance, drop.probability,
                                     drop.loottable_id, drop.lootdrop_id),
                  drop.npc_id));
  }
  // A plan keeps the oldest version that holds it, which older programs read:
  // copies came with the second, aims with the third.
  const bool copies = plan.isolate_shared;
  const int version = plan.aim ? kPlanFileVersion : copies ? 2 : kFirstPlanFileVersion;
  Json file = {{"format", kFormat},
               {"version", version},
               {"planned", time},
               {"settings", settings_json(saved.settings, saved.list_items)},
               {"drop_name", plan.drop_name},
               {"items_per_drop", plan.items_per_drop},
               {"highest_lootdrop_id", highest_json(plan.highest_lootdrop_id)}};
  if (copies) file["highest_loottable_id"] = highest_json(plan.highest_loottable_id);
  file["npcs_in_range"] = plan.npcs_in_range;
  file["npcs_keeping_loottable"] = plan.npcs_keeping_loottable;
  file["items_missing"] = saved.missing_items;
  if (copies) file["loottable_copies"] = copies_json(plan);
  file["drops"] = std::move(drops);
  out << json_text(file) << "\n";
}

SavedPlan read_plan_file(const std::string& text) {
  const Json file = parsed_plan_file(text);
  if (!file.is_object() || !file.contains("format") || file["format"] != kFormat)
    throw PlanFileError(
        "it is no plan file of vandril_loot_cli; make one with `generate --dry-run --plan "
        "FILE.json`");
  const Json version = file.value("version", Json());
  if (!version.is_number_integer() || version < kFirstPlanFileVersion ||
      version > kPlanFileVersion) {
    throw PlanFileError("its version is " + version.dump() + "; this program reads versions " +
                        std::to_string(kFirstPlanFileVersion) + " to " +
                        std::to_string(kPlanFileVersion));
  }
  try {
    SavedPlan saved;
    saved.settings = settings_of(file.at("settings"));
    if (version < kPlanFileVersion && saved.settings.aim)
      throw PlanFileError("its aim came with version " + std::to_string(kPlanFileVersion) +
                          ", and it says version " + version.dump());
    // Copies came with the second version; the first never holds them.
    saved.settings.isolate_shared = version > kFirstPlanFileVersion &&
                                    file.at("settings").value("isolate_shared", false);
    if (saved.settings.list_size && file.at("settings").contains("list"))
      saved.list_items = file.at("settings").at("list").get<std::set<std::int32_t>>();
    loot::Plan& plan = saved.plan;
    plan.settings = loot::read_settings(saved.settings.npc_percent, saved.settings.chance,
                                        saved.settings.probability);
    plan.drop_name = file.at("drop_name").get<std::string>();
    plan.items_per_drop = file.at("items_per_drop").get<int>();
    plan.highest_lootdrop_id = highest_of<std::int32_t>(file.at("highest_lootdrop_id"));
    plan.isolate_shared = saved.settings.isolate_shared;
    plan.aim = saved.settings.aim;
    if (plan.isolate_shared) read_copies(file, plan);
    plan.npcs_in_range = file.at("npcs_in_range").get<std::size_t>();
    plan.npcs_keeping_loottable = file.at("npcs_keeping_loottable").get<std::size_t>();
    saved.missing_items = file.at("items_missing").get<std::set<std::int32_t>>();
    CopyOfNpc copy_of_npc;
    for (const loot::LoottableCopy& copy : plan.copies)
      for (const std::int64_t npc : copy.moved_npcs) copy_of_npc[npc] = &copy;
    std::optional<std::int64_t> previous = plan.highest_lootdrop_id;
    for (const Json& drop : file.at("drops")) {
      plan.drops.push_back(drop_of(drop, plan, loot::lootdrop_id_after(previous), copy_of_npc));
      previous = plan.drops.back().lootdrop_id;
    }
    if (plan.isolate_shared) check_copies(plan);
    return saved;
  } catch (const loot::RunStopped&) {
    throw PlanFileError("its npc_percent, chance or probability is out of range");
  } catch (const std::invalid_argument& error) {
    throw PlanFileError(error.what());
  } catch (const loot::IdsExhausted& error) {
    throw PlanFileError(std::string("its highest ") + error.table() + " id " + error.highest_id() +
                        " leaves no room for the ids after it");
  } catch (const nlohmann::json::exception& error) {
    throw PlanFileError(std::string("a value is missing or of another kind (") + error.what() +
                        ")");
  }
}

SavedPlan load_plan_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw PlanFileError("it cannot be read");
  std::string text;
  std::vector<char> piece(std::size_t{1} << 20);
  while (file && text.size() <= kMostPlanFileBytes) {
    file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    text.append(piece.data(), static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) throw PlanFileError("it cannot be read");
  return read_plan_file(text);
}

}  // namespace vl::app
