#pragma once
// What a plan's review reads from the world besides the plan itself (names,
// drop rates, the shared loottables it copies) and the files it is written to,
// as values: each shell words a failure its own way and decides what follows.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "app/plan_report.h"
#include "db/odbc.h"
#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"

namespace vl::app {

// A dry run's reads: the plan's names, then its drop rates from those items.
struct PlanReview {
  loot::PlanDetails details;
  loot::PlanDropRates rates;
  bool details_read = false;  // false: the names failed and the rates were not read
  std::string failure;        // why a read failed, as the statement failure reads; empty: none
};
// With `world` (the range's loot as planning read it), the rates are computed over it.
PlanReview read_plan_review(const loot::Plan& plan, db::Connection& connection,
                            const loot::DropWorld* world = nullptr);

// The plan's drop rates for its report, read before anything is written; none
// when they cannot be read, with `missing` saying why.
struct ReportRates {
  loot::PlanDropRates rates;
  std::optional<std::string> missing;  // nullopt: read
};
ReportRates read_report_rates(const loot::Plan& plan, db::Connection& connection,
                              const loot::DropWorld* world = nullptr);

// The review script of a dry run (its shared loottables' copies included),
// written to `out`. Nothing, or why the copies could not be read (nothing written).
std::optional<std::string> write_review_script(std::ostream& out, const loot::Plan& plan,
                                               db::Connection& connection,
                                               const std::string& planned_by,
                                               const std::string& settings);

// The report of `plan` to `out`. The names come from `details` when the world
// was read for them already, else from `connection`. Nothing, or why the report
// lacks names.
std::optional<std::string> write_plan_report(std::ostream& out, ReportFormat format,
                                             const loot::Plan& plan, db::Connection& connection,
                                             std::uint64_t seed, const loot::PlanDropRates& rates,
                                             const loot::PlanDetails* details = nullptr);

// After a run the window's way: the plan cut to the drops it wrote, with their
// ids (take_written_ids). Nothing, or why the report cannot be written.
std::optional<std::string> take_ids_for_report(loot::Plan& plan, db::Connection& connection);

}  // namespace vl::app
