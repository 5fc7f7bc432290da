// The numeric value of a text, the whole-text conversion, rounding, the 16 and
// 32-bit conversions and number_text. The bytes are the text; the first eight
// also give a double bit for bit, so every double (NaN, infinities, subnormals)
// reaches the conversions, besides the value that the text itself reads as.
//
// The decimal reading is checked against the C library's strtod on the number
// the text begins with, and &H / &O against exact integer arithmetic.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/numeric_text.h"
#include "fuzz_check.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool same_double(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

// The value the text should read as, or nullopt where the model cannot tell
// exactly (a radix number beyond 2^53, where the reader's rounding is its own).
std::optional<double> model_value(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') s += c;
  }
  if (s.size() >= 2 && s[0] == '&') {
    int base = 0;
    if (s[1] == 'H' || s[1] == 'h') base = 16;
    if (s[1] == 'O' || s[1] == 'o') base = 8;
    if (base == 0) return 0.0;
    std::uint64_t value = 0;
    for (std::size_t i = 2; i < s.size(); ++i) {
      const char c = s[i];
      int digit = -1;
      if (is_digit(c)) digit = c - '0';
      if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0 || digit >= base) break;
      value = value * base + digit;
      if (value > (std::uint64_t{1} << 53)) return std::nullopt;
    }
    return static_cast<double>(value);
  }

  // The longest number at the start, rewritten for strtod: D exponents as E,
  // a dangling exponent marker or sign dropped.
  std::string number;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
  bool any_digit = false;
  for (; i < s.size() && is_digit(s[i]); ++i) number += s[i], any_digit = true;
  if (i < s.size() && s[i] == '.') {
    number += s[i++];
    for (; i < s.size() && is_digit(s[i]); ++i) number += s[i], any_digit = true;
  }
  if (!any_digit) return 0.0;
  if (i < s.size() && std::string_view("eEdD").find(s[i]) != std::string_view::npos) {
    std::string exponent = "e";
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
    if (j < s.size() && is_digit(s[j])) {
      for (; j < s.size() && is_digit(s[j]); ++j) exponent += s[j];
      number += exponent;
    }
  }
  return std::strtod(number.c_str(), nullptr);
}

bool is_whole(double value) { return std::floor(value) == value; }

void check_rounding(double value) {
  const double even = vl::round_half_even(value);
  const double down = vl::round_down(value);
  if (!std::isfinite(value)) {
    FUZZ_CHECK(same_double(even, value));
    FUZZ_CHECK(same_double(down, value));
  } else {
    FUZZ_CHECK(is_whole(even));
    FUZZ_CHECK(std::fabs(even - value) <= 0.5);
    if (std::fabs(even - value) == 0.5) FUZZ_CHECK(std::fmod(even, 2.0) == 0);
    FUZZ_CHECK(is_whole(down));
    FUZZ_CHECK(down <= value && (down == value || down + 1 > value));
  }

  const auto int16 = vl::to_int16(value);
  const auto int32 = vl::to_int32(value);
  const bool fits16 = std::isfinite(even) && even >= -32768 && even <= 32767;
  const bool fits32 = std::isfinite(even) && even >= -2147483648.0 && even <= 2147483647.0;
  FUZZ_CHECK(int16.has_value() == fits16);
  FUZZ_CHECK(int32.has_value() == fits32);
  if (int16) FUZZ_CHECK(*int16 == even);
  if (int32) FUZZ_CHECK(*int32 == even);
}

void check_number_text(double value) {
  const std::string text = vl::number_text(value);
  if (!std::isfinite(value)) {
    if (std::isnan(value)) {
      FUZZ_CHECK(text == "nan" || text == "-nan");
    } else {
      FUZZ_CHECK(text == (value > 0 ? "inf" : "-inf"));
    }
    return;
  }
  // Plain decimal: digits, one optional point not at the end, no trailing zeros.
  FUZZ_CHECK(!text.empty());
  FUZZ_CHECK(text.find_first_not_of("-0123456789.") == std::string::npos);
  const std::size_t point = text.find('.');
  if (point != std::string::npos) {
    FUZZ_CHECK(text.back() != '0' && text.back() != '.');
    FUZZ_CHECK(text.find('.', point + 1) == std::string::npos);
  }
  // It reads back as the very same number, through both conversions.
  FUZZ_CHECK(vl::numeric_value(text) == value);
  const auto whole = vl::whole_text_number(text);
  FUZZ_CHECK(whole.has_value() && *whole == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const double value = vl::numeric_value(text);
  FUZZ_CHECK(!std::isnan(value));
  if (const auto model = model_value(text)) FUZZ_CHECK(same_double(value, *model));

  if (const auto whole = vl::whole_text_number(text)) {
    FUZZ_CHECK(std::isfinite(*whole));
    // The surrounding blanks it allows include CR, which numeric_value does
    // not skip: "\r5" is 5 as a whole but begins with no number.
    if (text.find('\r') == std::string_view::npos) FUZZ_CHECK(same_double(*whole, value));
  }

  check_rounding(value);
  check_number_text(value);
  if (size >= sizeof(double)) {
    double bits;
    std::memcpy(&bits, data, sizeof bits);
    check_rounding(bits);
    check_number_text(bits);
  }
  return 0;
}
