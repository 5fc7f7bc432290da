#include "loot/window_writer.h"

#include <limits>

#include "db/database.h"
#include "loot/drop_rows.h"

namespace vl::loot {

void WindowWriter::walk_begins(std::span<const Npc> /*npcs*/) { db::open_database(session_); }

void WindowWriter::drop(const Npc& npc, const RunSettings& settings,
                        std::span<const std::int32_t> items) {
  // The drop is told ahead (a journal writes it meanwhile) with the id it most
  // likely gets, the one after the last; should the lookup give another, the
  // rows take that id and are told again.
  std::int32_t& id = slots_.lootdrop_id;
  const std::int32_t guess = id < std::numeric_limits<std::int32_t>::max() ? id + 1 : id;
  DropRows rows = compose_drop(custom_lootdrop_name(inputs_), items, settings.chance,
                               settings.probability, npc.loottable, guess);
  db::AnnouncedStatements statements = window_statements(rows);
  db::announce_statements(session_, statements);
  db::open_database(session_);
  ++counts_.chosen;
  id = next_lootdrop_id(session_);
  if (id != guess) {
    rows.set_lootdrop_id(id);
    statements = window_statements(rows);
    db::announce_statements(session_, statements);
  }
  for (std::size_t k = 0; k < statements->size(); ++k) {
    session_.current_sql = (*statements)[k].sql;
    db::execute(session_, k);
    int& written = k == 0                       ? counts_.drops
                   : k + 1 < statements->size() ? counts_.entries
                                                : counts_.links;
    ++written;
  }
}

}  // namespace vl::loot
