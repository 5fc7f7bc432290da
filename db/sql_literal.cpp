#include "db/sql_literal.h"

namespace vl::db {

std::string sql_text(std::string_view text) {
  std::string quoted = "'";
  quoted.reserve(text.size() + 2);
  for (const char c : text) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

std::string sql_texts(const std::vector<std::string>& texts) {
  std::string listed;
  for (const std::string& text : texts) listed += (listed.empty() ? "" : ",") + sql_text(text);
  return listed;
}

std::string hex_literal(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string literal = "X'";
  literal.reserve(text.size() * 2 + 3);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    literal += kDigits[byte >> 4];
    literal += kDigits[byte & 0xF];
  }
  return literal + "'";
}

std::string sql_integer(std::int64_t value) { return std::to_string(value); }

}  // namespace vl::db
