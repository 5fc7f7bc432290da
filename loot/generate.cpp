#include "loot/generate.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "core/numeric_text.h"
#include "db/database.h"
#include "loot/candidates.h"
#include "loot/draws.h"
#include "loot/drop_rows.h"
#include "loot/npc_pass.h"
#include "loot/npc_step.h"

namespace vl::loot {
namespace {

class Run {
 public:
  Run(db::Session& session, Random& random, GenerateInputs& inputs, const GenerateEvents& events)
      : session_(session),
        random_(random),
        inputs_(inputs),
        events_(events),
        slots_(inputs.drop_slots()) {}

  GenerateCounts counts;

  void walk() {
    const RunSettings settings = inputs_.percentages();
    inputs_.choose_category();
    CandidatePoolCache candidates;
    const bool query_failed =
        load_candidates(session_, random_, inputs_, events_) == CandidateLoad::item_query_failed;
    const CandidateSlots slots = inputs_.candidates();
    check_candidates(query_failed, slots.count, inputs_.custom_list_active(),
                     inputs_.items_per_drop(), candidates.current(slots));
    std::vector<Npc> npcs = read_npcs();
    keep_one_npc_per_loottable(npcs);

    db::open_database(session_);
    counts.npcs = npcs.size();
    tell(GenerateStage::walking);
    for (const Npc& npc : npcs) {
      ++counts.walked;
      tell(GenerateStage::npc);
      int items = 0;
      const bool chosen =
          npc_step(random_, settings.percent_of_npcs, npc.loottable, [&]() -> DropToFill {
            items = inputs_.items_per_drop();
            return {candidates.current(inputs_.candidates()), items,
                    std::span(slots_.items).subspan(1)};
          });
      if (chosen) write_custom_drop(settings, npc.loottable, items);
    }
  }

 private:
  void tell(GenerateStage stage) const {
    if (events_.progress) events_.progress(stage, counts);
  }

  std::vector<Npc> read_npcs() {
    tell(GenerateStage::reading_npcs);
    db::open_database(session_);
    session_.current_sql = npc_query(inputs_.level_low(), inputs_.level_high());
    db::open_recordset(session_);
    db::Recordset& rows = *session_.db_recordset;
    std::vector<Npc> npcs;
    npcs.reserve(static_cast<std::size_t>(std::max(rows.record_count(), 0)));
    for (; !rows.eof(); rows.move_next()) {
      const auto id = whole_value(rows.field("id"));
      const auto loottable = whole_value(rows.field("loottable_id"));
      // An NPC without an id or loottable takes part in nothing but the walk.
      npcs.push_back({id && loottable ? *loottable : 0});
    }
    rows.close();
    return npcs;
  }

  void write_custom_drop(const RunSettings& settings, std::int64_t loottable, int items) {
    // The drop is told ahead (a journal writes it meanwhile) with the id it most
    // likely gets, the one after the last; should the lookup give another, the
    // rows take that id and are told again.
    std::int32_t& id = slots_.lootdrop_id;
    const std::int32_t guess = id < std::numeric_limits<std::int32_t>::max() ? id + 1 : id;
    const auto drawn = std::span<const std::int32_t>(slots_.items)
                           .subspan(1, static_cast<std::size_t>(std::max(items, 0)));
    DropRows rows = compose_drop(custom_lootdrop_name(inputs_), drawn, settings, loottable, guess);
    db::AnnouncedStatements drop = window_statements(rows);
    db::announce_statements(session_, drop);
    db::open_database(session_);
    ++counts.chosen;
    id = next_lootdrop_id(session_);
    if (id != guess) {
      rows.set_lootdrop_id(id);
      drop = window_statements(rows);
      db::announce_statements(session_, drop);
    }
    for (std::size_t k = 0; k < drop->size(); ++k) {
      session_.current_sql = (*drop)[k].sql;
      db::execute(session_, k);
      int& written = k == 0 ? counts.drops : k + 1 < drop->size() ? counts.entries : counts.links;
      ++written;
    }
  }

  db::Session& session_;
  Random& random_;
  GenerateInputs& inputs_;
  const GenerateEvents& events_;
  DropSlots slots_;
};

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
  Run run(session, random, inputs, events);
  try {
    run.walk();
  } catch (const RunStopped& stop) {
    return stopped(run.counts, stop.message);
  } catch (const db::ConnectionFailed&) {
    return {Ending::connection_lost, run.counts, db::kConnectionFailedMessage,
            std::current_exception()};
  } catch (const db::Error& error) {
    return stopped(run.counts, db::statement_failed_message(error, session.current_sql));
  } catch (const LootdropIdsExhausted& error) {
    return stopped(run.counts, std::string(error.what()) +
                                   "\r\nThe run was stopped; the drops written before stay.");
  } catch (...) {
    GenerateOutcome outcome = stopped(run.counts, "");
    outcome.thrown = std::current_exception();
    return outcome;
  }
  return {Ending::completed, run.counts, kCompletedMessage, {}};
}

}  // namespace vl::loot
