#pragma once
// A plan told to people and spreadsheets, the same from both shells: the
// report file (CSV or JSON, one record per drop), the planned items that do
// not exist, and the summary of the drop rates.

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "db/odbc.h"
#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"

namespace vl::app {

enum class ReportFormat { csv, json };
// A report file's format by its extension, any case.
std::optional<ReportFormat> report_format(const std::string& path);

// One record per drop: time (ISO 8601, UTC), seed, the NPC, its loottable,
// the drop, its items, then its NPC's drop rates (fractions from 0 to 1).
// CSV with RFC 4180 quoting and CR LF line ends.
void write_report(std::ostream& out, ReportFormat format, const loot::Plan& plan,
                  const loot::PlanDetails& details, const loot::PlanDropRates& rates,
                  std::uint64_t seed, const std::string& time);

// After a run the window's way planned beside it: the plan's drops given the
// lootdrop ids that run took (its drops above the highest id seen when
// planning), cut to the drops it wrote. Throws db::Error.
void take_written_ids(loot::Plan& plan, db::Connection& connection);

// Now, as the report writes it: "2026-12-06T01:02:03Z".
std::string utc_now();

// One of the drop rates over the chosen NPCs, as fractions from 0 to 1.
struct RateSpread {
  double mean = 0, lowest = 1, highest = 0;
};
RateSpread spread(const loot::Plan& plan, const loot::PlanDropRates& rates,
                  double loot::DropRateChange::*figure);

// "Items that do not exist in items: 0 in 14 drops, 123456 in 2 drops" and a
// line end, or "" when every planned item exists.
std::string missing_items_line(const loot::Plan& plan, const loot::PlanDetails& details);

// The chosen NPCs' chance of anything per kill before and after the run, and
// the new drop's own (mean, lowest, highest), a line each under a heading.
std::string drop_rates_text(const loot::Plan& plan, const loot::PlanDropRates& rates);

// The change of one NPC's drop rates; all zero for an NPC the rates lack.
// The values `drop` is written with and what they give, as the report and the
// dry run's JSON carry them: probability, chance, target (the aim as a
// fraction, null for a drop written with the settings' values), p_any_before,
// p_any_after, p_new_drop.
void add_drop_values(nlohmann::ordered_json& record, const loot::Plan& plan,
                     const loot::PlannedDrop& drop, const loot::PlanDropRates& rates);

const loot::DropRateChange& change_of(const loot::PlanDropRates& rates, std::int64_t npc_id);

// A text cell of a CSV file: quoted when it holds a comma, a quote or a line
// break, and led by ' when it begins like a spreadsheet formula (= + - @, a
// tab or CR).
std::string csv_text(const std::string& text);

// "text" with every quote in it doubled, as CSV quotes a cell.
std::string double_quoted(const std::string& text);

// The JSON text of `value`; bytes that are no UTF-8 become U+FFFD, said once
// on standard error.
std::string json_text(const nlohmann::ordered_json& value);

}  // namespace vl::app
