#pragma once
// The example rules shown by the help window.

#include <string>

namespace vl::help {

// The help text, built afresh at every load: sixteen lines, each ending in CR LF.
std::string help_text();

}  // namespace vl::help
