#pragma once
// history, show and undo: the journal's runs listed, one shown, one undone.

#include "cli/options.h"
#include "db/session.h"
#include "journal/store.h"

namespace vl::cli {

// Each returns the exit code once its output is printed.
int history_command(journal::Store& store, Format format);
int show_command(journal::Store& store, std::int64_t run, Format format);
// After Form_Load: the world of db.ini must be the run's.
int undo_command(db::Session& state, journal::Store& store, const Invocation& invocation,
                 bool on_terminal);

}  // namespace vl::cli
