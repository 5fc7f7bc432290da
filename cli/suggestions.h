#pragma once
// "Did you mean ...": the known word closest to a mistyped one.

#include <optional>
#include <string>
#include <vector>

namespace vl::cli {

// The word of `known` that `typed` is most likely a slip of: at most two
// letters added, dropped, changed or swapped (one in a word of three), or a word
// that begins with `typed`. nullopt when none is that close.
std::optional<std::string> closest_word(const std::string& typed,
                                        const std::vector<std::string>& known);

}  // namespace vl::cli
