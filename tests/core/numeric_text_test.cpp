#include "core/numeric_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace vl {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(NumericValue, ReadsTheNumberTheTextBeginsWith) {
  // clang-format off
  const std::vector<std::pair<const char*, double>> cases = {
      {"42", 42}, {"-3", -3}, {"+4", 4}, {".5", 0.5}, {"-.25", -0.25}, {"7.", 7},
      {"1.5E2", 150}, {"2D3", 2000}, {"2d-1", 0.2}, {"12abc", 12}, {"3.7.1", 3.7},
      {"1,000", 1}, {"1.5E+x", 1.5}, {"0.1", 0.1}, {"00000123", 123},
      // No number at the start.
      {"", 0}, {"abc12", 0}, {"-", 0}, {".", 0}, {"--5", 0}, {"E5", 0}, {",5", 0},
      // Spaces, tabs and line feeds are skipped anywhere; a carriage return ends the number.
      {"10 01", 1001}, {"  \t42", 42}, {"\n1234", 1234}, {"- 1 2 . 5", -12.5},
      {"1\t2\n3", 123}, {"1 e 3", 1000}, {"12\r34", 12}, {"\r12", 0},
      // Hexadecimal and octal, never folded into a negative 16- or 32-bit value.
      {"&H1F", 31}, {"&hff", 255}, {"&o17", 15}, {"&H 1F", 31}, {"&H1G", 1}, {"&O78", 7},
      {"&HFFFF", 65535}, {"&HFFFFFFFF", 4294967295.0}, {"&H", 0}, {"&X12", 0}, {"-&H10", 0},
      // Beyond the double range.
      {"1e400", kInf}, {"-1e400", -kInf}, {"1e99999999999999999999", kInf}, {"1e-400", 0},
      {"0.000000000000000000000000000001e30", 1}, {"1e308", 1e308}};
  // clang-format on
  for (const auto& [text, value] : cases) EXPECT_EQ(numeric_value(text), value) << text;
}

TEST(WholeTextNumber, AcceptsOnlyAWholeNumber) {
  // clang-format off
  const std::vector<std::pair<const char*, double>> numbers = {
      {"5", 5}, {"  7 ", 7}, {"\t7\r\n", 7}, {"-3", -3}, {"+4", 4}, {".5", 0.5}, {"5.", 5},
      {"1e2", 100}, {"1E-1", 0.1}};
  // clang-format on
  for (const auto& [text, value] : numbers) EXPECT_EQ(whole_text_number(text), value) << text;
  for (const char* text :
       {"", "   ", "a", "5a", "1,000", "1 0", "+", ".", "1e", "2D3", "&H1F", "inf", "nan", "1e400"})
    EXPECT_EQ(whole_text_number(text), std::nullopt) << text;
}

TEST(Rounding, HalvesToEvenDownToTheFloorAndIntoIntegerRanges) {
  // clang-format off
  const std::vector<std::array<double, 3>> cases = {  // value, to even, down
      {2.5, 2, 2}, {3.5, 4, 3}, {-2.5, -2, -3}, {-3.5, -4, -4}, {0.5, 0, 0}, {2.4999, 2, 2},
      {2.5001, 3, 2}, {-2.6, -3, -3}, {12.7, 13, 12}, {-0.1, 0, -1}, {0.49999999999999994, 0, 0},
      {4503599627370497.0, 4503599627370497.0, 4503599627370497.0}};
  // clang-format on
  for (const auto& [value, even, down] : cases) {
    EXPECT_EQ(round_half_even(value), even) << value;
    EXPECT_EQ(round_down(value), down) << value;
  }
  EXPECT_TRUE(std::isinf(round_half_even(kInf)));
  EXPECT_TRUE(std::isnan(round_half_even(std::nan(""))));

  // Conversion to integers rounds, then checks the range.
  const auto none = std::nullopt;
  // clang-format off
  const std::vector<std::pair<double, std::optional<std::int16_t>>> int16_cases = {
      {2.5, 2}, {-2.5, -2}, {32767.4, 32767}, {32767.5, none} /* rounds to 32768 */,
      {-32768.5, -32768}, {-32769, none}, {kInf, none}, {std::nan(""), none}};
  const std::vector<std::pair<double, std::optional<std::int32_t>>> int32_cases = {
      {2147483647, 2147483647}, {2147483648.0, none}, {1234.5, 1234},
      {-2147483648.0, std::numeric_limits<std::int32_t>::min()}, {-2147483649.0, none},
      {-kInf, none}};
  // clang-format on
  for (const auto& [value, result] : int16_cases) EXPECT_EQ(to_int16(value), result) << value;
  for (const auto& [value, result] : int32_cases) EXPECT_EQ(to_int32(value), result) << value;
}

TEST(NumberText, PlainDecimalTextThatReadsBackAsTheSameNumber) {
  // clang-format off
  const std::vector<std::pair<double, const char*>> cases = {
      {10, "10"}, {10152.5, "10152.5"}, {9726.25, "9726.25"}, {-3, "-3"}, {-0.0, "0"},
      {1e20, "100000000000000000000"}, {1e-7, "0.0000001"}, {1.0 / 3, "0.3333333333333333"}};
  // clang-format on
  for (const auto& [value, text] : cases) EXPECT_EQ(number_text(value), text);
  for (double value : {0.1, -123.456, 9007199254740993.0, 5e-324, 1.7976931348623157e308}) {
    const std::string text = number_text(value);
    EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    EXPECT_EQ(numeric_value(text), value) << text;
  }
}

}  // namespace
}  // namespace vl
