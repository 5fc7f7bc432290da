#pragma once
// Values written into statements as literals. The hexadecimal literal and the
// integer mean the same under every sql_mode (NO_BACKSLASH_ESCAPES included)
// and every connection character set; the quoted text is the readable form.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vl::db {

// A text as a single-quoted literal, a quote or backslash in it escaped by a
// backslash (read so under the default sql_mode).
std::string sql_text(std::string_view text);

// The texts as literals, each as sql_text writes it, joined by commas: for IN (...).
std::string sql_texts(const std::vector<std::string>& texts);

// X'..' of the text's bytes, which a text column takes as they are.
std::string hex_literal(std::string_view text);

// An integer as a literal: plain decimal digits, "-" before a negative one.
std::string sql_integer(std::int64_t value);

}  // namespace vl::db
