#pragma once
// delete --dry-run and repair --dry-run: what the command would remove or
// change, read only, on standard output (the text is app/dry_run_text's).

#include "cli/options.h"
#include "cli/terminal_ui.h"
#include "db/session.h"
#include "loot/fixed_inputs.h"

namespace vl::cli {

// Returns the exit code: 0, 1 when a query failed, 2 without a connection.
int preview_maintenance(db::Session& session, TerminalUi& ui, const loot::FixedInputs& inputs,
                        const Invocation& run);

}  // namespace vl::cli
