#pragma once
// The Preview's work, apart from any window: the main window's settings taken
// at one moment, the plan of the run Execute would make with them and what it
// changes for the players, and the plan's files. Everything here reads only;
// the write is WindowJournal::write_all_or_nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/window/program_state.h"
#include "app/window/window_journal.h"
#include "core/ending.h"
#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"
#include "loot/shared_copies.h"

namespace vl::app {

// The settings Execute would read now: range, category (into kLootCategories),
// rules or custom list, the three percentages as typed, items per drop (and,
// set by the Preview, whether the range gets copies of shared loottables). A plan
// made with settings unequal to those now is not the run Execute would make.
struct WindowSettings {
  std::string low, high;
  int category = 0;
  std::string rules;
  std::string percent_of_npcs, chance, probability;
  int items = 0;
  bool custom_list = false;
  std::vector<std::optional<double>> list;  // the custom list's slots, when active
  bool isolate_shared = false;              // the Preview's own choice: copies of shared loottables
  // The Preview's own choice too: the drops' values solved for it, else the three percentages'.
  std::optional<loot::RunAim> aim;
  bool operator==(const WindowSettings&) const = default;
};
WindowSettings window_settings(const ProgramState& state);

// A session holding only the connection settings of `session`: for work on
// another thread, which must not touch the window's session.
std::shared_ptr<db::Session> connection_settings(const db::Session& session);

// What the Preview shows.
struct Preview {
  WindowSettings settings;
  std::uint64_t seed = 0;
  loot::Plan plan;
  loot::CopiedRows copies;  // the rows of the plan's loottable copies, read with the plan
  loot::PlanDetails details;
  loot::PlanDropRates rates;
};

enum class PreviewStep { planning, details, drop_rates };

struct PreviewOutcome {
  std::unique_ptr<Preview> preview;  // nullptr when refused or stopped
  std::string message;               // why it was refused; "" when stopped
};

// Plans on a connection of its own made with `session`'s settings (reading the
// rows of the plan's loottable copies with it), solving the drops for the
// settings' aim if any, then reads the names and the drop rates (over the loot
// the aim was solved with, read once). `go_on` is asked before each step; false stops.
PreviewOutcome make_preview(const db::Session& session, const WindowSettings& settings,
                            std::uint64_t seed, const std::function<bool(PreviewStep)>& go_on);

// "Write all at once": the preview's plan written all or nothing on a
// connection of its own, journaled in `journal`, with the lootdrop ids taken
// under the writers' lock. `stop_requested` is asked before every statement up
// to COMMIT. The message tells the drops, entries and time, or the failure.
struct PreviewWrite {
  Ending ending = Ending::completed;
  std::string message;
  std::optional<std::int64_t> run_id;  // the journal's run that holds the write, if any
};
PreviewWrite write_preview(Preview& preview, const db::Session& session, WindowJournal& journal,
                           const std::function<bool()>& stop_requested);

// The run's settings as the journal keeps them.
std::string journal_settings(const Preview& preview);

// The plan as a script for the mariadb client, and the report (its format by
// the file's extension); written whole or not at all. "" when written, else
// the message to show.
std::string save_script(const Preview& preview, const std::string& path);
std::string save_report(const Preview& preview, const std::string& path);

}  // namespace vl::app
