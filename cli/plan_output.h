#pragma once
// How the command line shows a plan: the preview on standard output, written
// as it goes, and the report file (CSV or JSON, one record per drop).

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include "cli/options.h"
#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"

namespace vl::cli {

// The planned items that do not exist in items, each with the number of drops it is in.
std::map<std::int32_t, std::size_t> missing_items(const loot::Plan& plan,
                                                  const loot::PlanDetails& details);

// One of the drop rates over the chosen NPCs, as fractions from 0 to 1.
struct RateSpread {
  double mean = 0, lowest = 1, highest = 0;
};
RateSpread spread(const loot::Plan& plan, const loot::PlanDropRates& rates,
                  double loot::DropRateChange::*figure);

// What an NPC or an item is called in the plan's details ("" when unknown).
const loot::NpcFacts& facts_of(const loot::PlanDetails& details, std::int64_t npc_id);
std::string item_name(const loot::PlanDetails& details, std::int32_t id);

// The preview: each chosen NPC with its drop and items, the totals, the
// planned items that do not exist in items (in one line), the loottables NPCs
// outside the range share, and a word on planned ids.
void print_plan(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details);

// The preview's section on drop rates: the chosen NPCs' chance of anything per
// kill before and after the run, and the new drop's own (mean, lowest, highest).
void print_drop_rates(std::ostream& out, const loot::Plan& plan, const loot::PlanDropRates& rates);

// One record per drop: time (ISO 8601, UTC), seed, the NPC, its loottable,
// the drop, its items, then its NPC's drop rates (fractions from 0 to 1).
// CSV with RFC 4180 quoting and CR LF line ends.
void write_report(std::ostream& out, ReportFormat format, const loot::Plan& plan,
                  const loot::PlanDetails& details, const loot::PlanDropRates& rates,
                  std::uint64_t seed, const std::string& time);

// Now, as the report writes it: "2026-12-06T01:02:03Z".
std::string utc_now();

}  // namespace vl::cli
