#include "journal/row.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <regex>
#include <string_view>

#include "db/sql_literal.h"

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

std::string unquoted(const std::string& literal) {
  std::string text;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    if (literal[i] == '\\' && i + 2 < literal.size()) ++i;
    text += literal[i];
  }
  return text;
}

std::string sql_value(const std::string& value) {
  if (value == "NULL") return value;
  if (!value.empty() && value.front() == '\'') return db::hex_literal(unquoted(value));
  if (auto integer = db::integer_literal(value)) return *integer;
  double number = 0;
  const char* end = value.data() + value.size();
  const bool plain =
      !value.empty() && value.find_first_not_of("0123456789.eE+-") == std::string::npos;
  if (plain && std::from_chars(value.data(), end, number).ptr == end) return value;
  return db::hex_literal(value);
}

std::string describe(const Row& row) {
  std::string values;
  for (const std::string& value : row.values) values += (values.empty() ? "" : ",") + value;
  return row.table + " (" + values + ")";
}

std::vector<Row> rows_of_statement(const std::string& sql) {
  // Most statements are neither: a look at the first word settles them.
  const auto first = std::min(sql.find_first_not_of(" \t\r\n"), sql.size());
  const auto starts = [&](std::string_view word) {
    return sql.size() - first >= word.size() &&
           std::equal(
               word.begin(), word.end(), sql.begin() + static_cast<std::ptrdiff_t>(first),
               [](char a, char b) { return a == std::toupper(static_cast<unsigned char>(b)); });
  };
  constexpr auto kAtStart = std::regex_constants::match_continuous;
  const auto from = sql.begin() + static_cast<std::ptrdiff_t>(first);
  std::smatch found;
  if (starts("DELETE")) {
    static const std::regex kRemoval(
        R"(DELETE FROM (lootdrop WHERE lootdrop\.name like ('.*')|lootdrop_entries WHERE lootdrop_id=(\d+))$)");
    if (!std::regex_search(from, sql.end(), found, kRemoval, kAtStart)) return {};
    if (found[2].matched) return {Row{RowKind::removed, "lootdrop", {"name"}, {found[2]}}};
    return {Row{RowKind::removed, "lootdrop", {"id"}, {found[3]}}};
  }
  if (starts("UPDATE")) {
    static const std::regex kUpdate(
        R"(UPDATE npc_types SET loottable_id=(\d+) WHERE npc_types\.id=(-?\d+))",
        std::regex::icase);
    if (!std::regex_search(from, sql.end(), found, kUpdate, kAtStart)) return {};
    return {Row{RowKind::npc, "npc_types", {"id", "loottable_id"}, {found[2], found[1]}}};
  }
  // INSERT INTO table [(columns)] values (...),(...): read by hand, as it
  // comes for every row a run writes.
  std::size_t at = first + 6;
  const auto skip_spaces = [&] {
    while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at]))) ++at;
  };
  const auto word = [&](std::string_view expected) {
    skip_spaces();
    if (sql.size() - at < expected.size() || lower(sql.substr(at, expected.size())) != expected)
      return false;
    at += expected.size();
    return true;
  };
  if (!word("into")) return {};
  skip_spaces();
  const std::size_t name = at;
  while (at < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[at])) || sql[at] == '_'))
    ++at;
  if (at == name) return {};
  const std::string table = lower(sql.substr(name, at - name));
  std::vector<std::string> columns;
  skip_spaces();
  if (at < sql.size() && sql[at] == '(') {
    const auto close = sql.find(')', at);
    if (close == std::string::npos) return {};
    columns = column_list(sql.substr(at + 1, close - at - 1));
    at = close + 1;
  }
  if (!word("values")) return {};
  std::vector<Row> rows;
  for (auto& values : tuples(sql, at))
    rows.push_back(Row{RowKind::inserted, table, columns, std::move(values)});
  return rows;
}

}  // namespace vl::journal
