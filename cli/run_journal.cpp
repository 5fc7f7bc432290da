#include "cli/run_journal.h"

#include <fmt/core.h>

#include <cstdio>
#include <cstdlib>

#include "cli/exit_codes.h"
#include "db/odbc.h"
#include "loot/catalog.h"

namespace vl::cli {
namespace {

std::string outcome_of(int exit_code) {
  switch (exit_code) {
    case kExitDone:
      return "completed";
    case kExitInterrupted:
      return "stopped";
    case kExitNotConnected:
      return "interrupted";
    case kExitCommitUnknown:
      return "commit unknown";
    default:
      return "failed";
  }
}

}  // namespace

std::string journal_path(const Invocation& run) {
  if (run.journal) return *run.journal;
  if (const char* path = std::getenv("VANDRIL_LOOT_JOURNAL"); path && *path) return path;
  const char* data = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::string base =
      data && *data ? std::string(data) : std::string(home ? home : ".") + "/.local/share";
  return base + "/vandril_loot/journal.sqlite3";
}

std::unique_ptr<RunJournal> open_run_journal(const Invocation& run) {
  const std::string path = journal_path(run);
  try {
    return std::make_unique<RunJournal>(std::make_unique<journal::Store>(path));
  } catch (const std::exception& error) {
    std::fprintf(stderr,
                 "vandril_loot_cli: the journal %s cannot be opened (%s); nothing was written. "
                 "Give --no-journal to write without one.\n",
                 path.c_str(), error.what());
    return nullptr;
  }
}

std::string run_settings(const ProgramState& state, const Invocation& run,
                         std::optional<std::uint64_t> seed) {
  const std::string range(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry);
  if (run.command == CommandName::delete_drops) return "levels " + range;
  if (run.command == CommandName::repair) return "";
  const std::string category(
      loot::kLootCategories[static_cast<std::size_t>(run.category_index)].name);
  return fmt::format(
      "levels {}, category {}, {}, npc percent {}, chance {}, probability {}, items {}, seed {}{}",
      range, category,
      run.list ? fmt::format("custom list of {} items", state.candidate_count)
               : "rules \"" + run.rules.value_or("") + "\"",
      run.npc_percent, run.chance, run.probability, run.items, seed.value_or(0),
      run.atomic ? ", atomic" : "");
}

void RunJournal::begin(ProgramState& state, const std::string& command,
                       const std::string& settings) {
  journal::RunInfo info;
  info.started = journal::utc_timestamp();
  info.host = state.db_host;
  info.database = state.db_name;
  info.command = command;
  info.settings = settings;
  run_ = store_->begin_run(info);
  state.statement_gate = [this](const std::string& sql) { gate(sql); };
  auto before = std::move(state.statement_observer);
  state.statement_observer = [this, before](const std::string& sql, std::chrono::nanoseconds took,
                                            bool succeeded) {
    heard(succeeded);
    if (before) before(sql, took, succeeded);
  };
}

void RunJournal::gate(const std::string& sql) {
  std::vector<journal::Row> rows = journal::rows_of_statement(sql);
  if (rows.empty()) return;
  try {
    awaiting_ = store_->record(run_, rows, confirmed_);
    confirmed_.clear();
  } catch (const std::exception& error) {
    incomplete_ = true;
    throw db::Error("The journal could not be written (" + std::string(error.what()) +
                        "), so the statement was not sent.",
                    "HY000", 0);
  }
}

void RunJournal::heard(bool succeeded) {
  if (succeeded) confirmed_.insert(confirmed_.end(), awaiting_.begin(), awaiting_.end());
  awaiting_.clear();
}

void RunJournal::record(const std::vector<journal::Row>& rows) { store_->record(run_, rows); }

void RunJournal::end(int exit_code, bool all_or_nothing) {
  if (run_ == 0 || ended_) return;
  ended_ = true;
  try {
    if (!confirmed_.empty()) store_->record(run_, {}, confirmed_);
    if (all_or_nothing && exit_code == kExitDone) store_->set_uncertain(run_, false);
    if (all_or_nothing && exit_code == kExitCommitUnknown) store_->set_uncertain(run_, true);
    if (all_or_nothing && exit_code != kExitDone && exit_code != kExitCommitUnknown)
      store_->forget_rows(run_);
    store_->end_run(run_, outcome_of(exit_code), incomplete_);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vandril_loot_cli: the journal could not record the run's end: %s\n",
                 error.what());
  }
}

}  // namespace vl::cli
