#include "cli/planned_run.h"

#include <fmt/core.h>
#include <chrono>
#include <cstdio>
#include <iostream>

#include "app/plan_flow.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/question.h"
#include "cli/result_output.h"
#include "cli/settings.h"

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

// `file` (nullptr: not asked for) as a flow writes it, put in place as `option` names it.
app::FlowFile flow_file(WholeFile* file, const std::optional<std::string>& path,
                        const char* option) {
  if (!file) return {};
  return {&file->out(), [file, &path, option] { return finish_output(*file, *path, option); }};
}

// The shell with the report file (when asked for) of `run`.
app::PlanFlowShell reporting_shell(app::PlanFlowShell shell, WholeFile* file,
                                   const Invocation& run) {
  shell.report = flow_file(file, run.report, "--report");
  if (file) shell.report_format = *report_format(*run.report);
  return shell;
}

// The command line's side of a plan flow: its connections (`observed`: logged
// and counted like the handlers'), the question on the terminal unless `yes`,
// the messages on standard error, and the result line (`format`, with `seed`
// and the run) on standard output once written.
app::PlanFlowShell plan_shell(db::Session& session, bool yes, Format format,
                              std::optional<std::uint64_t> seed, bool observed = true) {
  app::PlanFlowShell shell;
  // The window's way counts its own statements only, so the report's reads are not.
  shell.connect = [&session, observed] {
    return observed ? observed_connection(session) : connect_or_say(session);
  };
  shell.say = say;
  if (!yes)
    shell.confirm = [](const std::string& counts, const std::string& question) {
      std::fputs(counts.c_str(), stderr);
      return answered_yes(question);
    };
  // From here on Ctrl+C stops the write where it may, so that the run begun is ended.
  shell.writing = [] { end_at_once_on_interrupt(false); };
  shell.written = [format, seed](const loot::Plan& plan, const app::PlanWritten& written) {
    if (written.refused_by_journal()) return say_journal_refused(written.message.c_str());
    if (!written.message.empty()) say(written.message);
    const ResultFields fields =
        generate_fields(plan.npcs_in_range, plan.npcs_in_range, plan.drops.size(), written.drops,
                        written.entries, written.seconds);
    std::fputs(result_text(fields, write_result_style(format, written.run_id, seed)).c_str(),
               stdout);
    std::fflush(stdout);
  };
  return shell;
}

// A committed run whose report could not be written stays written.
int flow_exit_code(Ending ending) {
  return exit_code_of(ending, ending == Ending::stopped_part_way);
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
  const app::PlanFlowShell shell =
      reporting_shell(plan_shell(session, run.yes, run.format, seed), report_file.get(), run);
  if (run.dry_run) {
    app::Planning planning = app::plan_over(shell, inputs, seed, run.aim);
    if (!planning.plan) return flow_exit_code(planning.ending);
    return flow_exit_code(app::show_dry_run(
        shell, *planning.plan, *planning.connection, inputs, seed,
        {.out = &std::cout,
         .json = run.format == Format::json,
         .shown = terminal_text,
         .planned_by = "vandril_loot_cli generate",
         .world = planning.world ? &*planning.world : nullptr,
         .settings = app::generation_settings(inputs, shell_settings_of(run), seed),
         .script = flow_file(sql_file.get(), run.sql, "--sql"),
         .plan_file = flow_file(plan_file.get(), run.plan, "--plan")}));
  }
  return flow_exit_code(app::write_new_plan(shell, session, inputs, seed, journal,
                                            {.command = "generate",
                                             .settings = run_settings(inputs, run, seed),
                                             .stop_requested = interrupted,
                                             .started = started},
                                            run.aim)
                            .ending);
}

std::optional<int> confirm_generate(db::Session& session, loot::FixedInputs& inputs,
                                    std::uint64_t seed) {
  end_at_once_on_interrupt(true);
  const Ending ending =
      app::confirm_plan(plan_shell(session, false, Format::table, seed), inputs, seed);
  end_at_once_on_interrupt(false);
  if (ending != Ending::completed) return flow_exit_code(ending);
  return std::nullopt;
}

std::variant<std::unique_ptr<WindowRunReport>, int> prepare_window_report(db::Session& session,
                                                                          loot::FixedInputs& inputs,
                                                                          const Invocation& run,
                                                                          std::uint64_t seed) {
  std::unique_ptr<WholeFile> file;
  if (!open_output(run.report, "--report", file)) return kExitRefused;
  const app::PlanFlowShell shell = plan_shell(session, true, run.format, seed, false);
  app::Planning planning = app::plan_over(shell, inputs, seed);
  if (!planning.plan) return flow_exit_code(planning.ending);
  loot::PlanDropRates rates = app::rates_for_report(shell, *planning.plan, *planning.connection);
  return std::make_unique<WindowRunReport>(
      WindowRunReport{std::move(*planning.plan), std::move(file), seed, std::move(rates)});
}

bool finish_window_report(db::Session& session, WindowRunReport& report, const Invocation& run) {
  return app::report_window_way_run(
      reporting_shell(plan_shell(session, true, run.format, report.seed, false), report.file.get(),
                      run),
      report.plan, report.seed, report.rates);
}

int apply_plan(db::Session& session, const Invocation& run, RunJournal* journal) {
  const auto started = std::chrono::steady_clock::now();
  const std::string& path = *run.plan;
  app::SavedPlan saved;
  try {
    saved = app::load_plan_file(path);
  } catch (const app::PlanFileError& error) {
    say("vandril_loot_cli: the plan " + path + " cannot be applied: " + error.what() +
        ". Nothing was written.");
    return kExitRefused;
  }
  // Checking only reads: Ctrl+C may end it at once.
  end_at_once_on_interrupt(true);
  return flow_exit_code(
      app::apply_saved_plan(plan_shell(session, run.yes, run.format, saved.settings.seed), session,
                            saved, path, journal,
                            {.stop_requested = interrupted, .started = started})
          .ending);
}

}  // namespace vl::cli
