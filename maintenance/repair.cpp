#include "maintenance/repair.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/numeric_text.h"
#include "db/database.h"

namespace vl::maintenance {
namespace {

constexpr const char* kRepairName = "fixed_by_KORVATH";

// Opens sql on a fresh connection and returns the id column of its rows.
std::vector<std::string> first_column_on_new_connection(ProgramState& state,
                                                        const std::string& sql) {
  db::open_database(state);
  state.current_sql = sql;
  db::open_recordset(state);
  db::Recordset& rows = *state.db_recordset;
  std::vector<std::string> values;
  values.reserve(static_cast<std::size_t>(rows.record_count()));
  while (!rows.eof()) {
    values.push_back(rows.field("id").text());
    rows.move_next();
  }
  rows.close();
  return values;
}

// The highest id of the table + 1; an empty table (max NULL) gives 1.
std::int64_t next_id(ProgramState& state, const std::string& table) {
  db::open_database(state);
  state.current_sql = "SELECT max(id) FROM " + table;
  db::open_recordset(state);
  const double highest = numeric_value(state.db_recordset->field(std::size_t{0}).text());
  state.db_recordset->close();
  return static_cast<std::int64_t>(highest) + 1;
}

std::int64_t id_of(const std::string& value, const char* what) {
  const auto id = to_int32(numeric_value(value));
  if (!id)
    throw db::Error("The " + std::string(what) + " id " + value + " is out of range.", "22003", 0);
  return *id;
}

// Pool entry floor(r * P) + 1, counted from 1.
const std::string& pick(const std::vector<std::string>& pool, Random& random) {
  const double r = random.next();
  const auto position = static_cast<std::size_t>(std::floor(r * static_cast<double>(pool.size())));
  return pool[std::min(position, pool.size() - 1)];
}

// Announces the rows' statements, then sends them one by one.
void write(ProgramState& state, std::vector<db::LootRow> rows) {
  auto statements = std::make_shared<std::vector<db::Announced>>();
  for (db::LootRow& row : rows) {
    std::string sql = db::window_statement(row, db::WindowStyle::repair);
    statements->push_back({std::move(sql), {std::move(row)}});
  }
  db::announce_statements(state, statements);
  for (const db::Announced& statement : *statements) {
    state.current_sql = statement.sql;
    db::execute(state);
  }
}

}  // namespace

void Command4_Click(ProgramState& state, UiPort& ui) {
  Form1Model& form = state.form1;
  form.set_lx("WORKING...");
  try {
    std::vector<std::int64_t> npcs;
    for (const std::string& npc :
         first_column_on_new_connection(state, "SELECT id FROM npc_types WHERE loottable_id=0"))
      npcs.push_back(id_of(npc, "NPC"));
    const std::vector<std::string> pool = first_column_on_new_connection(
        state, "SELECT id FROM items WHERE name LIKE 'cloth%' OR name LIKE 'rusty%'");
    if (pool.empty()) {
      form.set_lx(">Ready");
      ui.message_box(kEmptyItemPoolMessage);
      return;
    }

    std::array<std::string, 4> picked;
    for (std::string& item : picked) item = pick(pool, state.random);

    const std::int64_t lootdrop_id = next_id(state, "lootdrop");
    std::vector<db::LootRow> drop{db::LootdropRow{lootdrop_id, kRepairName}};
    for (const std::string& item : picked) {
      drop.emplace_back(db::LootdropEntryRow{
          .lootdrop_id = lootdrop_id, .item_id = id_of(item, "item"), .chance = "1"});
    }
    write(state, std::move(drop));

    const std::string npc_count = std::to_string(npcs.size());
    for (std::size_t i = 0; i < npcs.size(); ++i) {
      form.set_caption(Form1Control::Command4,
                       "WORKING: " + std::to_string(i + 1) + "/" + npc_count);
      ui.repaint();
      const std::int64_t loottable_id = next_id(state, "loottable");
      write(state,
            {db::LoottableRow{.id = loottable_id,
                              .name = kRepairName,
                              .mincash = 100,
                              .maxcash = 1000,
                              .avgcoin = 0},
             db::LoottableEntryRow{
                 .loottable_id = loottable_id, .lootdrop_id = lootdrop_id, .probability = "50"},
             db::NpcLoottableRow{.npc_id = npcs[i], .loottable_id = loottable_id}});
    }
  } catch (const db::Error& error) {
    // The rows written so far stay; the button stays usable so that the
    // operator can run the repair again once the cause is fixed.
    if (state.db_recordset) state.db_recordset->close();
    form.set_caption(Form1Control::Command4, captions::kRepair);
    form.set_enabled(Form1Control::Command4, true);
    form.set_lx(">Ready");
    ui.message_box(db::statement_failed_message(error, state.current_sql));
    return;
  }

  form.set_caption(Form1Control::Command4, "Repaired");
  form.set_enabled(Form1Control::Command4, false);
  form.set_lx(">Ready");
}

}  // namespace vl::maintenance
