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
  // clang-format off
  const struct { const char* text; double whole; const char* shown; } accepted[] = {
      {"5", 5, "5"}, {"  7 ", 7, "7"}, {"\t7\r\n", 7, "7"}, {"-3", -3, "-3"}, {"+4", 4, "4"},
      {".5", 0.5, "0.5"}, {"5.", 5, "5"}, {"1e2", 100, "100"}, {"1E-1", 0.1, "0.1"},
      {"10152.5", 10152.5, "10152.5"}, {"9726.25", 9726.25, "9726.25"}, {"-0", -0.0, "0"},
      {"1e20", 1e20, "100000000000000000000"}, {"1e-7", 1e-7, "0.0000001"},
      {"0.3333333333333333", 1.0 / 3, "0.3333333333333333"}};
  // clang-format on
  for (const auto& row : accepted) {
    EXPECT_EQ(std::pair(whole_text_number(row.text), number_text(numeric_value(row.text))),
              std::pair(std::optional(row.whole), std::string(row.shown)))
        << '"' << row.text << '"';
  }
  for (const char* text :
       {"", "   ", "a", "5a", "1,000", "1 0", "+", ".", "1e", "2D3", "&H1F", "inf", "nan", "1e400"})
    EXPECT_EQ(whole_text_number(text), std::nullopt) << '"' << text << '"';
}

}  // namespace
}  // namespace vl
