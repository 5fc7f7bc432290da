#pragma once
// The commands the runner measures, each set up the way the window would have
// it after start-up and the operator's choices.

#include <string>
#include <vector>

#include "app/window/program_state.h"
#include "bench/silent_ui.h"

namespace vl::bench {

struct BenchCase {
  std::string name;                     // generation, stats, delete, repair
  std::vector<std::string> written;     // tables the command writes
  void (*prepare)(ProgramState&);       // the window's settings for it
  void (*run)(ProgramState&, UiPort&);  // the button's handler
  // Empty when the command ended as it should, else what went wrong.
  std::string (*check)(const ProgramState&, const SilentUi&);
};

// Throws std::invalid_argument for an unknown name.
const BenchCase& bench_case(const std::string& name);

}  // namespace vl::bench
