// vandril_world_gen: writes a deterministic sample world as SQL to standard
// output, rows for the tables of world/schema.sql (load the schema first).
//
//   vandril_world_gen [--items N] [--npcs N] [--loottables N] [--lootdrops N]
//                     [--custom-drops N] [--seed S] [--schema window|extended]
//
// The same options give the same bytes on every machine.

#include <iostream>

#include "world/world_model.h"

int main(int argc, char** argv) {
  using namespace vl::world;
  try {
    const auto options = parse_options(argc, argv);
    if (!options) {
      std::cout << kUsage;
      return 0;
    }
    std::ios::sync_with_stdio(false);
    write_sql(make_world(*options), *options, std::cout);
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "vandril_world_gen: could not write the output\n";
      return 1;
    }
    return 0;
  } catch (const UsageError& e) {
    std::cerr << "vandril_world_gen: " << e.what() << "\n" << kUsage;
    return 2;
  }
}
