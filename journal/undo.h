#pragma once
// Undoing a journaled run on the world: what stands in its way (conflicts),
// found by reading only, and the statements that undo the rest, sent in one
// transaction.

#include <cstdint>
#include <string>
#include <vector>

#include "db/odbc.h"
#include "db/session.h"
#include "journal/row.h"
#include "journal/store.h"

namespace vl::journal {

struct UndoPlan {
  std::vector<std::string> conflicts;   // one sentence each
  std::vector<std::string> statements;  // for the rows without a conflict
};

// Why `run` cannot be undone on the world `session` names (a run undone
// already, one that kept too little, another host or database), ending with
// "Nothing was changed."; "" when it can be.
std::string undo_refusal(const RunInfo& run, const db::Session& session);

// Reads the world over `connection`: NPCs first (back to loottable 0 while
// still pointing where the run set them), then the inserted rows newest first
// (removed one by one while still equal to what was written), then the deleted
// rows put back. An uncertain row that is not there is left alone silently.
UndoPlan plan_undo(db::Connection& connection, const std::vector<Row>& rows);

// The confirmation asked before an undo is sent.
std::string undo_question(std::int64_t run, std::size_t statements);

// Sends the statements in one transaction (rolled back when one fails). Throws db::Error.
void apply_undo(db::Connection& connection, const std::vector<std::string>& statements);

}  // namespace vl::journal
