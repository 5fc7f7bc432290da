#include "cli/maintenance_preview.h"

#include <cstdio>

#include "app/dry_run_json.h"
#include "app/dry_run_text.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "db/database.h"

namespace vl::cli {

int preview_maintenance(db::Session& session, TerminalUi& ui, const loot::FixedInputs& inputs,
                        const Invocation& run) {
  const auto connection = observed_connection(session);
  if (!connection) return kExitNotConnected;
  std::string text;
  try {
    const std::string range = inputs.low + "-" + inputs.high;
    const bool json = run.format == Format::json;
    if (run.command == CommandName::delete_drops) {
      const auto preview = maintenance::preview_removal(*connection, range);
      text = json ? app::removal_json(preview, range)
                  : app::removal_text(preview, range, terminal_text);
    } else {
      const auto preview = maintenance::preview_repair(*connection);
      text = json ? app::repair_json(preview) : app::repair_text(preview, terminal_text);
    }
  } catch (const db::Error& error) {
    ui.clear_progress();
    std::fprintf(stderr, "%s\n",
                 db::statement_failed_message(error, "(reading what would change)").c_str());
    return kExitRefused;
  }
  std::fputs(text.c_str(), stdout);
  return kExitDone;
}

}  // namespace vl::cli
