#include "cli/planned_run.h"

#include <fmt/core.h>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "app/dry_run.h"
#include "app/plan_file.h"
#include "app/plan_json.h"
#include "app/plan_write_text.h"
#include "app/planning.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/plan_output.h"
#include "cli/question.h"
#include "cli/run_journal.h"
#include "cli/terminal_ui.h"
#include "core/whole_file.h"
#include "db/database.h"
#include "loot/plan_details.h"

namespace vl::cli {
namespace {

void say(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

// A file the command writes, created before any statement is sent (nullptr
// without its option); false when it cannot be.
bool open_output(const std::optional<std::string>& path, const char* option,
                 std::unique_ptr<WholeFile>& file) {
  if (!path) return true;
  try {
    file = std::make_unique<WholeFile>(*path);
    return true;
  } catch (const FileError& error) {
    say(fmt::format(
        "vandril_loot_cli: {} {} cannot be written ({}); nothing was sent to the server.", option,
        *path, error.what()));
    return false;
  }
}

// Puts the written file in place; false, said, when it could not be written whole.
bool finish_output(WholeFile& file, const std::string& path, const char* option) {
  try {
    file.commit();
    return true;
  } catch (const FileError& error) {
    say(fmt::format("vandril_loot_cli: {} {} could not be written ({}); it was left as it was.",
                    option, path, error.what()));
    return false;
  }
}

// `observed`: its statements are logged and counted like the handlers' (the
// window's way counts its own statements only, so the report's reads are not).
std::unique_ptr<db::Connection> connect(db::Session& session, bool observed = true) {
  return observed ? observed_connection(session) : connect_or_say(session);
}

// The plan, or the exit code of what kept it from being made (nothing written).
std::variant<loot::Plan, int> make_plan(loot::FixedInputs& inputs, db::Connection& connection,
                                        std::uint64_t seed) {
  app::Planned planned = app::plan_with_seed(inputs, connection, seed);
  if (planned.plan) return std::move(*planned.plan);
  say(planned.message);
  return kExitRefused;
}

// The plan's drop rates for its report; none, said, when they cannot be read.
loot::PlanDropRates report_rates(const loot::Plan& plan, db::Connection& connection) {
  app::ReportRates read = app::read_report_rates(plan, connection);
  if (read.missing) say("The report lacks drop rates: " + *read.missing);
  return std::move(read.rates);
}

// False, said, when the file could not be written whole.
bool write_report_file(WholeFile& file, const std::string& path, const loot::Plan& plan,
                       db::Connection& connection, std::uint64_t seed,
                       const loot::PlanDropRates& rates,
                       const loot::PlanDetails* details = nullptr) {
  if (auto lacking = app::write_plan_report(file.out(), *report_format(path), plan, connection,
                                            seed, rates, details))
    say("The report lacks names: " + *lacking);
  return finish_output(file, path, "--report");
}

}  // namespace

std::optional<int> refuse_unwritable_outputs(const Invocation& run) {
  if (run.command != CommandName::generate) return std::nullopt;  // apply's --plan is read
  for (const auto& [path, option] :
       {std::pair{&run.sql, "--sql"}, std::pair{&run.report, "--report"},
        std::pair{&run.plan, "--plan"}}) {
    std::unique_ptr<WholeFile> tried;  // removed again at once
    if (!open_output(*path, option, tried)) return kExitRefused;
  }
  return std::nullopt;
}

int run_planned(db::Session& session, loot::FixedInputs& inputs, const Invocation& run,
                std::uint64_t seed, RunJournal* journal) {
  const auto started = std::chrono::steady_clock::now();
  std::unique_ptr<WholeFile> sql_file, report_file, plan_file;
  if (!open_output(run.sql, "--sql", sql_file) ||
      !open_output(run.report, "--report", report_file) ||
      !open_output(run.plan, "--plan", plan_file))
    return kExitRefused;
  // Planning only reads: Ctrl+C may end it at once.
  end_at_once_on_interrupt(true);
  const auto connection = connect(session);
  if (!connection) return kExitNotConnected;
  auto planned = make_plan(inputs, *connection, seed);
  if (auto* code = std::get_if<int>(&planned)) return *code;
  loot::Plan& plan = std::get<loot::Plan>(planned);

  if (run.dry_run) {
    const app::PlanReview review = app::read_plan_review(plan, *connection);
    if (review.details_read && run.format != Format::json)
      print_plan(std::cout, plan, review.details);
    if (!review.failure.empty()) {
      say(review.failure);
      return kExitRefused;
    }
    const loot::PlanDetails& details = review.details;
    const loot::PlanDropRates& rates = review.rates;
    if (run.format == Format::json)
      app::write_plan_json(std::cout, plan, details, rates);
    else
      std::cout << app::drop_rates_text(plan, rates);
    if (sql_file) {
      if (auto failure = app::write_review_script(sql_file->out(), plan, *connection,
                                                  "vandril_loot_cli generate",
                                                  run_settings(inputs, run, seed))) {
        say(*failure);
        return kExitRefused;
      }
      if (!finish_output(*sql_file, *run.sql, "--sql")) return kExitRefused;
    }
    if (report_file &&
        !write_report_file(*report_file, *run.report, plan, *connection, seed, rates, &details))
      return kExitRefused;
    if (plan_file) {
      app::write_plan_file(
          plan_file->out(),
          app::saved_plan_of(plan, generation_settings(inputs, run, seed), inputs, details),
          utc_now());
      if (!finish_output(*plan_file, *run.plan, "--plan")) return kExitRefused;
    }
    return kExitDone;
  }

  const loot::PlanDropRates rates =
      run.report ? report_rates(plan, *connection) : loot::PlanDropRates();
  // On a terminal the question is about the very plan that is written; the
  // time spent answering it is not the run's.
  if (!run.yes)
    if (auto declined = ask_about_plan(plan, *connection)) return *declined;
  const int code = write_plan(session, *connection, plan, journal,
                              {.command = "generate",
                               .settings = run_settings(inputs, run, seed),
                               .started = run.yes ? started : std::chrono::steady_clock::now()},
                              run.format, seed);
  // The run's journal ended with the write, whatever becomes of the report.
  if (report_file && code == kExitDone && !plan.drops.empty() &&
      !write_report_file(*report_file, *run.report, plan, *connection, seed, rates))
    return kExitStoppedPartWay;
  return code;
}

int write_plan(db::Session& session, db::Connection& connection, loot::Plan& plan,
               RunJournal* journal, app::PlanWriteRequest request, Format format,
               std::optional<std::uint64_t> seed) {
  // From here on Ctrl+C stops the write where it may, so that the run begun is ended.
  end_at_once_on_interrupt(false);
  request.stop_requested = [] { return interrupted(); };
  const app::PlanWritten written = app::write_plan(session, connection, plan, journal, request);
  if (written.refused_by_journal()) {
    say_journal_refused(written.message.c_str());
    return kExitRefused;
  }
  if (!written.message.empty()) say(written.message);
  const ResultFields fields =
      generate_fields(plan.npcs_in_range, plan.npcs_in_range, plan.drops.size(), written.drops,
                      written.entries, written.seconds);
  std::fputs(result_text(fields, write_result_style(format, written.run_id, seed)).c_str(), stdout);
  std::fflush(stdout);
  return exit_code_of(written.ending);
}

std::optional<int> ask_about_plan(const loot::Plan& plan, db::Connection& connection) {
  try {
    std::fputs(app::counts_before_write(plan, connection).c_str(), stderr);
  } catch (const db::Error& error) {
    say(db::statement_failed_message(error, "(looking up names and drop rates for the plan)"));
    return kExitRefused;
  }
  if (answered_yes(
          fmt::format("Write {} drops with {} entries?", plan.drops.size(), plan.entries())))
    return std::nullopt;
  say("Nothing was changed.");
  return kExitRefused;
}

std::optional<int> confirm_generate(db::Session& session, loot::FixedInputs& inputs,
                                    std::uint64_t seed) {
  end_at_once_on_interrupt(true);
  const auto connection = connect(session);
  if (!connection) return kExitNotConnected;
  auto planned = make_plan(inputs, *connection, seed);
  if (auto* code = std::get_if<int>(&planned)) return *code;
  auto declined = ask_about_plan(std::get<loot::Plan>(planned), *connection);
  end_at_once_on_interrupt(false);
  return declined;
}

std::variant<std::unique_ptr<WindowRunReport>, int> prepare_window_report(db::Session& session,
                                                                          loot::FixedInputs& inputs,
                                                                          const Invocation& run,
                                                                          std::uint64_t seed) {
  std::unique_ptr<WholeFile> file;
  if (!open_output(run.report, "--report", file)) return kExitRefused;
  const auto connection = connect(session, false);
  if (!connection) return kExitNotConnected;
  auto planned = make_plan(inputs, *connection, seed);
  if (auto* code = std::get_if<int>(&planned)) return *code;
  loot::Plan& plan = std::get<loot::Plan>(planned);
  loot::PlanDropRates rates = report_rates(plan, *connection);
  return std::make_unique<WindowRunReport>(
      WindowRunReport{std::move(plan), std::move(file), seed, std::move(rates)});
}

bool finish_window_report(db::Session& session, WindowRunReport& report, const Invocation& run) {
  const auto connection = connect(session, false);
  if (!connection) return false;
  loot::Plan& plan = report.plan;
  if (auto failure = app::take_ids_for_report(plan, *connection)) {
    say("The report could not be written: " + *failure);
    return false;
  }
  return write_report_file(*report.file, *run.report, plan, *connection, report.seed, report.rates);
}

}  // namespace vl::cli
