#pragma once
// A write command's run in the journal: opened before the server is reached,
// begun with the command's settings once it is about to write, every row a
// statement will change committed to the journal before the statement is sent
// (the session's statement gate), and ended with the outcome.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "core/program_state.h"
#include "journal/store.h"

namespace vl::cli {

// --journal, else $VANDRIL_LOOT_JOURNAL, else
// ${XDG_DATA_HOME:-~/.local/share}/vandril_loot/journal.sqlite3.
std::string journal_path(const Invocation& run);

class RunJournal {
 public:
  explicit RunJournal(std::unique_ptr<journal::Store> store) : store_(std::move(store)) {}

  // Starts the run and puts the gate and the confirmations into `state`.
  void begin(ProgramState& state, const std::string& command, const std::string& settings);
  // Rows recorded outside the gate (what delete is about to remove).
  void record(const std::vector<journal::Row>& rows);
  // Ends the run by the command's exit code. `all_or_nothing`: an atomic run,
  // whose rows were written only if it committed.
  void end(int exit_code, bool all_or_nothing);

 private:
  void gate(const std::string& sql);
  void heard(bool succeeded);

  std::unique_ptr<journal::Store> store_;
  std::int64_t run_ = 0;
  bool incomplete_ = false, ended_ = false;
  std::vector<std::int64_t> awaiting_, confirmed_;
};

// The journal of the invocation, or nullptr with the message printed when it
// cannot be opened (the command must then not write).
std::unique_ptr<RunJournal> open_run_journal(const Invocation& run);

// The settings of a write command, as the journal keeps them.
std::string run_settings(const ProgramState& state, const Invocation& run,
                         std::optional<std::uint64_t> seed);

}  // namespace vl::cli
