#pragma once
// A command's result on standard output: its counts and ids as one line of
// name=value pairs, or (--format json) as one JSON object, the one document
// on standard output.

#include <cstdint>
#include <optional>
#include <string>

#include "app/result_fields.h"
#include "cli/options.h"

namespace vl::cli {

using app::generate_fields;
using app::ResultField;
using app::ResultFields;

// How a command shows its result: the format, and what the JSON object adds
// (the seed, the journal's run).
struct ResultStyle {
  Format format = Format::table;
  ResultFields json_only;
};

// A write command's style: JSON adds the seed (when there is one) and the
// journal's run (null without a journal).
ResultStyle write_result_style(Format format, std::optional<std::int64_t> run,
                               std::optional<std::uint64_t> seed);

std::string result_text(const ResultFields& fields, const ResultStyle& style);

}  // namespace vl::cli
