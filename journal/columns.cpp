#include "journal/columns.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "db/exact_number.h"

namespace vl::journal {
namespace {

constexpr double kRelativeTolerance = 1e-6;

}  // namespace

bool same_value(ValueKind kind, const std::optional<std::string>& world, const Value& value) {
  if (value.is_null() || !world) return value.is_null() && !world;
  if (const std::string* text = value.text()) return *world == *text;
  if (kind == ValueKind::text) return *world == value.plain();
  if (const std::int64_t* written = value.integer()) {
    if (const auto now = exact_number<std::int64_t>(*world)) return *now == *written;
  }
  const auto now = exact_number<double>(*world);
  if (!now) return *world == value.plain();
  const double written = value.integer() ? static_cast<double>(*value.integer()) : *value.real();
  if (kind == ValueKind::integer) return *now == written;
  return std::abs(*now - written) <=
         kRelativeTolerance * std::max(std::abs(*now), std::abs(written));
}

std::optional<std::int64_t> whole_number(const std::string& text) {
  return exact_number<std::int64_t>(text);
}

std::string holds_value(const Column& column, const Value& value) {
  const std::string name = quoted_name(column.name);
  if (value.is_null()) return name + " IS NULL";
  const std::string sql = value.sql();
  if (column.kind != ValueKind::real || value.text()) return name + "=" + sql;
  return "ABS(" + name + "-" + sql + ")<=1e-06*GREATEST(ABS(" + name + "),ABS(" + sql + "))";
}

}  // namespace vl::journal
