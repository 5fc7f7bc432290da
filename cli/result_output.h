#pragma once
// A command's result on standard output: its counts and ids as one line of
// name=value pairs, or (--format json) as one JSON object, the one document
// on standard output.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cli/options.h"

namespace vl::cli {

struct ResultField {
  std::string name;
  std::variant<long long, std::uint64_t, double, std::nullptr_t> value;  // a double: 2 decimals
};
using ResultFields = std::vector<ResultField>;

// generate's result, the window's way and --atomic alike.
ResultFields generate_fields(std::size_t npcs, std::size_t walked, std::size_t chosen,
                             std::size_t drops, std::size_t entries, double seconds);

// How a command shows its result: the format, and what the JSON object adds
// (the seed, the journal's run).
struct ResultStyle {
  Format format = Format::table;
  ResultFields json_only;
};

std::string result_text(const ResultFields& fields, const ResultStyle& style);

}  // namespace vl::cli
