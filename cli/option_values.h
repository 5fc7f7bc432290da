#pragma once
// The values of the command line's options: each text checked when parsed,
// before any connection, and turned into what the invocation holds.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/setting_ranges.h"
#include "cli/options.h"

namespace vl::cli {

// Bad input, said as "vandril_loot_cli: <message>" with exit 64.
struct UsageError {
  std::string message;
};

using app::kChance;
using app::kItems;
using app::kNpcPercent;
using app::kProbability;
using app::level_entries;
using app::NumberRange;
using app::range_words;

// The text, unchanged, when the window would take it as a number in `range`;
// throws UsageError otherwise.
void check_in_range(const NumberRange& range, const std::string& text);

// Index into loot::kLevelRanges / loot::kLootCategories, or UsageError.
int level_index(const std::string& entry);
int category_index(const std::string& name);

// simulate --levels: a range of the window, or any LL-HH with LL <= HH.
void read_simulate_levels(const std::string& text, Invocation& run);
// simulate --npc: ID[,ID...], sorted, each once.
std::vector<std::int64_t> npc_id_list(const std::string& text);
// A whole number from `low` to `high` (`range` names them), or UsageError.
long long whole_in(const std::string& option, const std::string& text, long long low,
                   long long high, const char* range);
// An aim's percent (generate's aims, simulate --level-to): a number above 0
// and at most 100, decimals allowed, or UsageError.
double aim_percent(const std::string& option, const std::string& text);
// --aim-per-hour: items an hour above 0 and at most kMostItemsPerHour, or UsageError.
inline constexpr double kMostItemsPerHour = 1e9;
double aim_items_per_hour(const std::string& text);
// --seed: 0 to 2^64-1, digits only.
std::uint64_t seed_of(const std::string& text);
Format format_of(const std::string& name);

}  // namespace vl::cli
