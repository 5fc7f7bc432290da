#pragma once
// The loot categories and the level ranges as one JSON document, from the same
// table as the window's lists, so that every shell lists them with the same
// fields (like the journal's runs in app/run_json).

#include <string>

namespace vl::app {

// {"categories": [{caption, drop_name_word, itemtypes}...],
//  "level_ranges": [{range, low, high}...]}, without a line break.
std::string catalog_json();

}  // namespace vl::app
