#pragma once
// One prepared statement of the journal's SQLite file, finalized on every path;
// a borrowed one (kept by the store for the writes of every run) is only reset.
// Every failure is a JournalError with SQLite's own text.

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "journal/run_info.h"
#include "journal/value.h"

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
  // Each as its own SQLite type. The value's text must outlive the step.
  SqliteStatement& bind(int at, const Value& value) {
    if (const std::int64_t* whole = value.integer()) return bind(at, *whole);
    if (const double* real = value.real()) {
      sqlite3_bind_double(stmt_, at, *real);
    } else if (const std::string* text = value.text()) {
      sqlite3_bind_text64(stmt_, at, text->data(), text->size(), SQLITE_STATIC, SQLITE_UTF8);
    } else {
      sqlite3_bind_null(stmt_, at);
    }
    return *this;
  }
  bool step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) fail();
    sqlite3_reset(stmt_);
    return false;
  }
  // Every byte of the text, NUL included; "" for NULL.
  std::string text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
  }
  // The column as the type SQLite holds it in (a BLOB as the text of its bytes).
  Value value(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
      case SQLITE_INTEGER:
        return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt_, column)));
      case SQLITE_FLOAT:
        return Value(sqlite3_column_double(stmt_, column));
      case SQLITE_NULL:
        return Value();
      case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return Value(std::string(bytes ? bytes : "",
                                 static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))));
      }
      default:
        return Value(text(column));
    }
  }
  std::int64_t number(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  [[noreturn]] void fail() { throw JournalError(sqlite3_errmsg(db_)); }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  bool owned_ = true;
};

}  // namespace vl::journal
