// Fields read typed from the test server: each value's text as the server
// wrote it, and the number it is, or none where it is NULL or not wholly a
// number of the type asked for.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "db/database.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

using Int = std::optional<std::int64_t>;
using Unsigned = std::optional<std::uint64_t>;
using Small = std::optional<std::int32_t>;
using Real = std::optional<double>;
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::uint64_t kUnsignedMax = std::numeric_limits<std::uint64_t>::max();

struct TypedRow {  // select: one column
  const char *name, *select;
  bool null;
  const char* text;
  Int whole;
  Unsigned whole_unsigned;
  Small small;
  Real real;
};

const TypedRow kTypedRows[] = {
    // clang-format off
    {"BigintMin", "CAST(-9223372036854775808 AS SIGNED)", false, "-9223372036854775808", kMin, {}, {}, -9223372036854775808.0},
    {"BigintMax", "CAST(9223372036854775807 AS SIGNED)", false, "9223372036854775807", kMax, kMax, {}, 9223372036854775807.0},
    {"UnsignedMax", "CAST(18446744073709551615 AS UNSIGNED)", false, "18446744073709551615", {}, kUnsignedMax, {}, 18446744073709551615.0},
    {"Negative", "CAST(-3 AS SIGNED)", false, "-3", -3, {}, -3, -3.0},
    {"AboveInt32", "CAST(2147483648 AS SIGNED)", false, "2147483648", 2147483648, 2147483648u, {}, 2147483648.0},
    {"Double", "CAST(2.5 AS DOUBLE)", false, "2.5", {}, {}, {}, 2.5},
    {"DoubleExponent", "CAST(1e300 AS DOUBLE)", false, "1e300", {}, {}, {}, 1e300},
    {"Decimal", "CAST(12.50 AS DECIMAL(6,2))", false, "12.50", {}, {}, {}, 12.5},
    {"WholeDecimal", "CAST(7.00 AS DECIMAL(6,2))", false, "7.00", {}, {}, {}, 7.0},
    {"Null", "NULL", true, "", {}, {}, {}, {}},
    {"TypedNull", "CAST(NULL AS SIGNED)", true, "", {}, {}, {}, {}},
    {"TextWithDigitsFirst", "'12abc'", false, "12abc", {}, {}, {}, {}},
    {"EmptyText", "''", false, "", {}, {}, {}, {}},
    {"TextWithBlank", "' 12'", false, " 12", {}, {}, {}, {}},
    {"TextNan", "'nan'", false, "nan", {}, {}, {}, {}},
    {"TextDigits", "'42'", false, "42", 42, 42u, 42, 42.0},
    // clang-format on
};

void PrintTo(const TypedRow& row, std::ostream* out) { *out << "SELECT " << row.select; }

class TypedValue : public ::testing::TestWithParam<TypedRow> {};

TEST_P(TypedValue, ReadsTheTextAndTheNumberItIs) {
  const TypedRow& row = GetParam();
  ProgramState session;
  configure(session);
  db::Connection connection(db::connection_string(session));
  db::Recordset rows;
  rows.open(std::string("SELECT ") + row.select, connection);
  const db::Value& value = rows.field(std::size_t{0});
  EXPECT_EQ(std::tuple(value.is_null(), value.text(), value.as<std::int64_t>(),
                       value.as<std::uint64_t>(), value.as<std::int32_t>(), value.as<double>()),
            std::tuple(row.null, std::string(row.text), row.whole, row.whole_unsigned, row.small,
                       row.real));
}

INSTANTIATE_TEST_SUITE_P(Server, TypedValue, ::testing::ValuesIn(kTypedRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
