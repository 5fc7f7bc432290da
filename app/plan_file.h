#pragma once
// A plan saved by `generate --dry-run --plan FILE.json` for `apply`: one JSON
// object with a format version, the run's settings as the journal keeps them,
// what the plan relied on in the world, and the drops as rows keyed by their
// tables' column names (never as SQL text). Each drop is an object holding its
// NPC and, per table, the rows it writes there. With --isolate-shared it also
// holds the highest loottable id and the copies: each original, its copy's id,
// the range's NPCs moved to the copy and how many NPCs outside keep it.

#include <cstdint>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>

#include "journal/run_settings.h"
#include "loot/plan.h"

namespace vl::app {

// The first version holds no loottable copies; the second adds them.
inline constexpr int kFirstPlanFileVersion = 1, kPlanFileVersion = 3;

// The most a plan file may hold, and how deep its JSON may nest (a plan
// nests five deep): a larger or deeper file is refused before it is parsed.
inline constexpr std::size_t kMostPlanFileBytes = std::size_t{256} << 20;
inline constexpr int kMostPlanFileDepth = 16;

struct SavedPlan {
  // Read from a file, its levels stay empty until checked against the known
  // ranges before apply writes it: a file's text never reaches a statement.
  loot::Plan plan;
  journal::GenerationSettings settings;
  std::set<std::int32_t> missing_items;  // planned items that did not exist in items
  // A custom list's distinct item ids (with settings.list_size), saved with
  // the settings so that apply can check the drops against them; none in a
  // file written before plans held them.
  std::optional<std::set<std::int32_t>> list_items;
};

struct PlanFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Writes `saved`, planned at `time` (ISO 8601, UTC).
void write_plan_file(std::ostream& out, const SavedPlan& saved, const std::string& time);

// The plan of a file's text. Throws PlanFileError when it is no plan file of
// a version this program reads (larger or deeper than the limits above too),
// or holds a row or copy this program would not write from its settings.
SavedPlan read_plan_file(const std::string& text);

// The plan of the file at `path`, read a piece at a time up to one byte beyond
// kMostPlanFileBytes: enough to refuse a file too large without holding it.
// Throws PlanFileError, also when it cannot be read.
SavedPlan load_plan_file(const std::string& path);

}  // namespace vl::app
