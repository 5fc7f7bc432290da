#include "app/planning.h"

#include "core/random.h"
#include "db/database.h"
#include "loot/draws.h"
#include "loot/run_rules.h"

namespace vl::app {

Planned plan_with_seed(loot::FixedInputs& inputs, db::Connection& connection, std::uint64_t seed) {
  Random random;
  random.pin_seed(seed);
  try {
    return {loot::plan_run(inputs, connection, random), ""};
  } catch (const loot::RunStopped& stop) {
    return {std::nullopt, stop.message};
  } catch (const loot::LootdropIdsExhausted& error) {
    return {std::nullopt, std::string(error.what()) + loot::kNothingWritten};
  } catch (const db::Error& error) {
    return {std::nullopt, db::statement_failed_message(error, "(reading the world for the plan)")};
  }
}

}  // namespace vl::app
