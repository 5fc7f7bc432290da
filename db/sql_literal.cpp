#include "db/sql_literal.h"

#include <cstdint>

#include "db/exact_number.h"

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

std::optional<std::string> integer_literal(std::string_view text) {
  const auto value = exact_number<std::int64_t>(text);
  if (!value) return std::nullopt;
  return std::to_string(*value);
}

}  // namespace vl::db
