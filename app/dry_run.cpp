#include "app/dry_run.h"

#include "app/plan_rates.h"
#include "app/plan_write_text.h"
#include "db/database.h"
#include "loot/shared_copies.h"

namespace vl::app {
namespace {

const char* const kReviewReads = "(looking up names and drop rates for the plan)";

}  // namespace

PlanReview read_plan_review(const loot::Plan& plan, db::Connection& connection,
                            const loot::DropWorld* world) {
  PlanReview review;
  try {
    review.details = loot::plan_details(plan, connection);
    review.details_read = true;
    review.rates = read_plan_rates(plan, connection, world, review.details.items);
  } catch (const db::Error& error) {
    review.failure = db::statement_failed_message(error, kReviewReads);
  }
  return review;
}

ReportRates read_report_rates(const loot::Plan& plan, db::Connection& connection,
                              const loot::DropWorld* world) {
  try {
    return {read_plan_rates(plan, connection, world, loot::plan_details(plan, connection).items),
            std::nullopt};
  } catch (const db::Error& error) {
    return {{}, error.what()};
  }
}

std::optional<std::string> write_review_script(std::ostream& out, const loot::Plan& plan,
                                               db::Connection& connection,
                                               const std::string& planned_by,
                                               const std::string& settings) {
  loot::CopiedRows copies;
  try {
    copies = loot::read_copied_rows(connection, plan, "");
  } catch (const db::Error& error) {
    return db::statement_failed_message(error, "(reading the shared loottables to copy)");
  }
  write_plan_script(out, plan, copies, planned_by, settings);
  return std::nullopt;
}

std::optional<std::string> write_plan_report(std::ostream& out, ReportFormat format,
                                             const loot::Plan& plan, db::Connection& connection,
                                             std::uint64_t seed, const loot::PlanDropRates& rates,
                                             const loot::PlanDetails* details) {
  try {
    const loot::PlanDetails read =
        details ? loot::PlanDetails() : loot::plan_details(plan, connection);
    write_report(out, format, plan, details ? *details : read, rates, seed, utc_now());
  } catch (const db::Error& error) {
    return error.what();
  }
  return std::nullopt;
}

std::optional<std::string> take_ids_for_report(loot::Plan& plan, db::Connection& connection) {
  try {
    take_written_ids(plan, connection);
  } catch (const db::Error& error) {
    return error.what();
  }
  return std::nullopt;
}

}  // namespace vl::app
