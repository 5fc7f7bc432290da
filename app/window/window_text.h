#pragma once
// The window's message boxes break their lines with CR LF, as they always
// have; the engine breaks its texts with "\n" alone, which the command line
// prints as it is. This is the one place where one becomes the other.

#include <string>
#include <string_view>

namespace vl {

// `text` with every LF that has no CR before it turned into CR LF. A CR LF
// already in the text (the server's own wording) stays one line break.
std::string window_text(std::string_view text);

}  // namespace vl
