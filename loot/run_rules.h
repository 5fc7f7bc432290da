#pragma once
// What a generate run checks before and while it writes, and the queries it
// reads its NPCs with: shared by the window's run and the plan of a run, so
// that both refuse the same settings with the same messages and read the same
// rows in the same order.

#include <cstdint>
#include <optional>
#include <string>

#include "db/odbc.h"
#include "loot/draws.h"

namespace vl::loot {

inline constexpr const char* kNothingWritten = "\nNothing was written.";
inline constexpr const char* kStoppedMidRun =
    "\nThe run was stopped before this drop; the drops written before it stay.";

// Ends the run early with a message for the operator.
struct RunStopped {
  std::string message;
};

struct RunSettings {
  std::int16_t percent_of_npcs = 0;
  double chance = 0;       // per lootdrop entry
  double probability = 0;  // per loottable entry
};

// The three percentage boxes, rounded down. Throws RunStopped for a percent of
// NPCs beyond 16 bits, and for a chance or probability beyond single precision
// (the world database's columns hold them as such).
RunSettings read_settings(const std::string& percent_of_npcs, const std::string& chance,
                          const std::string& probability);

// The text the items-per-drop box settles on: above 100 "100"; text that is no
// whole number, or does not fit 16 bits, "5". Its value is the items per drop.
std::string settled_items_per_drop(const std::string& text);

// A level list entry's bounds: its first two and its last two characters.
struct LevelBounds {
  std::string low, high;
};
LevelBounds level_bounds(const std::string& entry);

// Why the candidates cannot fill a drop of `items` items, if they cannot.
std::optional<std::string> draw_problem(const CandidatePool& pool, int items);

// Throws RunStopped when the item query failed, no candidate was found (from
// the custom list or the query), or the pool cannot fill a drop of `items` items.
void check_candidates(bool item_query_failed, int candidate_count, bool custom_list, int items,
                      const CandidatePool& pool);

// "SELECT id,loottable_id FROM npc_types WHERE level>=" + low + " AND level<=" + high
std::string npc_query(const std::string& low, const std::string& high);

// How the window reads a field of its own queries (the item query's ids, the
// NPC query's ids and loottables): as the numeric value of the field's text,
// as its original did, so that a column of any type gives what it gave there
// ("1e3" 1000, "12abc" 12, "abc" 0); nothing for NULL. The program's other
// reads take the field's typed value (db::Value::as).
std::optional<double> window_field_number(const db::Value& value);
// The same rounded to a whole number, halves to the even neighbour ("12.5"
// 12); nothing for NULL and values beyond 64 bits.
std::optional<std::int64_t> window_whole_number(const db::Value& value);

}  // namespace vl::loot
