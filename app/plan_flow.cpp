#include "app/plan_flow.h"

#include <fmt/core.h>

#include "app/aim_text.h"
#include "app/dry_run.h"
#include "app/plan_checks.h"
#include "app/plan_json.h"
#include "app/plan_preview.h"
#include "app/plan_write_text.h"
#include "app/planning.h"
#include "db/database.h"
#include "journal/run_settings.h"
#include "loot/plan_fit.h"

namespace vl::app {
namespace {

// One line per reason, after `head`.
std::string listed(std::string head, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) head += "\n  " + line;
  return head;
}

// The counts and the question, when the shell asks one: false once it is
// declined or the counts could not be read (said). The drop rates are
// computed over `world` when planning read it.
bool confirmed(const PlanFlowShell& shell, const loot::Plan& plan, db::Connection& connection,
               const loot::DropWorld* world = nullptr) {
  if (!shell.confirm) return true;
  BeforeWrite shown;
  try {
    shown = before_write(plan, connection, world);
  } catch (const db::Error& error) {
    shell.say(
        db::statement_failed_message(error, "(looking up names and drop rates for the plan)"));
    return false;
  }
  if (shell.confirm(shown.counts, shown.question)) return true;
  shell.say("Nothing was changed.");
  return false;
}

PlanFlowResult write(const PlanFlowShell& shell, db::Session& session, db::Connection& connection,
                     loot::Plan& plan, PlanJournal* journal, const PlanWriteRequest& request) {
  if (shell.writing) shell.writing();
  PlanFlowResult result{.written = write_plan(session, connection, plan, journal, request)};
  result.ending = result.written->ending;
  if (shell.written) shell.written(plan, *result.written);
  return result;
}

}  // namespace

Planning plan_over(const PlanFlowShell& shell, loot::FixedInputs& inputs, std::uint64_t seed,
                   const std::optional<loot::RunAim>& aim) {
  Planning planning;
  planning.connection = shell.connect();
  if (!planning.connection) return {.ending = Ending::connection_lost};
  Planned planned = plan_with_seed(inputs, *planning.connection, seed, aim);
  if (!planned.plan) {
    shell.say(planned.message);
    return {.ending = Ending::refused};
  }
  planning.plan = std::move(planned.plan);
  planning.world = std::move(planned.world);
  return planning;
}

loot::PlanDropRates rates_for_report(const PlanFlowShell& shell, const loot::Plan& plan,
                                     db::Connection& connection, const loot::DropWorld* world) {
  ReportRates read = read_report_rates(plan, connection, world);
  if (read.missing) shell.say("The report lacks drop rates: " + *read.missing);
  return std::move(read.rates);
}

bool write_report_file(const PlanFlowShell& shell, const loot::Plan& plan,
                       db::Connection& connection, std::uint64_t seed,
                       const loot::PlanDropRates& rates, const loot::PlanDetails* details) {
  if (auto lacking = write_plan_report(*shell.report.out, shell.report_format, plan, connection,
                                       seed, rates, details))
    shell.say("The report lacks names: " + *lacking);
  return shell.report.commit();
}

Ending show_dry_run(const PlanFlowShell& shell, const loot::Plan& plan, db::Connection& connection,
                    const loot::FixedInputs& inputs, std::uint64_t seed, const DryRun& dry_run) {
  const PlanReview review = read_plan_review(plan, connection, dry_run.world);
  if (review.details_read && !dry_run.json)
    write_plan_preview(*dry_run.out, plan, review.details, dry_run.shown);
  if (!review.failure.empty()) {
    shell.say(review.failure);
    return Ending::refused;
  }
  if (dry_run.json)
    write_plan_json(*dry_run.out, plan, review.details, review.rates);
  else
    *dry_run.out << drop_rates_text(plan, review.rates);
  if (dry_run.script.out) {
    if (auto failure =
            write_review_script(*dry_run.script.out, plan, connection, dry_run.planned_by,
                                journal::generation_settings(dry_run.settings))) {
      shell.say(*failure);
      return Ending::refused;
    }
    if (!dry_run.script.commit()) return Ending::refused;
  }
  if (shell.report.out &&
      !write_report_file(shell, plan, connection, seed, review.rates, &review.details))
    return Ending::refused;
  if (dry_run.plan_file.out) {
    write_plan_file(*dry_run.plan_file.out,
                    saved_plan_of(plan, dry_run.settings, inputs, review.details), utc_now());
    if (!dry_run.plan_file.commit()) return Ending::refused;
  }
  return Ending::completed;
}

