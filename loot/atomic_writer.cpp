#include "loot/atomic_writer.h"

#include <algorithm>
#include <array>
#include <set>

#include "db/cluster.h"
#include "db/database.h"
#include "db/engines.h"
#include "db/sql_literal.h"
#include "db/transaction.h"
#include "loot/draws.h"
#include "loot/plan_details.h"
#include "loot/plan_fit.h"
#include "loot/plan_sql.h"
#include "loot/run_rules.h"
#include "loot/shared_copies.h"

namespace vl::loot {
namespace {

// The tables the writer fills, every column of their descriptions named.
constexpr std::array<const db::LootTable*, 3> kWrittenTables{
    &db::kLootdropTable, &db::kLootdropEntriesTable, &db::kLoottableEntriesTable};

// Rows of a query as texts, NULL as "".
std::vector<std::vector<std::string>> rows_of(
    db::Connection& connection, const std::string& sql,
    const std::function<void(const std::string&)>& statement_sent) {
  if (statement_sent) statement_sent(sql);
  db::Recordset rows;
  rows.open(sql, connection);
  return rows.remaining_texts();
}

// A statement that stops the write: why, and what the operator is told.
struct WriteFailed {
  Ending ending;
  std::string message;
  bool lost_conflict = false;
};

class Transaction {
 public:
  Transaction(db::Connection& connection, const std::function<bool()>& stop_requested,
              const std::function<void(const std::string&)>& statement_sent,
              const db::TransactionSteps& steps, std::size_t& count)
      : connection_(connection),
        stop_requested_(stop_requested),
        statement_sent_(statement_sent),
        steps_(steps),
        count_(count),
        transaction_(connection, [this](const std::string& sql) { heard(sql); }) {}

  void start() {
    take(db::TransactionStep::starting);
    guarded(db::kStartTransaction, [&] { transaction_.begin(); });
  }

  // Sends a statement before COMMIT (`announced`: its place among those announced).
  void send(const std::string& sql, std::optional<std::size_t> announced = std::nullopt) {
    guarded(sql, [&] { run(sql, announced); });
  }

  // Sends `sql` by `sending`, unless a stop was asked for: a failure ends the
  // transaction as the statement's.
  template <class Sending>
  void guarded(const std::string& sql, const Sending& sending) {
    if (stop_requested_ && stop_requested_()) {
      roll_back();
      throw WriteFailed{Ending::interrupted,
                        "Stopped before COMMIT: the transaction was rolled back, nothing of the "
                        "run was written."};
    }
    try {
      sending();
    } catch (const db::StatementWithheld& withheld) {
      roll_back();
      throw WriteFailed{Ending::journal_refused,
                        std::string(withheld.what()) +
                            "\nThe transaction was rolled back, nothing of the run was written."};
    } catch (const db::Error& error) {
      failed(error, db::shown_statement(sql));
    }
  }

  // Reads inside the transaction; a failure ends it as a statement's does.
  template <class Reading>
  auto read(const Reading& reading, const char* what) {
    try {
      return reading();
    } catch (const db::Error& error) {
      failed(error, what);
    }
  }

  db::Value value(const std::string& sql) {
    heard(sql);
    try {
      db::Recordset rows;
      rows.open(sql, connection_);
      return rows.field(std::size_t{0});
    } catch (const db::Error& error) {
      if (db::lost_to_other_writer(error)) failed(error, sql);
      throw;
    }
  }

  // A statement whose failure changes nothing of the outcome.
  void release(const char* sql) {
    try {
      run(sql);
    } catch (const db::Error&) {
      // A lost connection ends the turn as well.
    }
  }

  void roll_back() { transaction_.rollback(); }

