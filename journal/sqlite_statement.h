#pragma once
// One prepared statement of the journal's SQLite file, finalized on every path;
// a borrowed one (kept by the store for the writes of every run) is only reset.
// Every failure is a JournalError with SQLite's own text.

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "journal/run_info.h"

namespace vl::journal {

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) fail();
  }
  SqliteStatement(sqlite3* db, sqlite3_stmt* borrowed) : db_(db), stmt_(borrowed), owned_(false) {}
  ~SqliteStatement() {
    if (owned_) {
      sqlite3_finalize(stmt_);
    } else {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
  }
  SqliteStatement& bind(int at, const std::string& text) {
    sqlite3_bind_text(stmt_, at, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  SqliteStatement& bind(int at, std::int64_t number) {
    sqlite3_bind_int64(stmt_, at, number);
    return *this;
  }
  bool step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) fail();
    sqlite3_reset(stmt_);
    return false;
  }
  std::string text(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    return text ? reinterpret_cast<const char*>(text) : "";
  }
  std::int64_t number(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  [[noreturn]] void fail() { throw JournalError(sqlite3_errmsg(db_)); }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  bool owned_ = true;
};

}  // namespace vl::journal
