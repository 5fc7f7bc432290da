#pragma once
// Undoing a journaled run on the world: what stands in its way (conflicts),
// found by reading only, and the statements that undo the rest, sent in one
// transaction.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/ending.h"
#include "db/odbc.h"
#include "db/session.h"
#include "journal/row.h"
#include "journal/store.h"
#include "journal/world_rows.h"

namespace vl::journal {

struct UndoPlan {
  std::vector<std::string> conflicts;  // one sentence each
  std::map<std::string, std::size_t> conflicts_per_table;
  // Later runs the journal holds that deleted rows this run wrote and the
  // world no longer has, oldest first: undoing them first puts those rows back.
  std::vector<std::int64_t> deleted_by_later_runs;
  std::vector<std::string> statements;  // for the rows without a conflict
  std::vector<WorldRead> reads;         // what the plan read of the world
};

// Why `run` cannot be undone on the world `session` names (a run still being
// written, one undone already, one that kept too little, another host or
// database), ending with
// "Nothing was changed."; "" when it can be.
std::string undo_refusal(const RunInfo& run, const db::Session& session);

// Reads the world over `connection`: NPCs first (back to the loottable they had,
// 0 or the original of a copy, while still pointing where the run set them), then the inserted rows
// newest first (removed one by one while still equal to what was written), then the deleted rows
// put back (a lootdrop where its id is free, its entries and links only with it). An uncertain row
// that is not there is left alone silently. `locking`: the rows read are locked FOR UPDATE (inside
// a transaction). The run's rows are read from `store` a chunk at a time, never held whole.
UndoPlan plan_undo(db::Connection& connection, Store& store, std::int64_t run,
                   bool locking = false);

// Why the undo of run `run` could not be all or nothing (a table it writes whose
// engine cannot roll back), ending with "Nothing was changed."; "" when it can be.
std::string rollback_refusal(db::Connection& connection, Store& store, std::int64_t run);

// The confirmation asked before an undo is sent.
std::string undo_question(std::int64_t run, std::size_t statements);

struct UndoApplied {
  // completed (committed); world_changed (the conflicts differ from those
  // asked about), interrupted (stop_requested before COMMIT) or declined
  // (go_on did not go on): rolled back.
  Ending ending = Ending::completed;
  UndoPlan plan;  // as read again inside the transaction
};

// Undoes in one transaction: reads again what `asked` read, locked (when all
// of it comes back the same, `asked` stands; else it plans again from the
// locked rows), sends that plan's statements while the conflicts are those
// `asked` about, and commits
// unless `stop_requested` (looked at before each statement and before COMMIT).
// Throws db::Error after rolling back; db::CommitUnknown when the connection
// was lost during COMMIT.
UndoApplied apply_undo(db::Connection& connection, Store& store, std::int64_t run,
                       const UndoPlan& asked, const std::function<bool()>& stop_requested);

// Undoes in one transaction when nobody is waited for between the reading and
// the writing: the world is read once, locked, `go_on` sees that plan before
// anything is written, and it is sent and committed as apply_undo does.
// Throws as apply_undo does.
UndoApplied undo_at_once(db::Connection& connection, Store& store, std::int64_t run,
                         const std::function<bool(const UndoPlan&)>& go_on,
                         const std::function<bool()>& stop_requested);

}  // namespace vl::journal