  void commit(const std::string& run_name) {
    take(db::TransactionStep::committing);
    try {
      transaction_.commit();
    } catch (const db::CommitUnknown& error) {
      throw WriteFailed{
          Ending::commit_unknown,
          "The connection to the server was lost during COMMIT: either all of the run was "
          "written or none of it. To find out, run `vandril_loot_cli check`, or count the "
          "run's lootdrops: SELECT COUNT(*) FROM lootdrop WHERE name = " +
              db::sql_text(run_name) + " (compare with the count before the run).\n" +
              std::string(error.what())};
    } catch (const db::Error& error) {
      if (db::lost_to_other_writer(error))
        throw WriteFailed{Ending::rejected, conflict_message(error), true};
      throw WriteFailed{Ending::rejected,
                        "The server refused COMMIT; nothing of the run was written.\n" +
                            std::string(error.what())};
    }
  }

 private:
  static std::string conflict_message(const db::Error& error) {
    return "Another writer's transaction took the same rows first; the server rolled this one "
           "back, nothing of the run was written.\n" +
           std::string(error.what());
  }
  // A step withheld (its journal cannot record it) ends the write before it.
  void take(db::TransactionStep step) {
    if (!steps_) return;
    try {
      steps_(step);
    } catch (const db::StatementWithheld& withheld) {
      if (step == db::TransactionStep::committing) roll_back();
      throw WriteFailed{Ending::journal_refused,
                        std::string(withheld.what()) +
                            "\nThe transaction was rolled back, nothing of the run was written."};
    }
  }
  void heard(const std::string& sql) {
    if (statement_sent_) statement_sent_(sql);
    ++count_;
  }
  void run(const std::string& sql, std::optional<std::size_t> announced = std::nullopt) {
    heard(sql);
    connection_.execute(sql, announced);
  }
  [[noreturn]] void failed(const db::Error& error, const std::string& statement) {
    if (db::lost_to_other_writer(error)) {
      // Nothing more of the attempt is sent: a 1213 has rolled it back on the
      // server already, a 1062 only its statement, so ROLLBACK ends it for sure.
      roll_back();
      throw WriteFailed{Ending::rejected, conflict_message(error), true};
    }
    if (db::connection_lost(error)) {
      throw WriteFailed{Ending::connection_lost,
                        "The connection to the server was lost before COMMIT: the server rolls "
                        "the transaction back, nothing of the run was written.\n" +
                            std::string(error.what())};
    }
    roll_back();
    throw WriteFailed{Ending::rejected,
                      "The server rejected a statement; the transaction was rolled back, "
                      "nothing of the run was written.\n" +
                          std::string(error.what()) + "\nStatement: " + statement};
  }

