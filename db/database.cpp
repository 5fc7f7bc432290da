#include "db/database.h"

namespace vl::db {

const char* const kConnectionFailedMessage =
    "MYSQL Connection FAILED - Did you remember to:\n"
    "Edit db.ini for correct mysql user data?\n"
    "Use 127.0.0.1 IP for minilogin?\n"
    "Install myODBC drivers?";

namespace {

std::string setting(const Session& state, const std::string& value) {
  if (!state.brace_settings || value.find_first_of(";{}") == std::string::npos) return value;
  std::string braced = "{";
  for (const char c : value) braced += c == '}' ? std::string("}}") : std::string(1, c);
  return braced + "}";
}

// The command line's port and TLS settings, after the window's string.
std::string transport(const Session& state) {
  std::string extra;
  if (state.db_port != 0) extra += ";PORT=" + std::to_string(state.db_port);
  if (state.tls) extra += ";FORCETLS=1";
  if (!state.tls_ca.empty()) extra += ";SSLCA=" + setting(state, state.tls_ca) + ";SSLVERIFY=1";
  return extra;
}

}  // namespace

std::string connection_string(const Session& state) {
  return "DRIVER={MySQL ODBC 3.51 Driver};SERVER=" + setting(state, state.db_host) +
         ";DATABASE=" + setting(state, state.db_name) + ";UID=" + setting(state, state.db_user) +
         ";PWD=" + setting(state, state.db_password) + ";OPTION=18475" + transport(state);
}

void open_database(Session& state) {
  // Releasing the previous connection closes it before the new one opens.
  state.db_connection.reset();
  try {
    state.db_connection = std::make_unique<Connection>(connection_string(state));
  } catch (const Error& e) {
    state.connection_error = e.what();
    state.connection_native_error = e.native_error();
    throw ConnectionFailed(e.what());
  }
  state.db_connection->set_observer(state.statement_observer);
  state.db_connection->set_gate(state.statement_gate);
  state.db_recordset = std::make_unique<Recordset>();
}

void run_query(Session& state, const std::string& sql) {
  // A copy: sql may be current_sql itself, which the recordset's open changes.
  // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
  const std::string statement = sql;
  open_database(state);
  try {
    state.db_recordset->open(statement, *state.db_connection);
    state.record_count = state.db_recordset->record_count();
    if (state.record_count != 0) state.db_recordset->move_first();
  } catch (const Error&) {
    state.db_recordset->close();
    state.record_count = -1;
  }
}

void open_recordset(Session& state) {
  if (!state.db_connection) throw UsageError("No connection to the database is open.");
  if (!state.db_recordset) state.db_recordset = std::make_unique<Recordset>();
  state.db_recordset->open(state.current_sql, *state.db_connection);
}

void announce_statements(Session& state, const AnnouncedStatements& statements) {
  if (state.statements_ahead) state.statements_ahead(statements);
}

void announce_statement(Session& state, const std::string& sql, std::vector<LootRow> rows) {
  if (!state.statements_ahead) return;
  state.statements_ahead(std::make_shared<const std::vector<Announced>>(
      std::vector<Announced>{{sql, std::move(rows)}}));
}

void execute(Session& state, std::optional<std::size_t> announced) {
  if (!state.db_connection) throw UsageError("No connection to the database is open.");
  state.db_connection->execute(state.current_sql, announced);
}

std::string shown_statement(const std::string& sql) {
  constexpr std::size_t kShownLength = 400;
  return sql.size() > kShownLength ? sql.substr(0, kShownLength) + "..." : sql;
}

std::string statement_failed_message(const Error& error, const std::string& sql) {
  // Withheld by the program, not rejected by the server: its own words say why.
  if (dynamic_cast<const StatementWithheld*>(&error)) return error.what();
  return "The database rejected a statement, and the command was stopped.\n\n" +
         std::string(error.what()) + "\n\nStatement: " + shown_statement(sql);
}

}  // namespace vl::db
