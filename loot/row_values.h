#pragma once
// Numbers from the world's rows as the figures use them, whatever the column's type.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/numeric_text.h"
#include "db/odbc.h"

namespace vl::loot {

using Row = std::vector<db::Value>;

// Whole numbers come as plain digits from integer columns; a fraction (a
// column of another type) goes to the nearest whole number, halves to even;
// NULL, text and numbers beyond 64 bits give 0.
inline std::int64_t whole(const Row& row, std::size_t column) {
  if (const auto number = row[column].as<std::int64_t>()) return *number;
  const double fraction = round_half_even(row[column].as<double>().value_or(0));
  return std::fabs(fraction) < 9.0e18 ? static_cast<std::int64_t>(fraction) : 0;
}

inline int small(const Row& row, std::size_t column) {
  return static_cast<int>(std::clamp<std::int64_t>(whole(row, column), -1'000'000, 1'000'000));
}

}  // namespace vl::loot
