#include "core/numeric_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace vl {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_digit_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A decimal number taken apart: digits of the mantissa without the point, the
// power of ten that the last digit stands for, and the sign.
struct DecimalParts {
  bool negative = false;
  std::string digits;
  long long exponent = 0;
};

// Assembles the parts with the locale-independent parser (strtod would follow
// the process locale, which the toolkit sets from the environment).
double decimal_value(const DecimalParts& parts) {
  std::size_t first = parts.digits.find_first_not_of('0');
  if (first == std::string::npos) return parts.negative ? -0.0 : 0.0;
  const std::string_view significant = std::string_view(parts.digits).substr(first);

  // Exponents far outside the double range are settled here, so the text given
  // to the parser stays short and its exponent fits an int.
  const long long magnitude = parts.exponent + static_cast<long long>(significant.size());
  double value;
  if (magnitude > 400) {
    value = std::numeric_limits<double>::infinity();
  } else if (magnitude < -400) {
    value = 0.0;
  } else {
    std::string text(significant);
    text += 'e';
    text += std::to_string(parts.exponent);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
      value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
  }
  return parts.negative ? -value : value;
}

// "&H1F" or "&O17" after the ampersand: the digits of the base read as a
// plain, never negative number. Values beyond 2^53 lose precision as any double
// does; a value beyond the double range is infinite, so range checks reject it.
double radix_value(std::string_view text, int base) {
  double value = 0;
  for (char c : text) {
    const int digit = hex_digit_value(c);
    if (digit < 0 || digit >= base) break;
    value = value * base + digit;
  }
  return value;
}

// Longest accepted exponent digit run; more digits keep the exponent saturated.
constexpr long long kExponentLimit = 1'000'000'000;

}  // namespace

double numeric_value(std::string_view text) {
  std::string squeezed;
  squeezed.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') squeezed += c;
  }
  std::string_view s = squeezed;
  std::size_t i = 0;

  // The prefix must come first: "-&H10" reads no number, and so do "&H" with no
  // digit and "&" with any letter but H or O after it.
  if (s.size() >= 2 && s[0] == '&') {
    const char kind = s[1];
    if (kind == 'H' || kind == 'h') return radix_value(s.substr(2), 16);
    if (kind == 'O' || kind == 'o') return radix_value(s.substr(2), 8);
    return 0;
  }

  DecimalParts parts;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) parts.negative = s[i++] == '-';
  bool any_digit = false;
  for (; i < s.size() && is_digit(s[i]); ++i) {
    parts.digits += s[i];
    any_digit = true;
  }
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && is_digit(s[i]); ++i) {
      parts.digits += s[i];
      --parts.exponent;
      any_digit = true;
    }
  }
  if (!any_digit) return 0;

  // An exponent counts only with at least one digit: "1.5E" reads as 1.5.
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    bool exponent_negative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent_negative = s[j++] == '-';
    if (j < s.size() && is_digit(s[j])) {
      long long exponent = 0;
      for (; j < s.size() && is_digit(s[j]); ++j) {
        exponent = std::min(exponent * 10 + (s[j] - '0'), kExponentLimit);
      }
      parts.exponent += exponent_negative ? -exponent : exponent;
    }
  }
  return decimal_value(parts);
}

// The box's text must be one plain decimal number, as the host's own number
// parsing spells it: blanks (space, tab, CR, LF) around it, a sign ("+4" and
// "-3"), a fraction ("2.5", ".5", "5.") and an exponent with E ("1e2") are
// accepted. Inner blanks, thousands separators ("1,000"), "&H" prefixes, a "D"
// exponent, "inf" and "nan" are refused, as is a number beyond the double
// range. Whatever is accepted here reads as the same value in numeric_value.
std::optional<double> whole_text_number(std::string_view text) {
  const auto is_blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;
  std::string_view s = text.substr(begin, end - begin);

  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  for (; i < s.size() && is_digit(s[i]); ++i) ++digits;
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && is_digit(s[i]); ++i) ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    for (; i < s.size() && is_digit(s[i]); ++i) ++exponent_digits;
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;

  const double value = numeric_value(s);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

double round_half_even(double value) {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

double round_down(double value) { return std::floor(value); }

namespace {

template <typename Int>
std::optional<Int> to_int(double value) {
  const double rounded = round_half_even(value);
  if (!std::isfinite(rounded)) return std::nullopt;
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    return std::nullopt;
  }
  return static_cast<Int>(rounded);
}

}  // namespace

std::optional<std::int16_t> to_int16(double value) { return to_int<std::int16_t>(value); }
std::optional<std::int32_t> to_int32(double value) { return to_int<std::int32_t>(value); }

// The shortest fixed-notation text that reads back as the same double. Zero is
// "0" whatever its sign; infinities and NaN come out as "inf", "-inf", "nan" or
// "-nan" (callers range-check before a number reaches SQL).
std::string number_text(double value) {
  if (value == 0) return "0";
  // The longest fixed text of a double: 309 integer digits for the largest,
  // or "0." with 323 zeros and 17 digits for the smallest; plus the sign.
  std::array<char, 400> buffer;
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
  return std::string(buffer.data(), result.ptr);
}

}  // namespace vl
