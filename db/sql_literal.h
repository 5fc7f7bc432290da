#pragma once
// Values written into statements as literals that mean the same under every
// sql_mode (NO_BACKSLASH_ESCAPES included) and every connection character set:
// texts as hexadecimal literals of their bytes, integers parsed and written again.

#include <optional>
#include <string>
#include <string_view>

namespace vl::db {

// X'..' of the text's bytes, which a text column takes as they are.
std::string hex_literal(std::string_view text);

// The integer `text` holds, written by the program; nullopt when it holds none.
std::optional<std::string> integer_literal(std::string_view text);

}  // namespace vl::db