  db::Connection& connection_;
  const std::function<bool()>& stop_requested_;
  const std::function<void(const std::string&)>& statement_sent_;
  const db::TransactionSteps& steps_;
  std::size_t& count_;
  db::Transaction transaction_;
};

constexpr const char* kTakeTurn = "SELECT GET_LOCK('vandril_loot.lootdrop_ids',600)";
constexpr const char* kEndTurn = "DO RELEASE_LOCK('vandril_loot.lootdrop_ids')";

// Room for one statement: the server's packet limit less a margin for the
// protocol's own bytes, and at most 1 MiB, so that the journal writes the rows
// of the next statements while the server takes the one before.
std::size_t statement_room(const db::Value& max_allowed_packet) {
  constexpr double kMargin = 1024, kMostBytes = 1 << 20;
  const double packet = max_allowed_packet.as<double>().value_or(0);
  return static_cast<std::size_t>(std::clamp(packet - kMargin, 4096.0, kMostBytes));
}

// Each NPC moves to its copy only while it still has the original: one that
// another writer moved meanwhile keeps that writer's loottable, and the run,
// no longer the plan, is rolled back. The copies' ids are consecutive.
void refuse_unless_all_moved(Transaction& transaction, db::Connection& connection,
                             const Plan& plan) {
  std::set<std::int64_t> npcs;
  for (const LoottableCopy& copy : plan.copies)
    npcs.insert(copy.moved_npcs.begin(), copy.moved_npcs.end());
  if (npcs.empty()) return;
  std::int64_t moved = 0;
  transaction.read(
      [&] {
        for_each_row_of(connection, npcs, "SELECT COUNT(*) FROM npc_types WHERE id IN ",
                        " AND loottable_id BETWEEN " + std::to_string(plan.copies.front().copy_id) +
                            " AND " + std::to_string(plan.copies.back().copy_id),
                        [&](db::Recordset& rows) {
                          moved += rows.field(std::size_t{0}).as<std::int64_t>().value_or(0);
                        });
      },
      "(counting the NPCs moved to the copies)");
  if (moved == static_cast<std::int64_t>(npcs.size())) return;
  transaction.roll_back();
  throw WriteFailed{Ending::refused,
                    "Only " + std::to_string(moved) + " of the " + std::to_string(npcs.size()) +
                        " NPCs to move to the copies still had their loottable: the "
                        "transaction was rolled back, nothing was written."};
}

}  // namespace

std::vector<std::string> atomic_layout_problems(
    db::Connection& connection, const std::function<void(const std::string&)>& statement_sent,
    bool with_copies) {
  std::vector<std::string> problems;
  std::vector<std::string> names;
  names.reserve(kWrittenTables.size() + 2);
  for (const db::LootTable* table : kWrittenTables) names.emplace_back(table->name);
  // Copies are written whole, in whatever layout: only their engines matter.
  if (with_copies) names.insert(names.end(), {"loottable", "npc_types"});
  std::set<std::string> present;
  for (const auto& row : rows_of(connection, db::table_engines_query(names), statement_sent)) {
    present.insert(row[0]);
    if (row[2] != "YES") {
      problems.push_back(db::cannot_roll_back(row[0], row[1]) +
                         ": the run could not be all or nothing.");
    }
  }
  // A cluster keeps on every node only the InnoDB tables with a primary key.
  if (db::on_cluster(connection, statement_sent)) {
    for (std::string& problem : db::cluster_table_problems(connection, names, statement_sent))
      problems.push_back(std::move(problem));
  }
  for (const db::LootTable* written : kWrittenTables) {
    const std::string table(written->name);
    if (!present.count(table)) {
      problems.push_back("Table " + table + " does not exist.");
      continue;
    }
    std::set<std::string> named;
    for (const db::TableColumn& column : written->columns) named.emplace(column.name);
    std::set<std::string> seen;
    for (const auto& row :
         rows_of(connection,
                 std::string("SELECT LOWER(COLUMN_NAME),IS_NULLABLE,COLUMN_DEFAULT IS NULL,EXTRA "
                             "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA=DATABASE() AND "
                             "TABLE_NAME=") +
                     db::sql_text(table) + " ORDER BY ORDINAL_POSITION",
                 statement_sent)) {
      seen.insert(row[0]);
      const bool needs_value =
          row[1] == "NO" && row[2] == "1" && row[3].find("auto_increment") == std::string::npos;
      if (needs_value && !named.count(row[0])) {
        problems.push_back("Column " + table + "." + row[0] +
                           " is NOT NULL without a default, and the writer gives it no value.");
      }
    }
    for (const std::string& column : named) {
      if (!seen.count(column)) {
        problems.push_back(std::string("Table ")
                               .append(table)
                               .append(" has no column ")
                               .append(column)
                               .append("."));
      }
    }
  }
  return problems;
}

AtomicResult write_atomically(db::Connection& connection, Plan& plan,
                              const std::function<bool()>& stop_requested,
                              const std::function<void(const std::string&)>& statement_sent,
                              const Announce& announce, bool ids_as_planned,
                              const WorldChanges& world_changes,
                              const db::TransactionSteps& steps) {
  AtomicResult result;
  if (auto problems = atomic_layout_problems(connection, statement_sent, plan.isolate_shared);
      !problems.empty()) {
    result.ending = Ending::refused;
    for (const std::string& problem : problems) result.message += problem + "\n";
    result.message += "Nothing was written.";
    return result;
  }
  Transaction transaction(connection, stop_requested, statement_sent, steps, result.statements);
  try {
    const std::size_t room = statement_room(transaction.value("SELECT @@max_allowed_packet"));
    // Atomic runs take their turns: two transactions that both hold the gap
    // above the highest id would deadlock on their first INSERT.
    if (transaction.value(kTakeTurn).as<int>() != 1) {
      throw WriteFailed{Ending::refused,
                        "Another atomic run has held the lootdrop ids for ten minutes. Nothing "
                        "was written."};
    }
    transaction.start();
    // The lock on the highest id holds off other writers' new lootdrops until COMMIT.
    const db::Value highest = transaction.value(std::string(kHighestLootdropQuery) + " FOR UPDATE");
    // A saved plan holds its ids: written with others, it would not be the plan.
    const auto refuse_unless_planned = [&](const char* table, const db::Value& now,
                                           std::optional<std::int64_t> planned) {
      if (!ids_as_planned || highest_id_unchanged(now, planned)) return;
      transaction.roll_back();
      throw WriteFailed{
          Ending::refused,
          "The " + highest_id_changed(table, now, planned) +
              ": the transaction was rolled back, nothing was written. Make a new plan."};
    };
    refuse_unless_planned("lootdrop", highest, plan.highest_lootdrop_id);
    renumber_drops(plan, highest_lootdrop_id(highest));
    result.first_id = lootdrop_id_after(plan.highest_lootdrop_id);
    CopiedRows copies;
    if (plan.isolate_shared) {
      // The copies' ids are taken in the same turn as the lootdrop ids, the
      // originals read as they stand under the transaction.
      const db::Value highest_loottable =
          transaction.value(std::string(kHighestLoottableQuery) + " FOR UPDATE");
      if (!plan.copies.empty())
        refuse_unless_planned("loottable", highest_loottable, plan.highest_loottable_id);
      renumber_copies(plan, highest_loottable_id(highest_loottable));
    }
    // What the plan relied on, read again under the turn and held by locking
    // reads: a writer that changed it while the run waited is not overwritten.
    if (world_changes) {
      const std::vector<std::string> changes =
          transaction.read(world_changes, "(checking the world against the plan)");
      if (!changes.empty()) {
        transaction.roll_back();
        std::string message =
            "The world changed while the run waited for its turn; the transaction was rolled "
            "back, nothing was written:";
        for (const std::string& change : changes) message += "\n  " + change;
        throw WriteFailed{Ending::refused, message};
      }
    }
    if (plan.isolate_shared) {
      copies = transaction.read(
          [&] { return read_copied_rows(connection, plan, " LOCK IN SHARE MODE"); },
          "(reading the shared loottables to copy)");
    }
    if (!announce) {
      const auto send = [&](const std::string& sql, auto&) { transaction.send(sql); };
      for_each_plan_statement(plan, copies, room, send);
    } else {
      // All INSERTs told at once: a journal writes the rows of the later ones
      // while the server takes the earlier.
      auto told = std::make_shared<std::vector<db::Announced>>();
      const auto tell = [&](const std::string& sql, std::vector<db::LootRow>& rows) {
        told->push_back({sql, std::move(rows)});
      };
      for_each_plan_statement(plan, copies, room, tell, db::sql_text, true);
      announce(told);
      for (std::size_t i = 0; i < told->size(); ++i) transaction.send((*told)[i].sql, i);
    }
    refuse_unless_all_moved(transaction, connection, plan);
    transaction.commit(plan.drop_name);
  } catch (const WriteFailed& failure) {
    result.ending = failure.ending;
    result.message = failure.message;
    result.lost_conflict = failure.lost_conflict;
  }
  transaction.release(kEndTurn);
  return result;
}

}  // namespace vl::loot
