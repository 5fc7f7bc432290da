#pragma once
// generate's and apply's way to the world, the same under every shell: the
// plan made once from the settings and a seed (or a saved plan checked against
// generate's rules and the world), its counts shown and asked about, written
// all or nothing through write_plan, and its report written after. The shell
// connects, asks and says things its own way, and turns how the flow ended
// into its own ending.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "app/dry_run_text.h"
#include "app/plan_file.h"
#include "app/plan_report.h"
#include "app/plan_write.h"
#include "core/ending.h"
#include "db/odbc.h"
#include "db/session.h"
#include "journal/run_settings.h"
#include "loot/drop_world.h"
#include "loot/fixed_inputs.h"
#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"

namespace vl::app {

// A file a flow writes: where, and how the shell puts it in place once it is
// written whole (false once the shell has said why it could not).
struct FlowFile {
  std::ostream* out = nullptr;  // nullptr: not asked for
  std::function<bool()> commit{};
};

struct PlanFlowShell {
  // The world's connection, or nullptr once the shell has said why there is none.
  std::function<std::unique_ptr<db::Connection>()> connect;
  // Says why the flow stops, or what a report lacks.
  std::function<void(const std::string&)> say;
  // Shows `counts` (the plan's totals and drop rates) and asks `question`;
  // true goes on. Empty: nobody is asked.
  std::function<bool(const std::string& counts, const std::string& question)> confirm;
  // Called once the write begins: from here a stop must end the run begun.
  std::function<void()> writing;
  // Told how the write went as soon as it is known, before any report.
  std::function<void(const loot::Plan& plan, const PlanWritten& written)> written;
  // The report of the plan written (its ids those taken), in `report_format`;
  // not asked for: no report, nor its drop rates read.
  FlowFile report{};
  ReportFormat report_format = ReportFormat::csv;
};

// A plan of `inputs` with `seed` over the shell's connection.
struct Planning {
  Ending ending = Ending::completed;  // refused or connection_lost: no plan
  std::unique_ptr<db::Connection> connection{};
  std::optional<loot::Plan> plan{};  // when planned
  // The loot of the range as read to solve the plan's aim: its drop rates are
  // computed over it rather than read again.
  std::optional<loot::DropWorld> world{};
};
// With `aim`, the drops' values are solved for it.
Planning plan_over(const PlanFlowShell& shell, loot::FixedInputs& inputs, std::uint64_t seed,
                   const std::optional<loot::RunAim>& aim = std::nullopt);

// The plan's drop rates for its report, read before anything is written;
// none, said, when they cannot be read.
loot::PlanDropRates rates_for_report(const PlanFlowShell& shell, const loot::Plan& plan,
                                     db::Connection& connection,
                                     const loot::DropWorld* world = nullptr);

// The report of `plan` to the shell's report file, its names from `details`
// when the world was read for them already, else over `connection`. False
// when the file could not be written (said).
bool write_report_file(const PlanFlowShell& shell, const loot::Plan& plan,
                       db::Connection& connection, std::uint64_t seed,
                       const loot::PlanDropRates& rates,
                       const loot::PlanDetails* details = nullptr);

// A dry run: the plan shown on `out` (for people, or as one JSON document),
// then the review script and the plan file when asked for, and the report.
struct DryRun {
  std::ostream* out = nullptr;
  bool json = false;
  ShownName shown{};                       // how a name read from the world is shown
  std::string planned_by{};                // heads the script
  const loot::DropWorld* world = nullptr;  // the range's loot as planning read it, if it did
  journal::GenerationSettings settings{};  // kept in the script and the plan file
  FlowFile script{}, plan_file{};
};
Ending show_dry_run(const PlanFlowShell& shell, const loot::Plan& plan, db::Connection& connection,
                    const loot::FixedInputs& inputs, std::uint64_t seed, const DryRun& dry_run);

// After a run written the window's way: `plan` (of the run's seed, made before
// it) cut to the drops the run wrote, with the ids they took, and its report
// written over a connection of the shell's. False when it could not (said).
bool report_window_way_run(const PlanFlowShell& shell, loot::Plan& plan, std::uint64_t seed,
                           const loot::PlanDropRates& rates);

// Plans and asks, writing nothing: completed when the shell may go on.
Ending confirm_plan(const PlanFlowShell& shell, loot::FixedInputs& inputs, std::uint64_t seed);

struct PlanFlowResult {
  // The write's own ending once it ran; stopped_part_way: written and
  // committed, but not its report.
  Ending ending = Ending::refused;
  std::optional<PlanWritten> written{};  // once the write ran
};

// generate: plans once (for `aim`, when given), asks, writes with `request`
// (the time spent answering not counted), and writes the report of a
// committed run with drops.
PlanFlowResult write_new_plan(const PlanFlowShell& shell, db::Session& session,
                              loot::FixedInputs& inputs, std::uint64_t seed, PlanJournal* journal,
                              PlanWriteRequest request,
                              const std::optional<loot::RunAim>& aim = std::nullopt);

// apply: `saved` (read from `path`) checked against generate's rules, then
// against the world, asked about and written with its own lootdrop ids, the
// world checked again under the run's turn.
PlanFlowResult apply_saved_plan(const PlanFlowShell& shell, db::Session& session, SavedPlan& saved,
                                const std::string& path, PlanJournal* journal,
                                PlanWriteRequest request);

}  // namespace vl::app
