#include "cli/result_output.h"

#include <fmt/core.h>

#include <nlohmann/json.hpp>

namespace vl::cli {
namespace {

std::string shown(const ResultField& field) {
  if (const auto* number = std::get_if<long long>(&field.value)) return std::to_string(*number);
  if (const auto* seed = std::get_if<std::uint64_t>(&field.value)) return std::to_string(*seed);
  if (const auto* real = std::get_if<double>(&field.value)) return fmt::format("{:.2f}", *real);
  return "";
}

}  // namespace

ResultStyle write_result_style(Format format, std::optional<std::int64_t> run,
                               std::optional<std::uint64_t> seed) {
  return {format, app::write_extras(run, seed)};
}

std::string result_text(const ResultFields& fields, const ResultStyle& style) {
  if (style.format != Format::json) {
    std::string line;
    for (const ResultField& field : fields)
      line += (line.empty() ? "" : " ") + field.name + "=" + shown(field);
    return line + "\n";
  }
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  for (const ResultFields* list : {&fields, &style.json_only}) {
    for (const ResultField& field : *list)
      std::visit([&](const auto& value) { object[field.name] = value; }, field.value);
  }
  return object.dump() + "\n";
}

}  // namespace vl::cli
