#include "core/numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vl {
namespace {

TEST(NumericValue, ReadsTheNumberTheTextBeginsWith) {
  EXPECT_EQ(numeric_value("42"), 42);
  EXPECT_EQ(numeric_value("-3"), -3);
  EXPECT_EQ(numeric_value("+4"), 4);
  EXPECT_EQ(numeric_value("2.5"), 2.5);
  EXPECT_EQ(numeric_value(".5"), 0.5);
  EXPECT_EQ(numeric_value("-.25"), -0.25);
  EXPECT_EQ(numeric_value("7."), 7);
  EXPECT_EQ(numeric_value("1.5E2"), 150);
  EXPECT_EQ(numeric_value("2D3"), 2000);
  EXPECT_EQ(numeric_value("2d-1"), 0.2);
  EXPECT_EQ(numeric_value("1e+2"), 100);
  EXPECT_EQ(numeric_value("12abc"), 12);
  EXPECT_EQ(numeric_value("3.7.1"), 3.7);
  EXPECT_EQ(numeric_value("1,000"), 1);
  EXPECT_EQ(numeric_value("1.5E"), 1.5);
  EXPECT_EQ(numeric_value("1.5E+x"), 1.5);
  EXPECT_EQ(numeric_value("0.1"), 0.1);
}

TEST(NumericValue, NoNumberAtTheStartGivesZero) {
  EXPECT_EQ(numeric_value(""), 0);
  EXPECT_EQ(numeric_value("abc12"), 0);
  EXPECT_EQ(numeric_value("Item name"), 0);
  EXPECT_EQ(numeric_value("-"), 0);
  EXPECT_EQ(numeric_value("."), 0);
  EXPECT_EQ(numeric_value("--5"), 0);
  EXPECT_EQ(numeric_value("E5"), 0);
  EXPECT_EQ(numeric_value(",5"), 0);
}

TEST(NumericValue, SkipsSpacesTabsAndLineFeedsAnywhere) {
  EXPECT_EQ(numeric_value("10 01"), 1001);
  EXPECT_EQ(numeric_value("  \t42"), 42);
  EXPECT_EQ(numeric_value("\n1234"), 1234);  // the LF of a CR LF pair
  EXPECT_EQ(numeric_value("- 1 2 . 5"), -12.5);
  EXPECT_EQ(numeric_value("1\t2\n3"), 123);
  EXPECT_EQ(numeric_value("1 e 3"), 1000);
  // A carriage return is not skipped: it ends the number.
  EXPECT_EQ(numeric_value("12\r34"), 12);
  EXPECT_EQ(numeric_value("\r12"), 0);
}

TEST(NumericValue, HexadecimalAndOctalPrefixes) {
  EXPECT_EQ(numeric_value("&H1F"), 31);
  EXPECT_EQ(numeric_value("&hff"), 255);
  EXPECT_EQ(numeric_value("&O17"), 15);
  EXPECT_EQ(numeric_value("&o17"), 15);
  EXPECT_EQ(numeric_value("&H 1F"), 31);
  EXPECT_EQ(numeric_value("&H1G"), 1);
  EXPECT_EQ(numeric_value("&O78"), 7);
  // Never folded into a negative 16- or 32-bit value.
  EXPECT_EQ(numeric_value("&HFFFF"), 65535);
  EXPECT_EQ(numeric_value("&HFFFFFFFF"), 4294967295.0);
  EXPECT_EQ(numeric_value("&H"), 0);
  EXPECT_EQ(numeric_value("&O"), 0);
  EXPECT_EQ(numeric_value("&X12"), 0);
  EXPECT_EQ(numeric_value("&12"), 0);
  EXPECT_EQ(numeric_value("-&H10"), 0);
}

TEST(NumericValue, ValuesBeyondTheDoubleRange) {
  EXPECT_EQ(numeric_value("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(numeric_value("-1e400"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(numeric_value("1e99999999999999999999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(numeric_value("1e-400"), 0);
  EXPECT_EQ(numeric_value("0.000000000000000000000000000001e30"), 1);
  EXPECT_EQ(numeric_value("1e308"), 1e308);
  EXPECT_EQ(numeric_value("00000123"), 123);
}

TEST(WholeTextNumber, AcceptsOnlyAWholeNumber) {
  EXPECT_EQ(whole_text_number("5"), 5);
  EXPECT_EQ(whole_text_number("  7 "), 7);
  EXPECT_EQ(whole_text_number("\t7\r\n"), 7);
  EXPECT_EQ(whole_text_number("-3"), -3);
  EXPECT_EQ(whole_text_number("+4"), 4);
  EXPECT_EQ(whole_text_number("2.5"), 2.5);
  EXPECT_EQ(whole_text_number(".5"), 0.5);
  EXPECT_EQ(whole_text_number("5."), 5);
  EXPECT_EQ(whole_text_number("1e2"), 100);
  EXPECT_EQ(whole_text_number("1E-1"), 0.1);
  EXPECT_EQ(whole_text_number("150"), 150);

  EXPECT_EQ(whole_text_number(""), std::nullopt);
  EXPECT_EQ(whole_text_number("   "), std::nullopt);
  EXPECT_EQ(whole_text_number("a"), std::nullopt);
  EXPECT_EQ(whole_text_number("5a"), std::nullopt);
  EXPECT_EQ(whole_text_number("1,000"), std::nullopt);
  EXPECT_EQ(whole_text_number("1 0"), std::nullopt);
  EXPECT_EQ(whole_text_number("+"), std::nullopt);
  EXPECT_EQ(whole_text_number("."), std::nullopt);
  EXPECT_EQ(whole_text_number("1e"), std::nullopt);
  EXPECT_EQ(whole_text_number("2D3"), std::nullopt);
  EXPECT_EQ(whole_text_number("&H1F"), std::nullopt);
  EXPECT_EQ(whole_text_number("inf"), std::nullopt);
  EXPECT_EQ(whole_text_number("nan"), std::nullopt);
  EXPECT_EQ(whole_text_number("1e400"), std::nullopt);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(round_half_even(2.5), 2);
  EXPECT_EQ(round_half_even(3.5), 4);
  EXPECT_EQ(round_half_even(-2.5), -2);
  EXPECT_EQ(round_half_even(-3.5), -4);
  EXPECT_EQ(round_half_even(0.5), 0);
  EXPECT_EQ(round_half_even(1.5), 2);
  EXPECT_EQ(round_half_even(2.4999), 2);
  EXPECT_EQ(round_half_even(2.5001), 3);
  EXPECT_EQ(round_half_even(-2.6), -3);
  EXPECT_EQ(round_half_even(0.49999999999999994), 0);
  EXPECT_EQ(round_half_even(4503599627370497.0), 4503599627370497.0);
  EXPECT_TRUE(std::isinf(round_half_even(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(round_half_even(std::nan(""))));
}

TEST(Rounding, DownGoesToTheFloor) {
  EXPECT_EQ(round_down(12.7), 12);
  EXPECT_EQ(round_down(-2.5), -3);
  EXPECT_EQ(round_down(-0.1), -1);
  EXPECT_EQ(round_down(7), 7);
}

TEST(IntegerConversion, RoundsThenChecksTheRange) {
  EXPECT_EQ(to_int16(2.5), 2);
  EXPECT_EQ(to_int16(3.5), 4);
  EXPECT_EQ(to_int16(-2.5), -2);
  EXPECT_EQ(to_int16(32767), 32767);
  EXPECT_EQ(to_int16(32767.4), 32767);
  EXPECT_EQ(to_int16(32767.5), std::nullopt);  // rounds to 32768
  EXPECT_EQ(to_int16(32768), std::nullopt);
  EXPECT_EQ(to_int16(-32768), -32768);
  EXPECT_EQ(to_int16(-32768.5), -32768);  // halves to even
  EXPECT_EQ(to_int16(-32769), std::nullopt);
  EXPECT_EQ(to_int16(std::numeric_limits<double>::infinity()), std::nullopt);
  EXPECT_EQ(to_int16(std::nan("")), std::nullopt);
  EXPECT_EQ(to_int16(numeric_value("99999")), std::nullopt);

  EXPECT_EQ(to_int32(2147483647), 2147483647);
  EXPECT_EQ(to_int32(2147483648.0), std::nullopt);
  EXPECT_EQ(to_int32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(to_int32(-2147483649.0), std::nullopt);
  EXPECT_EQ(to_int32(1234.5), 1234);
  EXPECT_EQ(to_int32(-std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(NumberText, PlainDecimalText) {
  EXPECT_EQ(number_text(10), "10");
  EXPECT_EQ(number_text(10152.5), "10152.5");
  EXPECT_EQ(number_text(9726.25), "9726.25");
  EXPECT_EQ(number_text(-3), "-3");
  EXPECT_EQ(number_text(0.1), "0.1");
  EXPECT_EQ(number_text(0), "0");
  EXPECT_EQ(number_text(-0.0), "0");
  EXPECT_EQ(number_text(1235), "1235");
  EXPECT_EQ(number_text(1e20), "100000000000000000000");
  EXPECT_EQ(number_text(1e-7), "0.0000001");
  EXPECT_EQ(number_text(2147483647), "2147483647");
  EXPECT_EQ(number_text(1.0 / 3), "0.3333333333333333");
}

TEST(NumberText, ReadsBackAsTheSameNumber) {
  for (double value :
       {0.1, 1.0 / 3, -123.456, 9007199254740993.0, 5e-324, 1.7976931348623157e308}) {
    const std::string text = number_text(value);
    EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    EXPECT_EQ(numeric_value(text), value) << text;
  }
}

}  // namespace
}  // namespace vl
