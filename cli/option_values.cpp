#include "cli/option_values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "app/usage_wording.h"
#include "cli/suggestions.h"
#include "core/ascii_case.h"
#include "core/numeric_text.h"
#include "loot/catalog.h"

namespace vl::cli {
namespace {

std::string category_names() {
  std::string captions, other_words;
  for (const auto& category : loot::kLootCategories) {
    captions += (captions.empty() ? "\"" : ", \"") + std::string(category.caption) + "\"";
    if (ascii_lower(category.caption) != ascii_lower(category.name)) {
      other_words += ", \"" + std::string(category.name) + "\"";
    }
  }
  return captions + other_words;
}

// Digits only, at most ten of them: a whole number that fits any id column.
std::optional<std::int64_t> plain_whole(const std::string& text) {
  if (text.empty() || text.size() > 10 ||
      !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
    return std::nullopt;
  }
  return std::stoll(text);
}

}  // namespace

void check_in_range(const NumberRange& range, const std::string& text) {
  if (!value_in_range(range, text))
    throw UsageError{std::string(range.option) + " \"" + text + "\" is not a number from " +
                     range_words(range)};
}

int level_index(const std::string& entry) {
  if (auto index = app::find_typed_level_range(entry)) return *index;
  throw UsageError{"--levels " + entry + " is no level range; use one of " + level_entries()};
}

int category_index(const std::string& name) {
  if (auto index = find_category(name)) return *index;
  std::vector<std::string> words;
  for (const auto& category : loot::kLootCategories)
    for (std::string_view word : {category.caption, category.name})
      words.push_back(ascii_lower(word));
  throw UsageError{
      app::unknown_category(name, closest_word(ascii_lower(name), words), category_names())};
}

void read_simulate_levels(const std::string& text, Invocation& run) {
  const auto dash = text.find('-');
  const auto low = plain_whole(text.substr(0, dash));
  const auto high = dash == std::string::npos ? std::nullopt : plain_whole(text.substr(dash + 1));
  if (!low || !high || *low > *high) {
    throw UsageError{"--levels " + text +
                     " is no level range; give LL-HH with 0 <= LL <= HH, "
                     "such as 01-10"};
  }
  // Any level above the largest int is as good as the largest int.
  constexpr std::int64_t kTop = std::numeric_limits<int>::max();
  run.simulate_low = static_cast<int>(std::min(*low, kTop));
  run.simulate_high = static_cast<int>(std::min(*high, kTop));
}

std::vector<std::int64_t> npc_id_list(const std::string& text) {
  std::vector<std::int64_t> ids;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const auto id = plain_whole(text.substr(start, end - start));
    if (!id)
      throw UsageError{"--npc " + text + " is no list of NPC ids; give ID[,ID...], such as 12,40"};
    ids.push_back(*id);
    start = end + 1;
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

long long whole_in(const std::string& option, const std::string& text, long long low,
                   long long high, const char* range) {
  const auto number = plain_whole(text);
  if (!number || *number < low || *number > high)
    throw UsageError{option + " " + text + " is not a whole number from " + range};
  return *number;
}

namespace {

// A decimal read without the locale, which never decides the decimal point.
std::optional<double> plain_decimal(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace

double aim_percent(const std::string& option, const std::string& text) {
  const std::optional<double> percent = plain_decimal(text);
  // NaN fails both comparisons.
  if (!percent || !(*percent > 0 && *percent <= 100))
    throw UsageError{option + " " + text +
                     " is not a percent above 0 and at most 100 (decimals allowed, such as 2.5)"};
  return *percent;
}

double aim_items_per_hour(const std::string& text) {
  const std::optional<double> items = plain_decimal(text);
  if (!items || !(*items > 0 && *items <= kMostItemsPerHour))
    throw UsageError{"--aim-per-hour " + text +
                     " is not a number of items above 0 and at most 1000000000 (decimals "
                     "allowed, such as 7.5)"};
  return *items;
}

// Digits only, read without the locale: "-1" would otherwise wrap around to the
// largest seed.
std::uint64_t seed_of(const std::string& text) {
  std::uint64_t seed = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, seed);
  if (error != std::errc() || stop != end)
    throw UsageError{"--seed " + text + " is not a whole number from 0 to 2^64-1"};
  return seed;
}

Format format_of(const std::string& name) {
  if (name == "csv") return Format::csv;
  if (name == "json") return Format::json;
  return Format::table;
}

}  // namespace vl::cli
