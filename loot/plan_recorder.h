#pragma once
// The plan's way of taking the drops of a walk: kept as values, the lootdrop
// ids planned after the highest one read once, and (when the inputs ask for
// it) the shared loottables the drops are linked into planned as copies.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "db/odbc.h"
#include "loot/plan.h"
#include "loot/walk.h"

namespace vl::loot {

class PlanRecorder : public DropSink {
 public:
  // Fills `plan`; reads the highest ids and the shared loottables over `connection`.
  PlanRecorder(Plan& plan, db::Connection& connection) : plan_(plan), connection_(connection) {}

  // The range, settings, items per drop and drop name as the walk starts.
  void settled(const RunSettings& settings, const GenerateInputs& inputs) override;
  void npcs_read(std::span<const Npc> npcs) override;
  // Reads the highest lootdrop id, even when no NPC is in the range: the
  // review script's guard needs it.
  void walk_begins(std::span<const Npc> npcs) override;
  std::span<std::int32_t> item_room() override { return items_; }
  // Like the window's run, each drop takes the id after the highest one so far.
  void drop(const Npc& npc, const RunSettings& settings,
            std::span<const std::int32_t> items) override;
  void walk_ends() override;

 private:
  Plan& plan_;
  db::Connection& connection_;
  std::array<std::int32_t, kMaxItemsPerDrop> items_{};
  // The range's NPCs as read, before each loottable was left to one of them.
  std::vector<std::int64_t> npc_ids_, loottables_;
};

}  // namespace vl::loot
