#pragma once
// A write command's run in the journal: opened before the server is reached,
// begun with the command's settings once it is about to write, every row a
// statement will change committed to the journal before the statement is sent
// (the session's statement gate), and ended with the outcome.

#include <memory>
#include <string>

#include "app/command_journal.h"
#include "cli/options.h"
#include "db/session.h"
#include "journal/store.h"

namespace vl::cli {

// --journal, else the default place ("" when there is none).
std::string journal_path(const Invocation& run);
// "the journal PATH", as messages name it.
std::string journal_named(const std::string& path);
using journal::open_journal;

// The command line's run: its end told on standard error when it cannot be recorded.
class RunJournal : public app::CommandJournal {
 public:
  explicit RunJournal(std::unique_ptr<journal::Store> store);
};

// The journal of the invocation, or nullptr with the message printed when it
// cannot be opened (the command must then not write).
std::unique_ptr<RunJournal> open_run_journal(const Invocation& run);

// Says that the journal could not take the run (`reason`), so nothing was written.
void say_journal_refused(const char* reason);

}  // namespace vl::cli
