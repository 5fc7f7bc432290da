// The numeric value of a text, the whole-text conversion, rounding, the 16 and
// 32-bit conversions and number_text. The bytes are the text; the first eight
// also give a double bit for bit, so every double (NaN, infinities, subnormals)
// reaches the conversions, besides the value that the text itself reads as.
//
// The decimal reading is checked against the C library's strtod on the number
// the text begins with, and &H / &O against exact integer arithmetic.

#include <algorithm>
#include <charconv>
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
    const int base = (s[1] | 0x20) == 'h' ? 16 : (s[1] | 0x20) == 'o' ? 8 : 0;
    if (base == 0) return 0.0;
    std::uint64_t value = 0;  // no digit at all leaves it 0
    const auto read = std::from_chars(s.data() + 2, s.data() + s.size(), value, base);
    if (read.ec == std::errc::result_out_of_range || value > (std::uint64_t{1} << 53)) {
      return std::nullopt;
    }
    return static_cast<double>(value);
  }

  // The longest number at the start, rewritten for strtod: D exponents as E,
  // a dangling exponent marker or sign dropped.
  const auto digits_end = [&](std::size_t from) {
    return std::min(s.find_first_not_of("0123456789", from), s.size());
  };
  const std::size_t sign = s.starts_with('+') || s.starts_with('-') ? 1 : 0;
  std::size_t end = digits_end(sign);
  bool any_digit = end > sign;
  if (end < s.size() && s[end] == '.') {
    const std::size_t fraction_end = digits_end(end + 1);
    any_digit = any_digit || fraction_end > end + 1;
    end = fraction_end;
  }
  if (!any_digit) return 0.0;
  std::string number = s.substr(0, end);
  if (end < s.size() && std::string_view("eEdD").find(s[end]) != std::string_view::npos) {
    const std::size_t exponent = end + 1 + (s[end + 1] == '+' || s[end + 1] == '-');
    if (digits_end(exponent) > exponent)
      number += "e" + s.substr(end + 1, digits_end(exponent) - end - 1);
  }
  return std::strtod(number.c_str(), nullptr);
}

void check_rounding(double value) {
  const double even = vl::round_half_even(value);
  const double down = vl::round_down(value);
  if (!std::isfinite(value)) {
    FUZZ_CHECK(same_double(even, value) && same_double(down, value));
  } else {
    FUZZ_CHECK(std::floor(even) == even && std::fabs(even - value) <= 0.5);
    if (std::fabs(even - value) == 0.5) FUZZ_CHECK(std::fmod(even, 2.0) == 0);
    FUZZ_CHECK(std::floor(down) == down && down <= value && (down == value || down + 1 > value));
  }
  const auto int16 = vl::to_int16(value);
  const auto int32 = vl::to_int32(value);
  FUZZ_CHECK(int16.has_value() == (std::isfinite(even) && even >= -32768 && even <= 32767));
  FUZZ_CHECK(int32.has_value() ==
             (std::isfinite(even) && even >= -2147483648.0 && even <= 2147483647.0));
  if (int16) FUZZ_CHECK(*int16 == even);
  if (int32) FUZZ_CHECK(*int32 == even);
}

void check_number_text(double value) {
  const std::string text = vl::number_text(value);
  if (std::isnan(value)) {
    FUZZ_CHECK(text == "nan" || text == "-nan");
  } else if (std::isinf(value)) {
    FUZZ_CHECK(text == (value > 0 ? "inf" : "-inf"));
  } else {
    // Plain decimal: digits, one optional point not at the end, no trailing
    // zeros after it; it reads back as the very same number, both ways.
    const std::size_t point = text.find('.');
    FUZZ_CHECK(!text.empty() && text.find_first_not_of("-0123456789.") == std::string::npos);
    FUZZ_CHECK(point == std::string::npos || (text.back() != '0' && text.back() != '.' &&
                                              text.find('.', point + 1) == std::string::npos));
    FUZZ_CHECK(vl::numeric_value(text) == value && vl::whole_text_number(text) == value);
  }
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
