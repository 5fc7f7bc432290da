#include "app/planning.h"

#include <span>

#include "core/random.h"
#include "db/database.h"
#include "loot/candidates.h"
#include "loot/draws.h"
#include "loot/plan_aims.h"
#include "loot/plan_drop_rates.h"
#include "loot/plan_per_hour.h"
#include "loot/probability_column.h"
#include "loot/run_rules.h"
#include "loot/spawn_world.h"

namespace vl::app {
namespace {

// The distinct item ids a custom list gives the run to draw from.
std::set<std::int32_t> list_items(const loot::FixedInputs& inputs) {
  const auto slots =
      std::span(inputs.slots)
          .subspan(1, static_cast<std::size_t>(loot::custom_list_length(inputs.slots)));
  std::set<std::int32_t> ids;
  for (const auto& group : loot::candidate_pool(slots).groups)
    ids.insert(group.ids.begin(), group.ids.end());
  return ids;
}

}  // namespace

Planned plan_with_seed(loot::FixedInputs& inputs, db::Connection& connection, std::uint64_t seed,
                       const std::optional<loot::RunAim>& aim) {
  Random random;
  random.pin_seed(seed);
  try {
    Planned planned{loot::plan_run(inputs, connection, random), "", std::nullopt};
    loot::Plan& plan = *planned.plan;
    if (aim && aim->per_kill()) {
      planned.world = loot::plan_range_world(plan, connection);
      loot::aim_plan(plan, *aim, *planned.world, loot::planned_items(plan, connection),
                     loot::probability_column(connection));
    } else if (aim) {
      loot::aim_plan_per_hour(plan, *aim, loot::read_plan_spawns(plan, connection),
                              loot::planned_items(plan, connection),
                              loot::probability_column(connection));
    }
    return planned;
  } catch (const loot::RunStopped& stop) {
    return {std::nullopt, stop.message, std::nullopt};
  } catch (const loot::IdsExhausted& error) {
    return {std::nullopt, std::string(error.what()) + loot::kNothingWritten, std::nullopt};
  } catch (const db::Error& error) {
    return {std::nullopt, db::statement_failed_message(error, "(reading the world for the plan)"),
            std::nullopt};
  } catch (const loot::MissingSpawnTable& error) {
    return {std::nullopt,
            "The world database has no " + error.table() +
                " table: items per hour cannot be aimed at without the spawn tables." +
                loot::kNothingWritten,
            std::nullopt};
  } catch (const std::runtime_error& error) {
    return {std::nullopt, std::string(error.what()) + loot::kNothingWritten, std::nullopt};
  } catch (const std::invalid_argument& error) {  // an aim out of range
    return {std::nullopt, std::string(error.what()) + loot::kNothingWritten, std::nullopt};
  }
}

SavedPlan saved_plan_of(const loot::Plan& plan, journal::GenerationSettings settings,
                        const loot::FixedInputs& inputs, const loot::PlanDetails& details) {
  SavedPlan saved{plan, std::move(settings), {}, {}};
  if (inputs.custom_list) saved.list_items = list_items(inputs);
  for (const auto& [item, drops] : loot::missing_items(plan, details))
    saved.missing_items.insert(item);
  return saved;
}

}  // namespace vl::app
