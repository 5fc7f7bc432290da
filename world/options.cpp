// The generator's options, parsed by hand: it links nothing but the standard library.

#include <charconv>

#include "world/world_model.h"

namespace vl::world {

const std::string_view kUsage =
    "usage: vandril_world_gen [--items N] [--npcs N] [--loottables N] [--lootdrops N]\n"
    "                         [--custom-drops N] [--seed S] [--schema window|extended]\n"
    "                         [--spawn-points N] [--spawn-layout newer|older]\n";

namespace {

template <typename Number>
Number parse_number(std::string_view option, std::string_view text, Number minimum) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < minimum) {
    throw UsageError(std::string(option) + " needs a whole number of at least " +
                     std::to_string(minimum) + ", not \"" + std::string(text) + "\"");
  }
  return value;
}

}  // namespace

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") return std::nullopt;
    if (i + 1 >= argc) throw UsageError(std::string(option) + " needs a value");
    const std::string_view value = argv[++i];
    if (option == "--items") {
      options.items = parse_number(option, value, minimum_items());
    } else if (option == "--npcs") {
      options.npcs = parse_number(option, value, 1);
    } else if (option == "--loottables") {
      options.loottables = parse_number(option, value, 1);
    } else if (option == "--lootdrops") {
      options.lootdrops = parse_number(option, value, 1);
    } else if (option == "--custom-drops") {
      options.custom_drops = parse_number(option, value, 0);
    } else if (option == "--seed") {
      options.seed = parse_number<std::uint64_t>(option, value, 0);
    } else if (option == "--schema") {
      if (value != "window" && value != "extended") {
        throw UsageError("--schema needs window or extended, not \"" + std::string(value) + "\"");
      }
      options.extended_layout = value == "extended";
    } else if (option == "--spawn-points") {
      options.spawn_points = parse_number(option, value, 0);
    } else if (option == "--spawn-layout") {
      if (value != "newer" && value != "older") {
        throw UsageError("--spawn-layout needs newer or older, not \"" + std::string(value) + "\"");
      }
      options.older_spawn_layout = value == "older";
    } else {
      throw UsageError("unknown option " + std::string(option));
    }
  }
  return options;
}

}  // namespace vl::world
