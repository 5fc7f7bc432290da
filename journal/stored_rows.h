#pragma once
// The journal's rows as its SQLite file holds them. A journal row stands for
// `tuples` rows of the world of one kind, table, column list and statement:
// a batch of many rows costs the journal a few rows of its own. Its values go
// one SQLite row each into `vals` (by journal row, tuple and position), each
// as its own SQLite type; its column names are a JSON array of texts.

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "journal/row.h"
#include "journal/sqlite_statement.h"

namespace vl::journal {

// A row as the journal is given it to store. Rows of one group (one
// statement's) may share a journal row, and so its id: they are confirmed or
// forgotten together.
struct StoredRow {
  RowKind kind = RowKind::inserted;
  std::string table;
  std::vector<std::string> columns;
  std::vector<Value> values;
  bool uncertain = true;
  std::size_t group = 0;
};

// A statement prepared once and kept by the store (its text must outlive it).
using KeptStatement = std::function<sqlite3_stmt*(const char* sql)>;

// Adds a run's rows inside the caller's transaction, many to a statement.
class RowWriter {
 public:
  RowWriter(KeptStatement kept, sqlite3* db, std::int64_t run)
      : kept_(std::move(kept)), db_(db), run_(run) {}
  void add(const StoredRow& row);
  // Writes what is left; the ids of the rows added, in order (the rows of one
  // journal row share its id).
  std::vector<std::int64_t> finish();

 private:
  struct Packed {
    StoredRow row;  // its values are in `values`
    std::vector<Value> values;
    std::vector<std::size_t> ends;  // of each tuple in `values`
  };
  void write_packed();

  KeptStatement kept_;
  sqlite3* db_;
  std::int64_t run_;
  std::vector<Packed> packed_;
  std::vector<std::int64_t> ids_;
};

// Reads journal rows back: `query` stands on one, with the columns kind, tbl,
// cols, uncertain, tuples, id. Appends the rows of the world it holds to
// `rows` (last to first with `reversed`); returns how many.
class RowReader {
 public:
  RowReader(sqlite3* db, sqlite3_stmt* values_of_row) : db_(db), values_(values_of_row) {}
  std::size_t read(const SqliteStatement& query, std::vector<Row>& rows, bool reversed = false);

 private:
  sqlite3* db_;
  sqlite3_stmt* values_;
  std::string columns_text_;  // the last journal row's, and its names
  std::vector<std::string> columns_;
};

// The statement RowReader reads a journal row's values with.
inline constexpr const char* kValuesOfRow =
    "SELECT tuple, v FROM vals WHERE row=? ORDER BY tuple, pos";

// The kind kind_name spells `name`; inserted for anything else.
RowKind kind_named(const std::string& name);

// Column names as the journal keeps them, and back.
std::string columns_json(const std::vector<std::string>& names);
std::vector<std::string> columns_from_json(const std::string& json);

}  // namespace vl::journal
