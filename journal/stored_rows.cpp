#include "journal/stored_rows.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

namespace vl::journal {
namespace {

// At most this many rows of the world share a journal row, so that a page of
// rows read back stays near its size.
constexpr std::size_t kTuplesPerRow = 64;

// An INSERT of many rows at once, prepared for a few counts of rows: a write
// sends the largest that fit, so that rows and values cost a statement per
// many of them, not one each (AUTOINCREMENT also updates its sequence once
// per statement).
class ManyRowInsert {
 public:
  ManyRowInsert(const char* head, int columns, std::array<std::size_t, 4> counts)
      : counts_(counts), columns_(columns) {
    std::string tuple = "(?";
    for (int c = 1; c < columns; ++c) tuple += ",?";
    tuple += ')';
    for (std::size_t k = 0; k < counts.size(); ++k) {
      texts_[k] = std::string(head) + " VALUES " + tuple;
      for (std::size_t n = 1; n < counts[k]; ++n) texts_[k] += "," + tuple;
    }
  }
  // Inserts `count` rows; `bind(statement, first parameter, row)` binds one,
  // `sent(first row, rows)` follows each statement.
  template <class Bind, class Sent>
  void insert(const KeptStatement& kept, sqlite3* db, std::size_t count, const Bind& bind,
              const Sent& sent) const {
    for (std::size_t first = 0; first < count;) {
      std::size_t k = 0;
      while (counts_[k] > count - first) ++k;
      SqliteStatement insert(db, kept(texts_[k].c_str()));
      for (std::size_t n = 0; n < counts_[k]; ++n)
        bind(insert, static_cast<int>(n) * columns_, first + n);
      insert.step();
      sent(first, counts_[k]);
      first += counts_[k];
    }
  }

 private:
  std::array<std::size_t, 4> counts_;  // falling, the last 1
  int columns_;
  std::array<std::string, 4> texts_;
};

const ManyRowInsert& row_insert() {
  static const ManyRowInsert insert("INSERT INTO rows (run, kind, tbl, cols, uncertain, tuples)", 6,
                                    {64, 16, 4, 1});
  return insert;
}

const ManyRowInsert& value_insert() {
  static const ManyRowInsert insert("INSERT INTO vals (row, tuple, pos, v)", 4, {128, 32, 8, 1});
  return insert;
}

}  // namespace

RowKind kind_named(const std::string& name) {
  for (RowKind kind : {RowKind::deleted, RowKind::npc, RowKind::removed})
    if (name == kind_name(kind)) return kind;
  return RowKind::inserted;
}

std::string columns_json(const std::vector<std::string>& names) {
  // Names come from the world's layout, which holds UTF-8 only.
  return nlohmann::json(names).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<std::string> columns_from_json(const std::string& json) {
  if (json.empty()) return {};
  try {
    return nlohmann::json::parse(json).get<std::vector<std::string>>();
  } catch (const nlohmann::json::exception& error) {
    throw JournalError(std::string("a row's column names cannot be read: ") + error.what());
  }
}

void RowWriter::add(const StoredRow& next) {
  if (!packed_.empty()) {
    Packed& last = packed_.back();
    const StoredRow& row = last.row;
    if (last.ends.size() < kTuplesPerRow && row.group == next.group && row.kind == next.kind &&
        row.uncertain == next.uncertain && row.table == next.table && row.columns == next.columns) {
      last.values.insert(last.values.end(), next.values.begin(), next.values.end());
      last.ends.push_back(last.values.size());
      return;
    }
    if (packed_.size() == 64) write_packed();
  }
  Packed& pack = packed_.emplace_back();
  pack.row.kind = next.kind;
  pack.row.table = next.table;
  pack.row.columns = next.columns;
  pack.row.uncertain = next.uncertain;
  pack.row.group = next.group;
  pack.values = next.values;
  pack.ends.push_back(pack.values.size());
}

std::vector<std::int64_t> RowWriter::finish() {
  write_packed();
  return std::move(ids_);
}

void RowWriter::write_packed() {
  if (packed_.empty()) return;
  std::vector<std::string> columns;
  columns.reserve(packed_.size());
  for (std::size_t i = 0; i < packed_.size(); ++i) {
    // Rows next to each other mostly name the same columns.
    const bool same = i > 0 && packed_[i].row.columns == packed_[i - 1].row.columns;
    columns.push_back(same ? columns.back() : columns_json(packed_[i].row.columns));
  }
  std::vector<std::int64_t> row_ids(packed_.size());
  row_insert().insert(
      kept_, db_, packed_.size(),
      [&](SqliteStatement& insert, int at, std::size_t i) {
        const Packed& pack = packed_[i];
        insert.bind(at + 1, run_).bind(at + 2, std::string(kind_name(pack.row.kind)));
        insert.bind(at + 3, pack.row.table).bind(at + 4, columns[i]);
        insert.bind(at + 5, std::int64_t{pack.row.uncertain});
        insert.bind(at + 6, static_cast<std::int64_t>(pack.ends.size()));
      },
      [&](std::size_t first, std::size_t count) {
        // The statement's rows took the ids up to the last, one after another.
        const std::int64_t last = sqlite3_last_insert_rowid(db_);
        for (std::size_t n = 0; n < count; ++n)
          row_ids[first + n] = last - static_cast<std::int64_t>(count - 1 - n);
      });
  struct Placed {
    std::int64_t row, tuple, pos;
    const Value* value;
  };
  std::vector<Placed> placed;
  for (std::size_t i = 0; i < packed_.size(); ++i) {
    const Packed& pack = packed_[i];
    ids_.insert(ids_.end(), pack.ends.size(), row_ids[i]);
    std::size_t from = 0;
    for (std::size_t t = 0; t < pack.ends.size(); from = pack.ends[t++])
      for (std::size_t v = from; v < pack.ends[t]; ++v)
        placed.push_back({row_ids[i], static_cast<std::int64_t>(t),
                          static_cast<std::int64_t>(v - from), &pack.values[v]});
  }
  value_insert().insert(
      kept_, db_, placed.size(),
      [&](SqliteStatement& insert, int at, std::size_t i) {
        insert.bind(at + 1, placed[i].row).bind(at + 2, placed[i].tuple);
        insert.bind(at + 3, placed[i].pos).bind(at + 4, *placed[i].value);
      },
      [](std::size_t, std::size_t) {});
  packed_.clear();
}

std::size_t RowReader::read(const SqliteStatement& query, std::vector<Row>& rows, bool reversed) {
  if (const std::string columns = query.text(2); columns != columns_text_) {
    columns_ = columns_from_json(columns);
    columns_text_ = columns;
  }
  const std::size_t first = rows.size();
  const auto tuples = static_cast<std::size_t>(std::max<std::int64_t>(query.number(4), 1));
  for (std::size_t t = 0; t < tuples; ++t)
    rows.push_back({kind_named(query.text(0)), query.text(1), columns_, {}, query.number(3) != 0});
  SqliteStatement values(db_, values_);
  values.bind(1, query.number(5));
  while (values.step()) {
    const auto tuple = static_cast<std::size_t>(values.number(0));
    if (tuple < tuples) rows[first + tuple].values.push_back(values.value(1));
  }
  if (reversed) std::reverse(rows.begin() + static_cast<std::ptrdiff_t>(first), rows.end());
  return tuples;
}

}  // namespace vl::journal
