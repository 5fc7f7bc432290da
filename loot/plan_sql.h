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

// Calls `statement` with each statement that writes the plan, in the order
// they run: the copies of its shared loottables and the moves of the range's
// NPCs to them (see for_each_copy_statement; `copies` as read_copied_rows read
// them), then its INSERTs: the lootdrops, their lootdrop entries, the
// loottable entries, each table's rows in plan order. The review script, the
// atomic writer and apply all write a plan through here, so that each leaves
// the same tables. A statement holds as many rows as fit in `max_bytes` (at
// least one). `text` writes the drop name; the copies' values always go as
// hexadecimal literals. The rows come along only `with_rows`.
void for_each_plan_statement(const Plan& plan, const CopiedRows& copies, std::size_t max_bytes,
                             const db::InsertBatcher::Statement& statement,
                             db::TextLiteral text = db::sql_text, bool with_rows = false);

// The plan as a script for the mariadb client: `comment` (one "-- " line per
// line), START TRANSACTION, a guard that stops the script before anything is
// written when the highest lootdrop id (and with isolate_shared the highest
// loottable id) is no longer the one the plan saw, the plan's statements with
// its `copies` (for_each_plan_statement), COMMIT. Each statement runs only
// while the guard and every statement before it passed (a failure rolls back),
// so that the script writes all or nothing also when the client goes on after
// an error (--force, or `source`). Texts go as hexadecimal literals, the same
// under every sql_mode and character set. Applied twice, the second time stops
// at the guard.
void write_plan_script(std::ostream& out, const Plan& plan, const std::string& comment,
                       const CopiedRows& copies);

}  // namespace vl::loot
