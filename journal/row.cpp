#include "journal/row.h"

#include <algorithm>
#include <cctype>
#include <regex>

namespace vl::journal {
namespace {

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A quoted literal starting at `at` (its quote), decoded; `at` ends past it.
std::string quoted_text(const std::string& sql, std::size_t& at) {
  const char quote = sql[at++];
  std::string text;
  while (at < sql.size()) {
    const char c = sql[at++];
    if (c == '\\' && at < sql.size()) {
      text += sql[at++];
    } else if (c == quote && at < sql.size() && sql[at] == quote) {
      text += quote;
      ++at;
    } else if (c == quote) {
      break;
    } else {
      text += c;
    }
  }
  return text;
}

// The tuples after VALUES: each a list of literals.
std::vector<std::vector<std::string>> tuples(const std::string& sql, std::size_t at) {
  std::vector<std::vector<std::string>> all;
  std::vector<std::string> tuple;
  std::string bare;
  bool in_tuple = false;
  auto end_value = [&] {
    if (!trimmed(bare).empty()) tuple.push_back(trimmed(bare));
    bare.clear();
  };
  while (at < sql.size()) {
    const char c = sql[at];
    if (!in_tuple) {
      if (c == '(') in_tuple = true;
      ++at;
    } else if (c == '\'' || c == '"') {
      tuple.push_back(quoted(quoted_text(sql, at)));
    } else if (c == ',') {
      end_value();
      ++at;
    } else if (c == ')') {
      end_value();
      all.push_back(std::move(tuple));
      tuple.clear();
      in_tuple = false;
      ++at;
    } else {
      bare += c;
      ++at;
    }
  }
  return all;
}

std::vector<std::string> column_list(const std::string& text) {
  std::vector<std::string> columns;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto comma = std::min(text.find(',', start), text.size());
    if (auto name = trimmed(text.substr(start, comma - start)); !name.empty())
      columns.push_back(lower(name));
    start = comma + 1;
  }
  return columns;
}

}  // namespace

const char* kind_name(RowKind kind) {
  switch (kind) {
    case RowKind::inserted:
      return "inserted";
    case RowKind::deleted:
      return "deleted";
    case RowKind::npc:
      return "npc";
    case RowKind::removed:
      return "removed";
  }
  return "";
}

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

std::string describe(const Row& row) {
  std::string values;
  for (const std::string& value : row.values) values += (values.empty() ? "" : ",") + value;
  return row.table + " (" + values + ")";
}

std::vector<Row> rows_of_statement(const std::string& sql) {
  static const std::regex kUpdate(
      R"(UPDATE npc_types SET loottable_id=(\d+) WHERE npc_types\.id=(-?\d+))", std::regex::icase);
  static const std::regex kInsert(R"(^\s*INSERT INTO\s+(\w+)\s*(\(([^)]*)\))?\s*values\s*)",
                                  std::regex::icase);
  static const std::regex kRemoval(
      R"(^DELETE FROM (lootdrop WHERE lootdrop\.name like ('.*')|lootdrop_entries WHERE lootdrop_id=(\d+))$)");
  std::smatch found;
  if (std::regex_search(sql, found, kRemoval)) {
    if (found[2].matched) return {Row{RowKind::removed, "lootdrop", {"name"}, {found[2]}}};
    return {Row{RowKind::removed, "lootdrop", {"id"}, {found[3]}}};
  }
  if (std::regex_search(sql, found, kUpdate)) {
    return {Row{RowKind::npc, "npc_types", {"id", "loottable_id"}, {found[2], found[1]}}};
  }
  if (!std::regex_search(sql, found, kInsert)) return {};
  const std::string table = lower(found[1]);
  const std::vector<std::string> columns =
      found[2].matched ? column_list(found[3]) : std::vector<std::string>{};
  std::vector<Row> rows;
  for (auto& values : tuples(sql, static_cast<std::size_t>(found.length(0))))
    rows.push_back(Row{RowKind::inserted, table, columns, std::move(values)});
  return rows;
}

}  // namespace vl::journal
