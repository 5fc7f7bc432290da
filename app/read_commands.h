#pragma once
// The commands that only read the world (Stats, Test Query, the world check,
// the drop-rate simulation),
// run as every shell runs them: what they throw or refuse is shown as a message
// box the way the window shows a command's failure, and their result comes back
// as a value for the shell to lay out.

#include <functional>
#include <string>

#include "core/ending.h"
#include "db/session.h"
#include "loot/fixed_inputs.h"
#include "loot/simulation.h"
#include "maintenance/drop_counts.h"
#include "maintenance/world_check.h"

namespace vl::app {

using MessageBox = std::function<void(const std::string&)>;

struct ReadEnd {
  Ending ending = Ending::completed;
  bool failed = false;  // the last message box told why
};

// Runs `command`; what it throws is shown through `message_box` and given back
// as its ending.
ReadEnd guarded(const MessageBox& message_box, const std::function<void()>& command);

// Stats: the custom drops of each category (its stats word) in each level range.
ReadEnd count_drops(db::Session& session, const MessageBox& message_box,
                    maintenance::StatsTable& table);

// Test Query: the items the rules of `inputs`' category let through. Its
// message ("Query Passed: ...") is shown either way and kept in `message`.
ReadEnd test_category_rules(db::Session& session, const loot::FixedInputs& inputs,
                            const MessageBox& message_box, std::string& message);

// The world check; a finding or a layout that differs ends it as refused.
ReadEnd check_world(db::Session& session, const MessageBox& message_box,
                    maintenance::CheckReport& report);

// Simulate: what a kill of the chosen NPCs gives (and `request`'s kills rolled
// with `seed`); why there are no figures is shown.
ReadEnd simulate(db::Session& session, const loot::SimulationRequest& request, std::uint64_t seed,
                 const MessageBox& message_box, loot::SimulationRead& read);

}  // namespace vl::app
