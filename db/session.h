#pragma once
// The connection settings and the two shared slots (connection and result set)
// through which every command reaches the world database, with the statement
// in hand. The program state is one of these; the database layer sees nothing
// else of it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/loot_rows.h"
#include "db/odbc.h"

namespace vl::db {

// A statement about to be sent and the rows it writes or removes.
struct Announced {
  std::string sql;
  std::vector<LootRow> rows;
};
// Statements announced together, in the order they will be sent. Shared, so
// that an observer may keep them while it works on them in the background.
using AnnouncedStatements = std::shared_ptr<const std::vector<Announced>>;

// The steps of an all-or-nothing write that decide what reaches the world:
// before START TRANSACTION (its rows then reach the world by COMMIT alone) and
// just before COMMIT is sent.
enum class TransactionStep { starting, committing };
// Told of each step; throws StatementWithheld when the step must not be taken.
using TransactionSteps = std::function<void(TransactionStep)>;

// The TCP port the driver uses when the connection string names none.
inline constexpr int kDriverDefaultPort = 3306;

struct Session {
  // Connection settings from db.ini.
  std::string db_host, db_user, db_password, db_name;
  // The command line's: a setting holding ';', '{' or '}' goes into the
  // connection string in braces, so that the driver reads it whole. The window
  // builds its string unaltered.
  bool brace_settings = false;
  // The command line's too (the window never sets them, so its string stays as
  // it is): a port other than the driver's 3306 (0: none given), TLS required,
  // and the CA file the server's certificate is checked against.
  int db_port = 0;
  bool tls = false;
  std::string tls_ca;
  // The driver's words for the last connection open_database could not make,
  // and its native error code (what tells the causes apart).
  std::string connection_error;
  std::int32_t connection_native_error = 0;

  // Given to every connection open_database makes.
  StatementObserver statement_observer;
  StatementGate statement_gate;
  // Told of statements about to be sent one after another, with their rows,
  // before the first (announce_statements); the gate then lets each of them
  // pass at once.
  std::function<void(const AnnouncedStatements&)> statements_ahead;
  // Told by an all-or-nothing write of its steps (a journal records them).
  TransactionSteps transaction_steps;

  std::unique_ptr<Connection> db_connection;
  std::unique_ptr<Recordset> db_recordset;
  std::string current_sql;
  std::int32_t record_count = 0;
};

}  // namespace vl::db
