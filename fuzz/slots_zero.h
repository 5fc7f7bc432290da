#pragma once
// Whether every slot from the given one on holds 0.

#include <cstddef>
#include <optional>
#include <vector>

bool slots_zero_from(const std::vector<std::optional<double>>& slots, std::size_t from);
