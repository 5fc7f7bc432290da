#pragma once
// A command's result as named counts (npcs=, drops=, deleted=...), the same
// names and values in every shell; each shell lays them out its own way.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vl::app {

struct ResultField {
  std::string name;
  using Value = std::variant<long long, std::uint64_t, double, std::nullptr_t>;
  Value value;  // a double: 2 decimals
};
using ResultFields = std::vector<ResultField>;

// generate's result, the window's way and all or nothing alike.
inline ResultFields generate_fields(std::size_t npcs, std::size_t walked, std::size_t chosen,
                                    std::size_t drops, std::size_t entries, double seconds) {
  const auto count = [](std::size_t n) { return static_cast<long long>(n); };
  return {{"npcs", count(npcs)},   {"walked", count(walked)},   {"chosen", count(chosen)},
          {"drops", count(drops)}, {"entries", count(entries)}, {"seconds", seconds}};
}

// What a write command's result adds in JSON: its seed (when there is one)
// and its run in the journal (null without a journal).
inline ResultFields write_extras(std::optional<std::int64_t> run,
                                 std::optional<std::uint64_t> seed) {
  ResultFields extras;
  if (seed) extras.push_back({"seed", *seed});
  extras.push_back({"run", run ? ResultField::Value(static_cast<long long>(*run)) : nullptr});
  return extras;
}

}  // namespace vl::app
