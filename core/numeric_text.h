#pragma once
// Turning the texts of text boxes, list lines and database fields into numbers,
// and numbers back into the plain decimal text that goes into SQL and captions.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vl {

// The number that a text begins with: spaces, tabs and line feeds anywhere in
// the text are skipped, then an optional sign, digits, an optional "." with
// digits and an optional exponent written with E or D; &H and &O read a
// hexadecimal or octal number. A text that begins with no number gives 0.
double numeric_value(std::string_view text);

// The stricter conversion of the items-per-drop box: the whole text must be a
// number (surrounding blanks allowed). Empty text or trailing junk fails.
std::optional<double> whole_text_number(std::string_view text);

// Rounding to whole numbers.
double round_half_even(double value);  // 2.5 -> 2, 3.5 -> 4, -2.5 -> -2
double round_down(double value);       // 12.7 -> 12, -2.5 -> -3

// Rounded to the nearest (halves to even), then range-checked; nullopt on overflow.
std::optional<std::int16_t> to_int16(double value);
std::optional<std::int32_t> to_int32(double value);

// Plain decimal text: no exponent, no trailing zeros, "." as the separator and
// no separator at all for whole numbers (10, not 10.0; 10152.5; -3).
std::string number_text(double value);

}  // namespace vl
