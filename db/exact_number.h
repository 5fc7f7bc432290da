#pragma once
// A whole text read as one number, without the locale: "12" and "-3.5e2" are
// numbers, " 12", "12abc" and "" are not. Used where a value must be exactly a
// number to count as one (a fetched field's text, an older journal's literal).

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace vl {

template <typename Number>
std::optional<Number> exact_number(std::string_view text) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || at != end) return std::nullopt;
  return value;
}

}  // namespace vl
