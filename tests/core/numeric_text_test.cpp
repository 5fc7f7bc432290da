// What the numeric_text fuzz target's model cannot tell: which texts the
// whole-text conversion refuses, and the exact text a number is written as.
// The value a text reads as, rounding and the integer ranges are checked by
// replaying fuzz/corpus/numeric_text/ through that model.

#include "core/numeric_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vl {
namespace {

TEST(NumberTexts, WholeTextNumberAndNumberText) {
  const auto refused = std::nullopt;
  struct Row {
    const char* text;
    std::optional<double> whole;  // whole_text_number(text)
    const char* shown;            // number_text(numeric_value(text)); nullptr: not checked
  };
  // clang-format off
  const Row rows[] = {
      {"5", 5, "5"}, {"  7 ", 7, "7"}, {"\t7\r\n", 7, nullptr}, {"-3", -3, "-3"}, {"+4", 4, "4"},
      {".5", 0.5, "0.5"}, {"5.", 5, "5"}, {"1e2", 100, "100"}, {"1E-1", 0.1, "0.1"},
      {"10152.5", 10152.5, "10152.5"}, {"9726.25", 9726.25, "9726.25"}, {"-0", -0.0, "0"},
      {"1e20", 1e20, "100000000000000000000"}, {"1e-7", 1e-7, "0.0000001"},
      {"0.3333333333333333", 1.0 / 3, "0.3333333333333333"},
      {"", refused, nullptr}, {"   ", refused, nullptr}, {"a", refused, nullptr},
      {"5a", refused, nullptr}, {"1,000", refused, nullptr}, {"1 0", refused, nullptr},
      {"+", refused, nullptr}, {".", refused, nullptr}, {"1e", refused, nullptr},
      {"2D3", refused, nullptr}, {"&H1F", refused, nullptr}, {"inf", refused, nullptr},
      {"nan", refused, nullptr}, {"1e400", refused, nullptr}};
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE('"' + std::string(row.text) + '"');
    EXPECT_EQ(whole_text_number(row.text), row.whole);
    if (row.shown) {
      EXPECT_EQ(number_text(numeric_value(row.text)), row.shown);
    }
  }
}

}  // namespace
}  // namespace vl
