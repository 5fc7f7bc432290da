#pragma once
// The rows of the world that a run's rows are compared with, read by key in a
// few statements per table instead of one per row, one chunk of the run's
// rows at a time.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "db/odbc.h"
#include "journal/columns.h"
#include "journal/row.h"

namespace vl::journal {

// The column rows of a table are read and removed by: what every row the run
// wrote names and what stays with it (a drop's entries and links by the drop).
std::string key_column(const std::string& table);
bool is_child(const std::string& table);

// Column names quoted for a statement (quoted_name), comma-separated.
std::string listed(const std::vector<std::string>& columns);
// Values of rows (keys among them) as a statement gets them: see Value::sql.
std::string values_listed(const std::vector<Value>& values);

// A read of the world and a digest of its answer (every field of every row,
// whatever their order): the same read taken again tells whether anything it
// covers changed meanwhile.
struct WorldRead {
  std::string sql;  // without FOR UPDATE
  std::uint64_t digest = 0;
  bool operator==(const WorldRead&) const = default;
};

// Sends `read.sql` with `lock` appended and whether its answer has the digest
// of `read`. Throws db::Error.
bool reads_the_same(db::Connection& connection, const WorldRead& read, const char* lock);

// A value as the world holds it: its text, or nullopt for NULL.
using Field = std::optional<std::string>;
using WorldRow = std::vector<Field>;

class WorldRows {
 public:
  // `locking`: every read takes the rows FOR UPDATE (inside the undo's transaction).
  WorldRows(db::Connection& connection, bool locking)
      : connection_(connection), locking_(locking) {}

  // The row's columns: those its statement named, else all of its table's.
  const std::vector<Column>& columns(const Row& row);
  // The row's value of `column`, NULL when it has none.
  const Value& value(const Row& row, const std::string& column);
  // The row's value of its table's key_column, for a row not yet read.
  const Value& key_of(const Row& row);

  // Reads the rows of each table under the keys `rows` name, in place of
  // those read before. `rows` stay where they are until the next read.
  void read(const std::vector<Row>& rows);

  // The world's rows of `table` under `key` (the world's text of it, see
  // Value::plain), each with whether a row of the run has already been matched to it.
  std::vector<std::pair<WorldRow, bool>>& under(const std::string& table, const std::string& key) {
    return rows_[table][key];
  }

  // Matches the run's row to a world row equal to it not matched before.
  bool match(const Row& row);

  std::size_t column_index(const std::string& table, const std::string& column);

  // " FOR UPDATE" when the reads lock what they read.
  const char* lock() const { return locking_ ? " FOR UPDATE" : ""; }

  // Sends the SELECT `sql` (lock() appended) and hands each row to `row`.
  void select(const std::string& sql,
              const std::function<void(const std::vector<db::Value>&)>& row);
  // Every read made, in order (none when locking).
  const std::vector<WorldRead>& reads() const { return reads_; }

 private:
  const std::vector<Column>& named(const Row& row);
  const std::vector<Column>& described(const std::string& table);
  void read_batch(const Row& row, const std::vector<Value>& keys);
  bool same_row(const Row& row, const std::vector<Column>& names, const WorldRow& world);
  std::optional<std::vector<std::size_t>> numbered(const Row& row, const std::vector<Column>& names,
                                                   const std::string& key);

  db::Connection& connection_;
  bool locking_;
  std::map<std::string, std::vector<Column>> tables_, read_columns_;
  // By table: the column lists rows named, each with its columns.
  std::map<std::string, std::deque<std::pair<std::vector<std::string>, std::vector<Column>>>>
      named_;
  std::map<std::string, std::unordered_map<std::string, std::vector<std::pair<WorldRow, bool>>>>
      rows_;
  std::vector<WorldRead> reads_;
  // The rows under one key, by the whole number in one of their integer
  // columns: built for a key that holds many rows (a lootdrop that many
  // loottables link), so that each of the run's rows is compared with the few
  // of them that can equal it, not with all.
  struct ByNumber {
    std::size_t column = 0;  // in the columns read
    std::unordered_map<std::int64_t, std::vector<std::size_t>> rows;
    std::vector<std::size_t> others;  // NULL, or no whole number
  };
  std::map<std::pair<std::string, std::string>, ByNumber> by_number_;  // by table and key
  // The rows last read, with their columns: looked up by position.
  const Row* read_rows_ = nullptr;
  std::vector<const std::vector<Column>*> read_rows_columns_;
};

}  // namespace vl::journal
