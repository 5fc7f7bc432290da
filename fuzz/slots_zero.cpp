#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

// Whether every slot from the given one on holds 0. Built without the address
// sanitizer in the libFuzzer build (see CMakeLists.txt): the check reads every
// slot on every run, and the slots belong to the harness's own state.
bool slots_zero_from(const std::vector<std::optional<double>>& slots, std::size_t from) {
  return std::all_of(slots.begin() + static_cast<std::ptrdiff_t>(from), slots.end(),
                     [](const std::optional<double>& slot) { return slot == 0.0; });
}
