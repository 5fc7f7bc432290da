#include "maintenance/npc_repair.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "db/database.h"

namespace vl::maintenance {
namespace {

constexpr const char* kRepairName = "fixed_by_KORVATH";

// An id as read (an NPC's, an item's), as a number.
std::int64_t id_of(const db::Value& value, const char* what) {
  const auto id = value.as<std::int32_t>();
  if (!id) {
    throw db::Error("The " + std::string(what) + " id " + value.text() + " is out of range.",
                    "22003", 0);
  }
  return *id;
}

// Pool entry floor(r * P) + 1, counted from 1.
const db::Value& pick(const std::vector<db::Value>& pool, Random& random) {
  const double r = random.next();
  const auto position = static_cast<std::size_t>(std::floor(r * static_cast<double>(pool.size())));
  return pool[std::min(position, pool.size() - 1)];
}

class Repair {
 public:
  Repair(db::Session& session, Random& random, const RepairEvents& events)
      : session_(session), random_(random), events_(events) {}

  RepairOutcome outcome;

  void run() {
    std::vector<std::int64_t> npcs;
    for (const db::Value& npc : first_column_on_new_connection(
             std::string("SELECT id FROM npc_types WHERE ") + kNpcsWithoutLoot))
      npcs.push_back(id_of(npc, "NPC"));
    const std::vector<db::Value> pool =
        first_column_on_new_connection(std::string("SELECT id FROM items WHERE ") + kRepairItems);
    if (pool.empty()) {
      outcome.ending = Ending::refused;
      outcome.no_items = true;
      outcome.message = kEmptyItemPoolMessage;
      return;
    }

    std::array<db::Value, kRepairDropItems> picked;
    for (db::Value& item : picked) item = pick(pool, random_);

    const std::int64_t lootdrop_id = next_id("lootdrop");
    std::vector<db::LootRow> drop{db::LootdropRow{lootdrop_id, kRepairName}};
    for (const db::Value& item : picked) {
      drop.emplace_back(db::LootdropEntryRow{
          .lootdrop_id = lootdrop_id, .item_id = id_of(item, "item"), .chance = "1"});
    }
    write(std::move(drop));

    RepairCounts& counts = outcome.counts;
    counts.npcs = static_cast<int>(npcs.size());
    for (std::size_t i = 0; i < npcs.size(); ++i) {
      counts.step = static_cast<int>(i) + 1;
      if (events_.npc_begins) events_.npc_begins(counts);
      const std::int64_t loottable_id = next_id("loottable");
      write({db::LoottableRow{.id = loottable_id,
                              .name = kRepairName,
                              .mincash = 100,
                              .maxcash = 1000,
                              .avgcoin = 0},
             db::LoottableEntryRow{
                 .loottable_id = loottable_id, .lootdrop_id = lootdrop_id, .probability = "50"},
             db::NpcLoottableRow{.npc_id = npcs[i], .loottable_id = loottable_id}},
            {&counts.tables, nullptr, &counts.repaired});
    }
  }

 private:
  void statement_done() {
    if (events_.statement_done) events_.statement_done(outcome.counts);
  }

  // Opens sql on a fresh connection and returns the id column of its rows.
  std::vector<db::Value> first_column_on_new_connection(const std::string& sql) {
    db::open_database(session_);
    session_.current_sql = sql;
    db::open_recordset(session_);
    db::Recordset& rows = *session_.db_recordset;
    std::vector<db::Value> values;
    values.reserve(static_cast<std::size_t>(rows.record_count()));
    while (!rows.eof()) {
      values.push_back(rows.field("id"));
      rows.move_next();
    }
    rows.close();
    statement_done();
    return values;
  }

  // The highest id of the table + 1; an empty table (max NULL) gives 1.
  std::int64_t next_id(const std::string& table) {
    db::open_database(session_);
    session_.current_sql = "SELECT max(id) FROM " + table;
    db::open_recordset(session_);
    const auto highest = session_.db_recordset->field(std::size_t{0}).as<std::int64_t>();
    session_.db_recordset->close();
    statement_done();
    return highest.value_or(0) + 1;
  }

  // Announces the rows' statements, then sends them one by one; `counts[i]`,
  // when set, counts the i-th.
  void write(std::vector<db::LootRow> rows, const std::vector<int*>& counts = {}) {
    auto statements = std::make_shared<std::vector<db::Announced>>();
    for (db::LootRow& row : rows) {
      std::string sql = db::window_statement(row, db::WindowStyle::repair);
      statements->push_back({std::move(sql), {std::move(row)}});
    }
    db::announce_statements(session_, statements);
    for (std::size_t i = 0; i < statements->size(); ++i)
      execute((*statements)[i].sql, i < counts.size() ? counts[i] : nullptr, i);
  }

  // `announced`: the statement's place among those announced last, if it is one.
  void execute(std::string sql, int* count = nullptr,
               std::optional<std::size_t> announced = std::nullopt) {
    session_.current_sql = std::move(sql);
    db::execute(session_, announced);
    outcome.counts.written = true;
    if (count) ++*count;
    statement_done();
  }

  db::Session& session_;
  Random& random_;
  const RepairEvents& events_;
};

}  // namespace

RepairOutcome repair_npcs(db::Session& session, Random& random, const RepairEvents& events) {
  Repair repair(session, random, events);
  try {
    repair.run();
  } catch (const db::ConnectionFailed&) {
    repair.outcome.ending = Ending::connection_lost;
    repair.outcome.message = db::kConnectionFailedMessage;
    repair.outcome.thrown = std::current_exception();
  } catch (const db::Error& error) {
    // The rows written so far stay.
    if (session.db_recordset) session.db_recordset->close();
    repair.outcome.ending =
        repair.outcome.counts.written ? Ending::stopped_part_way : Ending::refused;
    repair.outcome.message = db::statement_failed_message(error, session.current_sql);
  } catch (...) {
    repair.outcome.ending =
        repair.outcome.counts.written ? Ending::stopped_part_way : Ending::refused;
    repair.outcome.thrown = std::current_exception();
  }
  return repair.outcome;
}

}  // namespace vl::maintenance
