#pragma once
// The shared connection and result-set slots and the routines every command
// reaches the world database through.

#include <stdexcept>
#include <string>

#include "db/odbc.h"
#include "db/session.h"

namespace vl::db {

// The fatal connection message: four lines joined by CR LF, none at the end.
extern const char* const kConnectionFailedMessage;

// Thrown by open_database when the connection cannot be made. The program shows
// kConnectionFailedMessage and ends once it is dismissed; no further statement
// of the command runs.
class ConnectionFailed : public std::runtime_error {
 public:
  explicit ConnectionFailed(const std::string& driver_text)
      : std::runtime_error(kConnectionFailedMessage), driver_text_(driver_text) {}
  const std::string& driver_text() const { return driver_text_; }

 private:
  std::string driver_text_;
};

// "DRIVER={MySQL ODBC 3.51 Driver};SERVER=...;DATABASE=...;UID=...;PWD=...;OPTION=18475";
// with brace_settings, a value holding ';', '{' or '}' as "{...}" with '}' doubled.
// then ";PORT=N", ";FORCETLS=1" and ";SSLCA=FILE;SSLVERIFY=1" when the session gives them.
std::string connection_string(const Session& session);

// A new open connection in db_connection and a new unopened result set in
// db_recordset; the previous ones are released (and so closed). Throws
// ConnectionFailed.
void open_database(Session& session);

// Opens db_recordset on `sql` over a new connection. On a rejected statement:
// result set closed, record_count -1, nothing shown. Throws ConnectionFailed.
void run_query(Session& session, const std::string& sql);

// Opens db_recordset directly on current_sql over db_connection (no new
// connection, record_count untouched). Throws Error.
void open_recordset(Session& session);

// Tells statements_ahead, when set, of the statements about to be executed in
// this order, with their rows. Every statement that writes a loot table is
// announced so before it is sent. Throws Error when they must not be sent.
void announce_statements(Session& session, const AnnouncedStatements& statements);
// One statement announced with its rows.
void announce_statement(Session& session, const std::string& sql, std::vector<LootRow> rows);

// Executes current_sql on db_connection as a statement without rows;
// `announced`: its place among the statements announced last. Throws Error.
void execute(Session& session, std::optional<std::size_t> announced = std::nullopt);

// A statement as a message quotes it: at most 400 characters, then "...".
std::string shown_statement(const std::string& sql);

// The message a command shows when the server rejects one of its statements:
// the server's own text and the statement; for a statement withheld by its
// gate, the gate's own message.
std::string statement_failed_message(const Error& error, const std::string& sql);

}  // namespace vl::db
