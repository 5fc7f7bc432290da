#pragma once
// The window's way of writing the drops of a walk: for every chosen NPC a new
// connection, the lootdrop id looked up afresh (the highest + 1), and the
// lootdrop row, its entries and the loottable entry sent one statement at a
// time through the session's current_sql, each told to the journal before.

#include <cstdint>
#include <span>

#include "db/session.h"
#include "loot/generate.h"
#include "loot/walk.h"

namespace vl::loot {

class WindowWriter : public DropSink {
 public:
  // `counts`: where the lootdrop ids looked up and the rows written are counted.
  WindowWriter(db::Session& session, GenerateInputs& inputs, GenerateCounts& counts)
      : session_(session), inputs_(inputs), counts_(counts), slots_(inputs.drop_slots()) {}

  // The walk starts on a new connection.
  void walk_begins(std::span<const Npc> npcs) override;
  // The inputs' drop slots 1.. (slot 0 is never used).
  std::span<std::int32_t> item_room() override { return std::span(slots_.items).subspan(1); }
  // The drop is named after the range and category as they are now.
  void drop(const Npc& npc, const RunSettings& settings,
            std::span<const std::int32_t> items) override;

 private:
  db::Session& session_;
  GenerateInputs& inputs_;
  GenerateCounts& counts_;
  DropSlots slots_;
};

}  // namespace vl::loot
