#include "app/window/window_text.h"

namespace vl {

std::string window_text(std::string_view text) {
  std::string shown;
  shown.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) shown += '\r';
    shown += text[i];
  }
  return shown;
}

}  // namespace vl
