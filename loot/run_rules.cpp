#include "loot/run_rules.h"

#include <cmath>
#include <limits>

#include "core/numeric_text.h"

namespace vl::loot {
namespace {

// A box's text as a message quotes it: a long text is cut (never inside a UTF-8
// sequence), so that the message box still fits the screen.
std::string quoted(const std::string& text) {
  constexpr std::size_t kShownLength = 40;
  if (text.size() <= kShownLength) return "\"" + text + "\"";
  std::size_t cut = kShownLength;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return "\"" + text.substr(0, cut) + "...\"";
}

// A percentage box rounded down. The value is held as a single-precision number,
// as the world database's chance and probability columns hold it: a number
// beyond that range is refused before anything is written, rather than leaving
// a lootdrop without entries when the server rejects its first entry.
double whole_percent(const std::string& text, const std::string& label) {
  const double value = round_down(numeric_value(text));
  if (!(std::fabs(value) <= std::numeric_limits<float>::max())) {
    throw RunStopped{label + " " + quoted(text) + " is no usable number." + kNothingWritten};
  }
  return value;
}

}  // namespace

RunSettings read_settings(const std::string& percent_text, const std::string& chance,
                          const std::string& probability) {
  const double percent = round_down(numeric_value(percent_text));
  if (!(percent >= std::numeric_limits<std::int16_t>::min() &&
        percent <= std::numeric_limits<std::int16_t>::max())) {
    throw RunStopped{"Percent of NPCs " + quoted(percent_text) +
                     " is out of range (-32768 to 32767)." + kNothingWritten};
  }
  return {static_cast<std::int16_t>(percent), whole_percent(chance, "Chance per item"),
          whole_percent(probability, "Loottable probability")};
}

std::string settled_items_per_drop(const std::string& text) {
  const auto number = whole_text_number(text);
  if (!number) return "5";
  if (*number > 100) return "100";
  return to_int16(numeric_value(text)) ? text : "5";
}

LevelBounds level_bounds(const std::string& entry) {
  return {entry.substr(0, 2), entry.size() >= 2 ? entry.substr(entry.size() - 2) : entry};
}

std::optional<std::string> draw_problem(const CandidatePool& pool, int items) {
  if (items > kMaxItemsPerDrop) {
    return "At most " + std::to_string(kMaxItemsPerDrop) + " items fit in one drop (" +
           std::to_string(items) + " items per drop asked for).";
  }
  // A drop of no items draws nothing, so no candidate needs to be an id.
  if (items > 0 && pool.unconvertible) {
    return "The candidate list holds " + number_text(*pool.unconvertible) +
           ", which is no valid item id.";
  }
  if (items > pool.distinct_ids) {
    return "Only " + std::to_string(pool.distinct_ids) +
           " different items to draw from, fewer than the " + std::to_string(items) +
           " items per drop.";
  }
  return std::nullopt;
}

void check_candidates(bool item_query_failed, int candidate_count, bool custom_list, int items,
                      const CandidatePool& pool) {
  if (item_query_failed) {
    throw RunStopped{"The item query failed - check the rules for wrong field names and syntax." +
                     std::string(kNothingWritten)};
  }
  if (candidate_count <= 0) {
    throw RunStopped{(custom_list ? "The custom item list holds no items."
                                  : "No items match the selected category"
                                    " and rules.") +
                     std::string(kNothingWritten)};
  }
  if (auto problem = draw_problem(pool, items)) {
    throw RunStopped{*problem + kNothingWritten};
  }
}

std::string npc_query(const std::string& low, const std::string& high) {
  return "SELECT id,loottable_id FROM npc_types WHERE level>=" + low + " AND level<=" + high;
}

std::optional<double> window_field_number(const db::Value& value) {
  if (value.is_null()) return std::nullopt;
  return numeric_value(value.text());
}

std::optional<std::int64_t> window_whole_number(const db::Value& value) {
  if (value.is_null()) return std::nullopt;
  const double number = round_half_even(*window_field_number(value));
  if (!(std::fabs(number) < 9.0e18)) return std::nullopt;
  return static_cast<std::int64_t>(number);
}

}  // namespace vl::loot