bool report_window_way_run(const PlanFlowShell& shell, loot::Plan& plan, std::uint64_t seed,
                           const loot::PlanDropRates& rates) {
  const auto connection = shell.connect();
  if (!connection) return false;
  if (auto failure = take_ids_for_report(plan, *connection)) {
    shell.say("The report could not be written: " + *failure);
    return false;
  }
  return write_report_file(shell, plan, *connection, seed, rates);
}

Ending confirm_plan(const PlanFlowShell& shell, loot::FixedInputs& inputs, std::uint64_t seed) {
  Planning planning = plan_over(shell, inputs, seed);
  if (!planning.plan) return planning.ending;
  return confirmed(shell, *planning.plan, *planning.connection) ? Ending::completed
                                                                : Ending::declined;
}

PlanFlowResult write_new_plan(const PlanFlowShell& shell, db::Session& session,
                              loot::FixedInputs& inputs, std::uint64_t seed, PlanJournal* journal,
                              PlanWriteRequest request, const std::optional<loot::RunAim>& aim) {
  Planning planning = plan_over(shell, inputs, seed, aim);
  if (!planning.plan) return {.ending = planning.ending};
  loot::Plan& plan = *planning.plan;
  db::Connection& connection = *planning.connection;
  const loot::DropWorld* world = planning.world ? &*planning.world : nullptr;
  const loot::PlanDropRates rates =
      shell.report.out ? rates_for_report(shell, plan, connection, world) : loot::PlanDropRates();
  // The question is about the very plan that is written; the time spent
  // answering it is not the run's.
  if (!confirmed(shell, plan, connection, world)) return {.ending = Ending::declined};
  if (shell.confirm) request.started = std::chrono::steady_clock::now();
  PlanFlowResult result = write(shell, session, connection, plan, journal, request);
  // The run's journal ended with the write, whatever becomes of the report.
  if (shell.report.out && result.written->ending == Ending::completed && !plan.drops.empty() &&
      !write_report_file(shell, plan, connection, seed, rates))
    result.ending = Ending::stopped_part_way;
  return result;
}

PlanFlowResult apply_saved_plan(const PlanFlowShell& shell, db::Session& session, SavedPlan& saved,
                                const std::string& path, PlanJournal* journal,
                                PlanWriteRequest request) {
  const PlanRulesCheck check = check_plan_rules(saved);
  if (!check.breaks.empty()) {
    shell.say(listed("The plan " + path +
                         " is not one generate makes from its own settings; nothing was written:",
                     check.breaks));
    return {.ending = Ending::refused};
  }
  const auto connection = shell.connect();
  if (!connection) return {.ending = Ending::connection_lost};
  std::vector<std::string> misfits;
  try {
    misfits = loot::plan_misfits(saved.plan, check.rules, *connection);
  } catch (const db::Error& error) {
    shell.say(db::statement_failed_message(error, "(checking the world against the plan)"));
    return {.ending = Ending::refused};
  }
  if (!misfits.empty()) {
    shell.say(listed(
        "The world no longer fits the plan " + path + "; nothing was written (make a new plan):",
        misfits));
    return {.ending = Ending::refused};
  }
  if (!confirmed(shell, saved.plan, *connection)) return {.ending = Ending::declined};
  request.command = "apply";
  request.settings = journal::generation_settings(saved.settings);
  request.ids_as_planned = true;
  // Checked again under the run's turn, the rows held until COMMIT: a writer
  // that came between the check above and the write is never overwritten.
  request.world_changes = [&] {
    return loot::world_misfits(saved.plan, check.rules, *connection, true);
  };
  return write(shell, session, *connection, saved.plan, journal, request);
}

}  // namespace vl::app
