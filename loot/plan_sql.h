#pragma once
// The statements that write a plan in one go: multi-row INSERTs that name
// their columns, so that they also fit layouts of the loot tables with more
// columns or another column order. The review script and the atomic writer
// send the same statements.

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

#include "db/loot_rows.h"
#include "db/sql_literal.h"
#include "loot/plan.h"
#include "loot/shared_copies.h"

namespace vl::loot {

// Calls `statement` with each INSERT of the plan and its rows: the lootdrops,
// then their lootdrop entries, then the loottable entries, each table's rows in
// plan order. A statement holds as many rows as fit in `max_bytes` (at least
// one). `text` writes the drop name as a literal. The rows come along only
// `with_rows`.
void for_each_plan_insert(const Plan& plan, std::size_t max_bytes,
                          const db::InsertBatcher::Statement& statement,
                          db::TextLiteral text = db::sql_text, bool with_rows = false);

// The plan as a script for the mariadb client: `comment` (one "-- " line per
// line), START TRANSACTION, a guard that stops the script before anything is
// written when the highest lootdrop id (and with isolate_shared the highest
// loottable id) is no longer the one the plan saw, the statements of the
// `copies` (see for_each_copy_statement), the plan's INSERTs, COMMIT. Each INSERT runs only while
// the guard and every INSERT before it passed (a failure rolls back), so that the script writes all
// or nothing also when the client goes on after an error (--force, or `source`). Texts go as
// hexadecimal literals, the same under every sql_mode and character set. Applied twice, the second
// time stops at the guard.
void write_plan_script(std::ostream& out, const Plan& plan, const std::string& comment,
                       const CopiedRows& copies = {});

}  // namespace vl::loot
