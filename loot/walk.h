#pragma once
// The one walk of a generate run over the NPCs of the range. The window's
// "Execute" and the plan both go through it: they differ only in where its
// queries go (a WalkSource) and in what becomes of the drops it draws (a
// DropSink), so the same seed and settings give the same drops in both.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/random.h"
#include "db/odbc.h"
#include "loot/generate.h"
#include "loot/npc_pass.h"

namespace vl::loot {

// Where a walk's queries go and where it keeps its candidates.
class WalkSource {
 public:
  virtual ~WalkSource() = default;
  // Runs the item query: its rows, or nullptr when the server rejected it.
  virtual db::Recordset* item_rows(const std::string& sql) = 0;
  // Runs the NPC query. Throws db::Error.
  virtual db::Recordset& npc_rows(const std::string& sql) = 0;
  // The candidate slots the walk fills and draws from.
  virtual CandidateSlots candidate_slots() = 0;
  // Whether other handlers may change the candidate slots during the walk (the
  // window's may, while its run lets events through): the walk then checks
  // them at every drop, which costs as much as the rest of a large plan.
  virtual bool candidates_may_change() const = 0;
};

// What becomes of the drops a walk draws: written as the window writes them,
// or recorded as a plan.
class DropSink {
 public:
  virtual ~DropSink() = default;
  // The percentages are read and the category is chosen.
  virtual void settled(const RunSettings& /*settings*/, const GenerateInputs& /*inputs*/) {}
  // The range's NPCs in the order of the NPC query, before each loottable is
  // left to one of them.
  virtual void npcs_read(std::span<const Npc> /*npcs*/) {}
  // The walk over `npcs` (one per loottable) is about to begin.
  virtual void walk_begins(std::span<const Npc> npcs) = 0;
  // Where a chosen NPC's items are drawn to: room for kMaxItemsPerDrop.
  virtual std::span<std::int32_t> item_room() = 0;
  // A chosen NPC, and the items drawn for its drop.
  virtual void drop(const Npc& npc, const RunSettings& settings,
                    std::span<const std::int32_t> items) = 0;
  // Every NPC was walked.
  virtual void walk_ends() {}
};

// The walk: reads the percentages, chooses the category, loads and checks the
// candidates, reads the NPCs of the range, leaves each loottable to its first
// NPC, and rolls for every NPC in turn (those without a loottable included);
// a chosen NPC's items are drawn from the candidates and items per drop as
// they are at that moment. Progress goes to `events` with `counts`.
// Throws RunStopped, db::Error, db::ConnectionFailed, LootdropIdsExhausted.
class Walk {
 public:
  Walk(GenerateInputs& inputs, Random& random, const GenerateEvents& events)
      : inputs_(inputs), random_(random), events_(events) {}

  GenerateCounts counts;

  void run(WalkSource& source, DropSink& sink);

 private:
  void tell(GenerateStage stage) const;
  std::vector<Npc> read_npcs(WalkSource& source);

  GenerateInputs& inputs_;
  Random& random_;
  const GenerateEvents& events_;
};

// The window's source: every query through the session's slots (current_sql,
// db_recordset, a new connection in db_connection for each), the candidates
// in the inputs' own slots.
class SessionSource : public WalkSource {
 public:
  SessionSource(db::Session& session, GenerateInputs& inputs)
      : session_(session), inputs_(inputs) {}

  db::Recordset* item_rows(const std::string& sql) override;
  db::Recordset& npc_rows(const std::string& sql) override;
  CandidateSlots candidate_slots() override { return inputs_.candidates(); }
  bool candidates_may_change() const override { return true; }

 private:
  db::Session& session_;
  GenerateInputs& inputs_;
};

// A plan's source: every query over one connection, the candidates in slots of
// its own (the inputs' custom list copied when it is made), so that planning
// leaves the inputs' slots as they are.
class ConnectionSource : public WalkSource {
 public:
  ConnectionSource(db::Connection& connection, GenerateInputs& inputs);

  db::Recordset* item_rows(const std::string& sql) override;
  db::Recordset& npc_rows(const std::string& sql) override;
  CandidateSlots candidate_slots() override { return {slots_, count_}; }
  bool candidates_may_change() const override { return false; }

 private:
  db::Connection& connection_;
  db::Recordset rows_;
  std::vector<std::optional<double>> slots_;
  std::int16_t count_ = 0;
};

}  // namespace vl::loot
