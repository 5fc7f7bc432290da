#include "loot/generate.h"

#include "db/database.h"
#include "loot/draws.h"
#include "loot/walk.h"
#include "loot/window_writer.h"

namespace vl::loot {
namespace {

GenerateOutcome stopped(const GenerateCounts& counts, std::string message) {
  return {counts.written() ? Ending::stopped_part_way : Ending::refused,
          counts,
          std::move(message),
          {}};
}

}  // namespace

std::string custom_lootdrop_name(const GenerateInputs& inputs) {
  return "lvl_" + inputs.level_low() + "-" + inputs.level_high() + "_CUSTOM_" +
         inputs.category_name();
}

GenerateOutcome generate(db::Session& session, Random& random, GenerateInputs& inputs,
                         const GenerateEvents& events) {
  Walk walk(inputs, random, events);
  SessionSource source(session, inputs);
  WindowWriter writer(session, inputs, walk.counts);
  try {
    walk.run(source, writer);
  } catch (const RunStopped& stop) {
    return stopped(walk.counts, stop.message);
  } catch (const db::ConnectionFailed&) {
    return {Ending::connection_lost, walk.counts, db::kConnectionFailedMessage,
            std::current_exception()};
  } catch (const db::Error& error) {
    return stopped(walk.counts, db::statement_failed_message(error, session.current_sql));
  } catch (const LootdropIdsExhausted& error) {
    return stopped(walk.counts, std::string(error.what()) +
                                    "\nThe run was stopped; the drops written before stay.");
  } catch (...) {
    GenerateOutcome outcome = stopped(walk.counts, "");
    outcome.thrown = std::current_exception();
    return outcome;
  }
  return {Ending::completed, walk.counts, kCompletedMessage, {}};
}

}  // namespace vl::loot
