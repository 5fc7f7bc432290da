// The undo's checks before it starts and its one transaction: what the world
// must allow, the question asked, and the statements sent and committed (or
// rolled back) as one.

#include <algorithm>
#include <set>

#include "db/cluster.h"
#include "db/engines.h"
#include "db/transaction.h"
#include "journal/undo.h"

namespace vl::journal {

std::string undo_refusal(const RunInfo& run, const db::Session& session) {
  const std::string id = std::to_string(run.id);
  if (const std::string writing = still_written(run); !writing.empty())
    return "Run " + id + " " + writing + " Nothing was changed.";
  if (const std::string why = why_not_undoable(run); !why.empty())
    return "Run " + id + " cannot be undone: " + why + " Nothing was changed.";
  if (run.host != session.db_host || run.database != session.db_name) {
    return "Run " + id + " wrote to database " + run.database + " on " + run.host +
           ", but db.ini names database " + session.db_name + " on " + session.db_host +
           ". Nothing was changed.";
  }
  return "";
}

std::string undo_question(std::int64_t run, std::size_t statements) {
  return "Undo run " + std::to_string(run) + " (" + std::to_string(statements) + " statements)?";
}

std::string rollback_refusal(db::Connection& connection, Store& store, std::int64_t run) {
  std::set<std::string> written;
  for (auto& [kind, table] : store.tables_of(run))
    if (kind != RowKind::removed) written.insert(std::move(table));
  if (written.empty()) return "";
  db::Recordset found;
  found.open(db::table_engines_query({written.begin(), written.end()}), connection);
  std::string refusal;
  for (const auto& table : found.remaining_texts()) {
    if (table.at(2) != "YES")
      refusal += db::cannot_roll_back(table.at(0), table.at(1)) +
                 ": the undo could not be all or nothing. ";
  }
  // A cluster keeps on every node only the InnoDB tables with a primary key.
  if (db::on_cluster(connection)) {
    for (const std::string& problem :
         db::cluster_table_problems(connection, {written.begin(), written.end()}))
      refusal += problem + " ";
  }
  return refusal.empty() ? "" : refusal + "Nothing was changed.";
}

namespace {

// Sends the plan's statements inside the open transaction and commits, unless
// `stop_requested` (looked at before each statement and before COMMIT).
Ending send_and_commit(db::Connection& connection, db::Transaction& transaction,
                       const UndoPlan& plan, const std::function<bool()>& stop_requested) {
  for (const std::string& sql : plan.statements) {
    if (stop_requested && stop_requested()) break;
    connection.execute(sql);
  }
  if (stop_requested && stop_requested()) {
    transaction.rollback();
    return Ending::interrupted;
  }
  transaction.commit();
  return Ending::completed;
}

}  // namespace

UndoApplied apply_undo(db::Connection& connection, Store& store, std::int64_t run,
                       const UndoPlan& asked, const std::function<bool()>& stop_requested) {
  UndoApplied applied;
  db::Transaction transaction(connection);
  transaction.begin();
  // Read again, locked until COMMIT: rows added or changed since the question
  // are neither deleted nor missed. What was asked about stands when every
  // read comes back as it was; else it is planned again.
  const bool unchanged = std::all_of(
      asked.reads.begin(), asked.reads.end(),
      [&](const WorldRead& read) { return reads_the_same(connection, read, " FOR UPDATE"); });
  applied.plan = unchanged ? asked : plan_undo(connection, store, run, true);
  if (applied.plan.conflicts != asked.conflicts) {
    transaction.rollback();
    applied.ending = Ending::world_changed;
    return applied;
  }
  applied.ending = send_and_commit(connection, transaction, applied.plan, stop_requested);
  return applied;
}

UndoApplied undo_at_once(db::Connection& connection, Store& store, std::int64_t run,
                         const std::function<bool(const UndoPlan&)>& go_on,
                         const std::function<bool()>& stop_requested) {
  UndoApplied applied;
  db::Transaction transaction(connection);
  transaction.begin();
  applied.plan = plan_undo(connection, store, run, true);
  if (!go_on(applied.plan)) {
    transaction.rollback();
    applied.ending = Ending::declined;
    return applied;
  }
  applied.ending = send_and_commit(connection, transaction, applied.plan, stop_requested);
  return applied;
}

}  // namespace vl::journal
