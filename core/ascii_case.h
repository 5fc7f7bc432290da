#pragma once
// Case folding for names the program compares (options, keys, columns, file
// extensions): A-Z made lower case, every other byte kept, whatever the locale.

#include <string>
#include <string_view>

namespace vl {

inline std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace vl
