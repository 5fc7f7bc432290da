#include "journal/run_settings.h"

#include <nlohmann/json.hpp>

#include "journal/aim_settings.h"

namespace vl::journal {
namespace {

using Json = nlohmann::json;

std::string kept(const Json& json) {
  // A category or rules given on the command line may hold bytes that are no UTF-8.
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Kept settings as an object; an empty one for anything else.
Json object_of(const std::string& settings) {
  Json json = Json::parse(settings, nullptr, false);
  return json.is_object() ? json : Json::object();
}

std::string text_of(const Json& settings, const char* name, const std::string& otherwise = "") {
  const auto at = settings.find(name);
  if (at == settings.end() || at->is_null()) return otherwise;
  return at->is_string() ? at->get<std::string>() : at->dump();
}

}  // namespace

std::string generation_settings(const GenerationSettings& settings) {
  Json json = {{"levels", settings.range},
               {"category", settings.category},
               {"rules", settings.rules},
               {"npc_percent", settings.npc_percent},
               {"chance", settings.chance},
               {"probability", settings.probability},
               {"items", settings.items},
               {"atomic", settings.atomic},
               {"isolate_shared", settings.isolate_shared}};
  if (settings.list_size) json["list_size"] = *settings.list_size;
  if (settings.seed) json["seed"] = *settings.seed;
  if (settings.aim) json["aim"] = aim_json(*settings.aim);
  return kept(json);
}

std::string range_settings(const std::string& range) { return kept(Json{{"levels", range}}); }

std::string setting_of(const std::string& settings, const std::string& name) {
  return text_of(object_of(settings), name.c_str());
}

std::string describe_settings(const std::string& settings) {
  const Json json = object_of(settings);
  if (json.contains("description")) return text_of(json, "description");
  std::string text = "levels " + text_of(json, "levels");
  if (!json.contains("category")) return text;
  text += ", category " + text_of(json, "category") + ", ";
  text += json.contains("list_size") ? "custom list of " + text_of(json, "list_size") + " items"
                                     : "rules \"" + text_of(json, "rules") + "\"";
  text += ", npc percent " + text_of(json, "npc_percent") + ", chance " + text_of(json, "chance") +
          ", probability " + text_of(json, "probability") + ", items " + text_of(json, "items");
  text += json.contains("seed") ? ", seed " + text_of(json, "seed") : ", seed from the time of day";
  if (json.contains("aim")) {
    try {
      text += ", aiming at " + aim_words(aim_of_json(json.at("aim")));
    } catch (const std::exception&) {
      text += ", aiming at " + json.at("aim").dump();
    }
  }
  return text + (json.value("atomic", false) ? ", atomic" : "") +
         (json.value("isolate_shared", false) ? ", shared loottables copied" : "");
}

std::string settings_of_older_text(const std::string& text) {
  // The older text named each setting before its value, settings separated by ','.
  const auto older = [&text](const std::string& name) {
    const std::string head = name + " ";
    for (auto at = text.find(head); at != std::string::npos; at = text.find(head, at + 1)) {
      const auto from = at + head.size();
      const auto end = text.find(',', from);
      if (end != from && from < text.size()) return text.substr(from, end - from);
    }
    return std::string();
  };
  Json json = {{"description", text}, {"levels", older("levels")}};
  if (const std::string category = older("category"); !category.empty())
    json["category"] = category;
  return kept(json);
}

}  // namespace vl::journal
