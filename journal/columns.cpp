#include "journal/columns.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "db/sql_literal.h"
#include "journal/row.h"

namespace vl::journal {
namespace {

constexpr double kRelativeTolerance = 1e-6;

// A whole text as a number, without the locale; nullopt when it is not one.
template <typename Number>
std::optional<Number> parsed(const std::string& text) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || at != end) return std::nullopt;
  return value;
}

bool is_text_literal(const std::string& literal) {
  return !literal.empty() && literal.front() == '\'';
}

}  // namespace

std::string literal_of(ValueKind kind, const std::optional<std::string>& value) {
  if (!value) return "NULL";
  if (kind != ValueKind::text && parsed<double>(*value)) return *value;
  return db::sql_text(*value);
}

bool same_value(ValueKind kind, const std::optional<std::string>& world,
                const std::string& literal) {
  if (literal == "NULL" || !world) return literal == "NULL" && !world;
  if (kind == ValueKind::text || is_text_literal(literal))
    return *world == (is_text_literal(literal) ? unquoted(literal) : literal);
  if (kind == ValueKind::integer) {
    const auto now = parsed<std::int64_t>(*world), written = parsed<std::int64_t>(literal);
    if (now && written) return *now == *written;
  }
  const auto now = parsed<double>(*world), written = parsed<double>(literal);
  if (!now || !written) return *world == literal;
  if (kind == ValueKind::integer) return *now == *written;
  return std::abs(*now - *written) <=
         kRelativeTolerance * std::max(std::abs(*now), std::abs(*written));
}

std::optional<std::int64_t> whole_number(const std::string& text) {
  return parsed<std::int64_t>(text);
}

std::string holds_value(const Column& column, const std::string& literal) {
  const std::string name = quoted_name(column.name);
  if (literal == "NULL") return name + " IS NULL";
  const std::string value = sql_value(literal);
  if (column.kind != ValueKind::real || is_text_literal(literal)) return name + "=" + value;
  return "ABS(" + name + "-" + value + ")<=1e-06*GREATEST(ABS(" + name + "),ABS(" + value + "))";
}

}  // namespace vl::journal
