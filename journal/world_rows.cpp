#include "journal/world_rows.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>

namespace vl::journal {
namespace {

// Keys per SELECT when the world's rows are read.
constexpr std::size_t kKeysPerRead = 2000;

// Rows folded into a digest one by one, in any order.
class Digest {
 public:
  void add(const std::vector<db::Value>& row) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a over each field's length and bytes
    const auto mix = [&hash](const char* bytes, std::size_t size) {
      for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ULL;
    };
    for (const db::Value& field : row) {
      const std::uint64_t size = field.is_null() ? ~std::uint64_t{0} : field.text().size();
      mix(reinterpret_cast<const char*>(&size), sizeof size);
      mix(field.text().data(), field.text().size());
    }
    sum_ += hash;
    ++rows_;
  }
  std::uint64_t value() const { return sum_ ^ (rows_ * 0x9E3779B97F4A7C15ULL); }

 private:
  std::uint64_t sum_ = 0, rows_ = 0;
};

WorldRead digest_of(db::Connection& connection, const std::string& sql, const char* lock,
                    const std::function<void(const std::vector<db::Value>&)>& each) {
  Digest digest;
  db::for_each_row(connection, sql + lock, [&](const std::vector<db::Value>& row) {
    digest.add(row);
    if (each) each(row);
  });
  return {sql, digest.value()};
}

}  // namespace

bool reads_the_same(db::Connection& connection, const WorldRead& read, const char* lock) {
  return digest_of(connection, read.sql, lock, nullptr) == read;
}

void WorldRows::select(const std::string& sql,
                       const std::function<void(const std::vector<db::Value>&)>& row) {
  // A locked read holds its rows until COMMIT: no later read is compared with it.
  if (locking_) return db::for_each_row(connection_, sql + lock(), row);
  reads_.push_back(digest_of(connection_, sql, lock(), row));
}

std::string key_column(const std::string& table) {
  return table == "lootdrop_entries" || table == "loottable_entries" ? "lootdrop_id" : "id";
}

bool is_child(const std::string& table) { return key_column(table) == "lootdrop_id"; }

std::string listed(const std::vector<std::string>& columns) {
  std::string list;
  for (const std::string& column : columns) list += (list.empty() ? "" : ",") + quoted_name(column);
  return list;
}

std::string values_listed(const std::vector<Value>& values) {
  std::string list;
  for (const Value& value : values) list += (list.empty() ? "" : ",") + value.sql();
  return list;
}

namespace {
const Value kNone;  // what a row has of a column it does not name
}  // namespace

const std::vector<Column>& WorldRows::columns(const Row& row) {
  if (read_rows_ && std::less_equal<const Row*>()(read_rows_, &row) &&
      std::less<const Row*>()(&row, read_rows_ + read_rows_columns_.size()))
    return *read_rows_columns_[static_cast<std::size_t>(&row - read_rows_)];
  return named(row);
}

const std::vector<Column>& WorldRows::named(const Row& row) {
  auto& table = described(row.table);
  if (row.columns.empty()) return table;
  // A run names the same few column lists over and over.
  auto& lists = named_[row.table];
  for (const auto& [names, named] : lists)
    if (names == row.columns) return named;
  std::vector<Column> named;
  for (const std::string& name : row.columns) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const Column& column) { return column.name == name; });
    named.push_back(found == table.end() ? Column{name} : *found);
  }
  return lists.emplace_back(row.columns, std::move(named)).second;
}

const Value& WorldRows::value(const Row& row, const std::string& column) {
  const auto& names = columns(row);
  for (std::size_t i = 0; i < names.size() && i < row.values.size(); ++i)
    if (names[i].name == column) return row.values[i];
  return kNone;
}

const Value& WorldRows::key_of(const Row& row) {
  const auto& names = named(row);
  const std::string key = key_column(row.table);
  for (std::size_t i = 0; i < names.size() && i < row.values.size(); ++i)
    if (names[i].name == key) return row.values[i];
  return kNone;
}

void WorldRows::read(const std::vector<Row>& rows) {
  rows_.clear();
  by_number_.clear();
  read_rows_ = rows.data();
  read_rows_columns_.clear();
  for (const Row& row : rows) read_rows_columns_.push_back(&named(row));
  std::map<std::string, std::set<Value>> keys;
  std::map<std::string, const Row*> shape;  // a row of the table, for its columns
  for (const Row& row : rows) {
    if (row.kind == RowKind::removed) continue;
    const Value& key = value(row, key_column(row.table));
    if (key.is_null()) continue;
    keys[row.table].insert(key);
    shape.try_emplace(row.table, &row);
  }
  for (const auto& [table, wanted] : keys) {
    const Row& row = *shape[table];
    const std::vector<Value> keys_of_table(wanted.begin(), wanted.end());
    for (std::size_t from = 0; from < keys_of_table.size(); from += kKeysPerRead) {
      const std::vector<Value> batch(
          keys_of_table.begin() + static_cast<std::ptrdiff_t>(from),
          keys_of_table.begin() +
              static_cast<std::ptrdiff_t>(std::min(keys_of_table.size(), from + kKeysPerRead)));
      read_batch(row, batch);
    }
  }
}

