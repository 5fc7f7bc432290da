#include "db/sql_literal.h"

#include <charconv>
#include <cstdint>

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
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return std::to_string(value);
}

}  // namespace vl::db
