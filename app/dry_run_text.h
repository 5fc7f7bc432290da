#pragma once
// What delete --dry-run and repair --dry-run would remove or change, as text
// with "\n" line breaks: the counts, some of the names, and the sentence that
// nothing was changed. Each shell shows the world's names its own way.

#include <functional>
#include <string>

#include "app/shell_settings.h"
#include "db/odbc.h"
#include "maintenance/dry_runs.h"

namespace vl::app {

// How a shell shows a name read from the world (control bytes made visible).
using ShownName = std::function<std::string(const std::string&)>;

std::string removal_text(const maintenance::RemovalPreview& preview, const std::string& range,
                         const ShownName& shown);
std::string repair_text(const maintenance::RepairPreview& preview, const ShownName& shown);

// What delete (of `range`) or repair would change, read over `connection`:
// as text, or as one JSON document. Throws db::Error.
std::string read_dry_run_text(db::Connection& connection, WriteCommand command,
                              const std::string& range, const ShownName& shown,
                              bool as_json = false);

}  // namespace vl::app
