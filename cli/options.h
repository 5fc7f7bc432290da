#pragma once
// The command line's arguments: parsed, checked and turned into one invocation,
// or into what to print and the exit code when there is nothing to run.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/output_format.h"
#include "app/plan_report.h"
#include "app/setting_ranges.h"
#include "loot/aim_solver.h"
#include "loot/spawn_rates.h"

namespace vl::cli {

enum class CommandName {
  generate,
  stats,
  delete_drops,
  repair,
  test_rules,
  check,
  history,
  show,
  undo,
  simulate,
  categories,
  apply
};
enum class Verbosity { quiet, normal, verbose };
using Format = app::Format;

struct Invocation {
  CommandName command = CommandName::generate;
  std::string config;  // empty: the default places
  // Connection settings that win over db.ini's `port=` and `ssl_ca=`.
  std::optional<int> port;
  std::optional<std::string> ssl_ca;
  Verbosity verbosity = Verbosity::normal;
  int level_index = 0;              // into loot::kLevelRanges
  int category_index = 0;           // into loot::kLootCategories
  std::optional<std::string> list;  // a file name, "-" for standard input
  std::optional<std::string> rules;
  // The texts of the window's boxes, checked to be numbers.
  std::string npc_percent = "25", chance = "10", probability = "50", items = "5";
  Format format = Format::table;
  bool yes = false;
  // generate: the seed of every random choice (nullopt: one is picked and
  // shown), a plan instead of a run, the plan written all or nothing (unless
  // written the window's way), the plan's review script, the report file
  // (.csv or .json). delete and repair: --dry-run tells what they would do.
  std::optional<std::uint64_t> seed;
  bool dry_run = false, atomic = false, window_way = false;
  // generate: give the range its own copies of the loottables NPCs outside it share.
  bool isolate_shared = false;
  // generate: each drop's values solved for an aim (--target-rate, --level-to)
  // instead of one probability for every drop.
  std::optional<loot::RunAim> aim;
  std::optional<std::string> sql, report;
  // generate --dry-run: the plan file to write; apply: the plan file to write from.
  std::optional<std::string> plan;
  // The journal of the write commands (nullopt: the default places), or none.
  std::optional<std::string> journal;
  bool no_journal = false;
  // show and undo: the run; undo --force skips the rows in conflict.
  std::int64_t run_id = 0;
  bool force = false;
  // simulate: the NPCs of a level range, or of the ids given; the server's
  // global loot multiplier; kills to roll beside the figures (with `seed`).
  int simulate_low = 0, simulate_high = 0;
  std::vector<std::int64_t> npc_ids;
  int loot_multiplier = 1;
  std::optional<long long> kills;
  bool summary = false;  // simulate: the summary alone
  // simulate --per-hour: what the NPCs' spawns bring an hour, over `instances`
  // of every zone; --by-item: per item instead of per NPC.
  std::optional<loot::SpawnOptions> per_hour;
  bool by_item = false;
  // simulate: the share of kills in percent every NPC is to give something on;
  // with it the probability each NPC's drop (of `items` at `chance`) would need.
  std::optional<double> level_to;
};

struct ParsedArguments {
  std::optional<Invocation> invocation;  // nullopt: nothing to run, print and exit
  int exit_code = 0;
  std::string out, err;
};

ParsedArguments parse_arguments(int argc, const char* const* argv);

// generate writes the window's way: the window's connections and statements, no plan.
bool window_way_chosen(const Invocation& run);

using app::find_category;
using app::find_level_range;
using app::report_format;
using app::ReportFormat;

}  // namespace vl::cli
