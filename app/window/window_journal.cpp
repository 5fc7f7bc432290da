#include "app/window/window_journal.h"

#include <filesystem>

#include "app/undo_flow.h"
#include "app/window/delete_button.h"
#include "app/window/generation_run.h"
#include "app/window/repair_button.h"
#include "app/window/window_loot.h"
#include "db/database.h"
#include "journal/run_settings.h"
#include "loot/catalog.h"

namespace vl::app {
namespace {

using Kind = WindowJournal::Kind;

const char* command_name(Kind kind) {
  return kind == Kind::execute ? "execute" : kind == Kind::delete_drops ? "delete" : "repair";
}

std::string settings_of(const ProgramState& state, Kind kind) {
  const std::string range = state.level_low + "-" + state.level_high;
  if (kind != Kind::execute) return journal::range_settings(range);
  const Form1Model& form = state.form1;
  const auto op = static_cast<std::size_t>(form.op_selected());
  return journal::generation_settings(
      {.range = range,
       .category = op < loot::kLootCategoryCount ? std::string(loot::kLootCategories[op].name) : "",
       // The run counts the list as it starts, right after this.
       .list_size = state.custom_list_active ? std::optional<int>(loot::custom_list_length(state))
                                             : std::nullopt,
       .rules = state.item_rules,
       .npc_percent = form.text(Form1Control::perc_of_npcs),
       .chance = form.text(Form1Control::lootdrop_percentx),
       .probability = form.text(Form1Control::loottable_percentx),
       .items = std::to_string(state.item_max_count),
       .seed = std::nullopt});
}

constexpr const char* kUnavailable = "Undo is unavailable: ";

}  // namespace

WindowJournal::WindowJournal(std::string path) : path_(std::move(path)) {
  if (path_.empty()) unavailable_ = std::string(kUnavailable) + journal::kNoJournalPlace + ".";
}

void WindowJournal::open() {
  try {
    store_ = std::make_shared<journal::Store>(path_);
  } catch (const std::exception& error) {
    unavailable_ = std::string(kUnavailable) + "the journal " + path_ + " cannot be opened (" +
                   error.what() + ").";
  }
}

std::shared_ptr<journal::Store> WindowJournal::store() {
  const std::lock_guard lock(mutex_);
  std::error_code unknown;
  if (!store_ && unavailable_.empty() && std::filesystem::exists(path_, unknown)) open();
  return store_;
}

std::string WindowJournal::why_unavailable() const {
  const std::lock_guard lock(mutex_);
  return unavailable_;
}

Command WindowJournal::execute() {
  return [this](ProgramState& state, UiPort& ui) {
    run(Kind::execute, loot::Command2_Click, state, ui);
  };
}

Command WindowJournal::delete_drops() {
  return [this](ProgramState& state, UiPort& ui) {
    run(Kind::delete_drops, maintenance::Command1_Click, state, ui);
  };
}

Command WindowJournal::repair() {
  return [this](ProgramState& state, UiPort& ui) {
    run(Kind::repair, maintenance::Command4_Click, state, ui);
  };
}

void WindowJournal::lose_journal(const std::string& why) {
  recorder_.reset();
  const std::lock_guard lock(mutex_);
  store_.reset();
  unavailable_ =
      std::string(kUnavailable) + "the journal " + path_ + " could not be written (" + why + ").";
}

bool WindowJournal::ready() {
  if (recorder_) return true;
  const std::lock_guard lock(mutex_);
  if (!store_ && unavailable_.empty()) open();
  // The recorder writes through the store it began with, which outlives it.
  if (store_)
    recorder_ =
        std::make_unique<journal::RunRecorder>(*store_, journal::OnJournalFailure::carry_on);
  return recorder_ != nullptr;
}

void WindowJournal::end_run(Ending ending, journal::Written written) {
  const std::string failure = recorder_->journal_failed() ? recorder_->failure() : "";
  try {
    recorder_->end(ending, written);  // marks a failed journal incomplete
  } catch (const std::exception& error) {
    return lose_journal(error.what());
  }
  if (!failure.empty()) lose_journal(failure);
}

void WindowJournal::run(Kind kind, const Command& command, ProgramState& state, UiPort& ui) {
  // A command started while another one runs (the window lets events through)
  // writes into the run in progress.
  if (!ready() || recorder_->running()) return command(state, ui);
  try {
    recorder_->begin(state, command_name(kind), settings_of(state, kind),
                     kind == Kind::delete_drops);
  } catch (const std::exception& error) {
    lose_journal(error.what());
    return command(state, ui);
  }
  using journal::Written;
  try {
    command(state, ui);
  } catch (const db::ConnectionFailed&) {
    end_run(Ending::connection_lost, Written::as_heard);
    throw;
  } catch (...) {
    end_run(Ending::stopped_part_way, Written::as_heard);
    throw;
  }
  end_run(recorder_->statement_failed() ? Ending::rejected : Ending::completed, Written::as_heard);
}

std::optional<std::int64_t> WindowJournal::begin(db::Session& session, const std::string& command,
                                                 const std::string& settings) {
  if (!ready() || recorder_->running()) return std::nullopt;
  try {
    recorder_->begin(session, command, settings);
  } catch (const std::exception& error) {
    lose_journal(error.what());
    return std::nullopt;
  }
  plan_run_begun_ = true;
  return recorder_->run_id();
}

void WindowJournal::end(RunEnding ending) {
  if (!plan_run_begun_) return;
  plan_run_begun_ = false;
  end_run(ending.ending, ending.written);
}

void WindowJournal::forget() {
  if (!plan_run_begun_) return;
  plan_run_begun_ = false;
  try {
    recorder_->forget();
  } catch (const std::exception& error) {
    lose_journal(error.what());
  }
}

bool undo_run(journal::Store& store, const db::Session& session, std::int64_t run, UiPort& ui,
              const Question& ask) {
  const std::string name = "Run " + std::to_string(run);
  UndoSteps steps;
  steps.connect = [&]() -> std::unique_ptr<db::Connection> {
    try {
      return std::make_unique<db::Connection>(db::connection_string(session));
    } catch (const db::Error& error) {
      ui.message_box(name + " was not undone: the world database cannot be reached.\r\n" +
                     error.what());
      return nullptr;
    }
  };
  steps.confirm = [&](const journal::UndoPlan& plan) {
    std::string question = journal::undo_question(run, plan.statements.size());
    if (!plan.conflicts.empty()) {
      question = name + " meets " + std::to_string(plan.conflicts.size()) +
                 " changes made since it ran:\r\n";
      const ConflictSummary summary = summarize_conflicts(plan);
      for (const std::string& conflict : summary.shown) question += conflict + "\r\n";
      if (summary.more > 0)
        question +=
            "... and " + std::to_string(summary.more) + " more (" + summary.per_table + ")\r\n";
      if (!summary.cause.empty()) question += summary.cause + "\r\n";
      question += "\r\nUndo the rest and leave these rows as they are?";
    }
    return ask(question);
  };
  const UndoResult result = undo_journaled_run(store, session, run, steps);
  switch (result.ending) {
    case Ending::refused:
      if (!result.no_such_run) ui.message_box(result.message);
      break;
    case Ending::world_changed:
    case Ending::interrupted: {
      std::string changed = name + " was not undone: the world changed while you were asked:\r\n";
      for (const std::string& conflict : result.applied.conflicts) changed += conflict + "\r\n";
      ui.message_box(changed + "Nothing was changed.");
      break;
    }
    case Ending::completed: {
      const std::string marked =
          result.unmarked.empty()
              ? ""
              : "\r\nThe journal could not mark it undone (" + result.unmarked + ").";
      const std::size_t skipped = result.asked.conflicts.size();
      ui.message_box(name + " was undone." + marked +
                     (skipped == 0 ? std::string()
                                   : " " + std::to_string(skipped) +
                                         " rows that changed since were left as they are."));
      return true;
    }
    case Ending::rejected:
      ui.message_box(db::statement_failed_message(*result.failure, "(undoing " + name + ")") +
                     "\r\nNothing was changed.");
      break;
    case Ending::commit_unknown:
      ui.message_box("The connection to the server was lost during COMMIT: either all of " + name +
                     " was undone or none of it.\r\n" + result.failure->what());
      break;
    case Ending::journal_refused:
      ui.message_box(name + ": the journal cannot be read or written (" + result.message + ").");
      break;
    case Ending::connection_lost:  // connect said why
    case Ending::declined:
    case Ending::stopped_part_way:
      break;
  }
  return false;
}

}  // namespace vl::app
