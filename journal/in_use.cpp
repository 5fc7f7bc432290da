#include "journal/in_use.h"

#include <algorithm>

namespace vl::journal {

void CopyUsers::note_moves(const std::vector<Row>& npc_rows) {
  for (const Row& row : npc_rows)
    if (row.kind == RowKind::npc && row.values.size() >= 2)
      moved_[row.values[1].plain()].push_back(row.values[0].plain());
}

std::map<std::string, int> CopyUsers::others(WorldRows& world,
                                             const std::vector<Value>& copies) const {
  std::map<std::string, int> others;
  if (copies.empty()) return others;
  world.select("SELECT loottable_id, id FROM npc_types WHERE loottable_id IN (" +
                   values_listed(copies) + ")",
               [&](const std::vector<db::Value>& npc) {
                 const std::string table = npc.at(0).text(), id = npc.at(1).text();
                 const auto moved = moved_.find(table);
                 if (moved == moved_.end() || std::find(moved->second.begin(), moved->second.end(),
                                                        id) == moved->second.end())
                   ++others[table];
               });
  return others;
}

}  // namespace vl::journal
