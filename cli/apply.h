#pragma once
// apply FILE: a plan saved by generate --dry-run --plan, written exactly, all
// or nothing, once the world is seen to still fit it.

#include "cli/options.h"
#include "cli/run_journal.h"
#include "db/session.h"

namespace vl::cli {

// Reads the plan file, checks the world against it (what changed refuses it,
// exit 1), asks unless --yes, then writes it with its own lootdrop ids.
// `journal` (nullptr: none) records the run. Returns the exit code.
int apply_plan(db::Session& session, const Invocation& run, RunJournal* journal);

}  // namespace vl::cli
