#include "journal/value.h"

#include <array>
#include <charconv>

#include "db/exact_number.h"
#include "db/sql_literal.h"

namespace vl::journal {
namespace {

// The shortest text that reads back as the same double.
std::string shortest(double number) {
  std::array<char, 32> digits;
  return {digits.data(), std::to_chars(digits.begin(), digits.end(), number).ptr};
}

}  // namespace

Value Value::of_world(db::ValueKind kind, const std::optional<std::string>& text) {
  if (!text) return Value();
  if (kind == db::ValueKind::integer)
    if (const auto whole = exact_number<std::int64_t>(*text)) return Value(*whole);
  if (kind != db::ValueKind::text)
    if (const auto real = exact_number<double>(*text)) return Value(*real);
  return Value(*text);
}

std::string Value::sql() const {
  if (const std::string* bytes = text()) return db::hex_literal(*bytes);
  return plain();
}

std::string Value::plain() const {
  if (const std::int64_t* whole = integer()) return std::to_string(*whole);
  if (const double* number = real()) return shortest(*number);
  if (const std::string* bytes = text()) return *bytes;
  return "NULL";
}

std::string Value::shown() const {
  if (const std::string* bytes = text()) return db::sql_text(*bytes);
  return plain();
}

}  // namespace vl::journal
