#pragma once
// What a plan write says before it writes and leaves for review: the counts
// and drop rates shown before the question, and the SQL script (copies
// included), the same from the Preview and from the command line.

#include <ostream>
#include <string>

#include "db/odbc.h"
#include "loot/drop_world.h"
#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/shared_copies.h"

namespace vl::app {

// The plan's totals: NPCs in the range, keeping a loottable, chosen; drops,
// entries; the planned items that do not exist; the copies and the number of
// shared loottables ("\n" after each line).
std::string plan_totals_text(const loot::Plan& plan, const loot::PlanDetails& details);

// What is shown before a write: the counts (the totals, what the plan's aim
// came to, then the drop rates before and after and the items per hour, read
// from the world over `connection`, over `world` when planning read it) and
// the question. Throws db::Error.
struct BeforeWrite {
  std::string counts, question;
};
BeforeWrite before_write(const loot::Plan& plan, db::Connection& connection,
                         const loot::DropWorld* world = nullptr);

// The plan as a script for the mariadb client, headed by who planned it when,
// its settings (as the journal keeps them) and the highest ids it saw.
void write_plan_script(std::ostream& out, const loot::Plan& plan, const loot::CopiedRows& copies,
                       const std::string& planned_by, const std::string& settings);

}  // namespace vl::app
