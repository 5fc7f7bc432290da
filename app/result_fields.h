#pragma once
// A command's result as named counts (npcs=, drops=, deleted=...), the same
// names and values in every shell; each shell lays them out its own way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vl::app {

struct ResultField {
  std::string name;
  std::variant<long long, std::uint64_t, double, std::nullptr_t> value;  // a double: 2 decimals
};
using ResultFields = std::vector<ResultField>;

// generate's result, the window's way and all or nothing alike.
inline ResultFields generate_fields(std::size_t npcs, std::size_t walked, std::size_t chosen,
                                    std::size_t drops, std::size_t entries, double seconds) {
  const auto count = [](std::size_t n) { return static_cast<long long>(n); };
  return {{"npcs", count(npcs)},   {"walked", count(walked)},   {"chosen", count(chosen)},
          {"drops", count(drops)}, {"entries", count(entries)}, {"seconds", seconds}};
}

}  // namespace vl::app