bool WorldRows::same_row(const Row& row, const std::vector<Column>& names, const WorldRow& world) {
  const auto& read = read_columns_[row.table];
  bool same = true;
  for (std::size_t i = 0; same && i < row.values.size() && i < names.size(); ++i) {
    const std::size_t at = i < read.size() && read[i].name == names[i].name
                               ? i
                               : column_index(row.table, names[i].name);
    same = at < world.size() && same_value(names[i].kind, world[at], row.values[i]);
  }
  return same;
}

std::optional<std::vector<std::size_t>> WorldRows::numbered(const Row& row,
                                                            const std::vector<Column>& names,
                                                            const std::string& key) {
  const auto& rows = under(row.table, key);
  // Below this many rows under a key, comparing with each costs less than an index.
  constexpr std::size_t kRowsIndexed = 64;
  if (rows.size() < kRowsIndexed) return std::nullopt;
  std::size_t i = 0;
  std::optional<std::int64_t> number;
  for (; i < names.size() && i < row.values.size() && !number; ++i)
    if (names[i].kind == ValueKind::integer && names[i].name != key_column(row.table) &&
        row.values[i].integer())
      number = *row.values[i].integer();
  if (!number) return std::nullopt;
  const std::size_t column = column_index(row.table, names[i - 1].name);
  if (column >= read_columns_[row.table].size()) return std::nullopt;
  auto [at, added] = by_number_.try_emplace({row.table, key});
  ByNumber& index = at->second;
  if (added || index.column != column) {
    index = ByNumber{column, {}, {}};
    for (std::size_t n = 0; n < rows.size(); ++n) {
      const WorldRow& world = rows[n].first;
      const auto whole =
          column < world.size() && world[column] ? whole_number(*world[column]) : std::nullopt;
      (whole ? index.rows[*whole] : index.others).push_back(n);
    }
  }
  // In the order of the rows, as the comparison with each would take them.
  std::vector<std::size_t> candidates;
  const auto found = index.rows.find(*number);
  const std::vector<std::size_t> none;
  const auto& equal = found == index.rows.end() ? none : found->second;
  std::merge(equal.begin(), equal.end(), index.others.begin(), index.others.end(),
             std::back_inserter(candidates));
  return candidates;
}

bool WorldRows::match(const Row& row) {
  const auto& names = columns(row);
  const std::string key = value(row, key_column(row.table)).plain();
  auto& rows = under(row.table, key);
  const auto take = [&](std::pair<WorldRow, bool>& candidate) {
    if (candidate.second || !same_row(row, names, candidate.first)) return false;
    candidate.second = true;
    return true;
  };
  if (const auto candidates = numbered(row, names, key)) {
    return std::any_of(candidates->begin(), candidates->end(),
                       [&](std::size_t n) { return take(rows[n]); });
  }
  return std::any_of(rows.begin(), rows.end(), take);
}

std::size_t WorldRows::column_index(const std::string& table, const std::string& column) {
  const auto& read = read_columns_[table];
  return static_cast<std::size_t>(
      std::find_if(read.begin(), read.end(), [&](const Column& c) { return c.name == column; }) -
      read.begin());
}

const std::vector<Column>& WorldRows::described(const std::string& table) {
  auto [at, added] = tables_.try_emplace(table);
  if (added) at->second = table_columns(connection_, table);
  return at->second;
}

void WorldRows::read_batch(const Row& row, const std::vector<Value>& keys) {
  const auto& names = columns(row);
  read_columns_[row.table] = names;
  const std::size_t key = column_index(row.table, key_column(row.table));
  auto& of_table = rows_[row.table];
  select("SELECT " + read_list(names) + " FROM `" + row.table + "` WHERE `" +
             key_column(row.table) + "` IN (" + values_listed(keys) + ")",
         [&](const std::vector<db::Value>& fields) {
           WorldRow world;
           world.reserve(fields.size());
           for (const db::Value& field : fields)
             world.push_back(field.is_null() ? Field{} : Field{field.text()});
           const std::string at = world[key].value_or("NULL");
           of_table[at].emplace_back(std::move(world), false);
         });
}

}  // namespace vl::journal
