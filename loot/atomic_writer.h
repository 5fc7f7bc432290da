#pragma once
// Writes a plan all or nothing: one transaction on one connection, the
// lootdrop ids taken from the highest id under a lock that holds off other
// writers' lootdrops until COMMIT, the rows as multi-row INSERTs that name
// their columns, each as large as the server takes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ending.h"
#include "db/odbc.h"
#include "db/session.h"
#include "loot/plan.h"

namespace vl::loot {

// What keeps the named-column writer from writing all or nothing into the
// loot tables of the connection's database: a missing table or column, a
// NOT NULL column without a default that it leaves out, a table that cannot
// roll back; on a cluster, a table that is not InnoDB or has no primary key.
// One sentence each; none when the layout fits.
// `statement_sent` (if set) hears of every statement. `with_copies`: the run
// also copies loottables and moves NPCs (loottable and npc_types must roll back).
std::vector<std::string> atomic_layout_problems(
    db::Connection& connection, const std::function<void(const std::string&)>& statement_sent = {},
    bool with_copies = false);

struct AtomicResult {
  // completed (every row of the plan is written), refused (the layout does
  // not fit, or the world no longer fits the plan: nothing was sent that
  // writes, or it was rolled back), rejected, connection_lost (before COMMIT:
  // it rolls back), commit_unknown, interrupted or journal_refused.
  Ending ending = Ending::completed;
  std::string message;         // for the operator ("\n" between lines), "" when completed
  std::int32_t first_id = 0;   // the first lootdrop id written (committed)
  std::size_t statements = 0;  // statements sent, START TRANSACTION to COMMIT
  // Rejected because another writer's transaction won a conflict (a cluster
  // node's, or ids taken meanwhile): the server rolled this one back, and the
  // same plan may be tried again.
  bool lost_conflict = false;
};

// Told of each INSERT with its rows before it is sent (a journal writes them ahead).
using Announce = std::function<void(const db::AnnouncedStatements&)>;

// Reads inside the transaction what changed of the world a plan relied on,
// one line each, none when nothing did. Throws db::Error.
using WorldChanges = std::function<std::vector<std::string>()>;

// Checks the layout, then writes `plan` (its ids renumbered from the highest
// lootdrop id seen under the lock; with isolate_shared, first the copies of
// its shared loottables, their ids renumbered from the highest loottable id
// under the same lock; `ids_as_planned`: refused, rolled back, unless the
// highest lootdrop id, and with copies the highest loottable id, is still the
// plan's; `world_changes` (if set): refused, rolled back, when it names a
// change, asked under the lock before anything is written). The NPCs moved to
// copies move only while they have the original: refused, rolled back, when
// one no longer did. `stop_requested` is asked before every
// statement up to COMMIT; `statement_sent` (if set) hears of every statement,
// `announce` (if set) of every INSERT before it, `steps` (if set) of the
// transaction's start and of its COMMIT before they are sent (a step it
// withholds rolls the write back).
AtomicResult write_atomically(db::Connection& connection, Plan& plan,
                              const std::function<bool()>& stop_requested,
                              const std::function<void(const std::string&)>& statement_sent = {},
                              const Announce& announce = {}, bool ids_as_planned = false,
                              const WorldChanges& world_changes = {},
                              const db::TransactionSteps& steps = {});

}  // namespace vl::loot
