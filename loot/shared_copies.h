#pragma once
// Shared loottables given their own copies: a chosen loottable is shared when
// an NPC outside the level range uses it, and a drop linked into it would
// reach that NPC too. For each such loottable the range gets a copy (the
// loottable row and its entries, every column of whatever layout, the name
// marked with the range) and its NPCs are pointed at the copy; the drop is
// then linked into the copy, and the NPCs outside keep the original as it was.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "db/loot_rows.h"
#include "db/odbc.h"
#include "loot/draws.h"
#include "loot/plan.h"

namespace vl::loot {

inline constexpr const char* kHighestLoottableQuery = "SELECT MAX(id) FROM loottable";

// No loottable copy fits after the highest loottable id any more.
class LoottableIdsExhausted : public IdsExhausted {
 public:
  explicit LoottableIdsExhausted(const std::string& highest_id)
      : IdsExhausted("loottable", highest_id, "9223372036854775808") {}
};

// The highest loottable id as MAX(id) gives it: nullopt for an empty table.
// Throws LoottableIdsExhausted for a value that is no 64-bit whole number.
std::optional<std::int64_t> highest_loottable_id(const db::Value& max_id);

// The NPCs outside the plan's range that use each of `loottables` having a
// row of its own, by loottable; those it names are shared. `lock` is appended
// to the reads (" FOR UPDATE" or ""). Throws db::Error.
std::map<std::int64_t, std::size_t> shared_outside(const Plan& plan,
                                                   const std::set<std::int64_t>& loottables,
                                                   db::Connection& connection,
                                                   const char* lock = "");

// Marks the plan's shared loottables for copying, in the order of its drops:
// reads which of them NPCs outside the range use (a loottable without its own
// row has nothing to copy and is left as it is) and the highest loottable id,
// from which the copies' ids are planned. `npc_ids` and `loottables` are the
// range's NPCs as the run read them. Throws db::Error, LoottableIdsExhausted.
void plan_copies(Plan& plan, std::span<const std::int64_t> npc_ids,
                 std::span<const std::int64_t> loottables, db::Connection& connection);

// Gives the copies the ids after `highest` (MAX(id) of loottable, nullopt for
// none) and links their drops into them. Throws LoottableIdsExhausted when the
// copies' ids would pass the largest 64-bit number.
void renumber_copies(Plan& plan, std::optional<std::int64_t> highest);

// The rows the copies are made of, read from the originals with every column
// the layout probe finds: the loottables (the name with " [lvl_LL-HH]" once,
// cut to the column's length) and their entries, in the order of the copies.
// They keep their originals' ids, which for_each_copy_statement replaces with
// the copies' planned ones: rows read once serve the plan also after its
// copies were numbered again. `lock` is appended to the reads (" LOCK IN SHARE
// MODE" or ""). Throws db::Error.
struct CopiedRows {
  struct Row {
    std::int64_t original_id = 0;  // the loottable the row belongs to
    db::CopiedRow values;
  };
  std::vector<Row> loottables, entries;
};
CopiedRows read_copied_rows(db::Connection& connection, const Plan& plan, const char* lock);

// Calls `statement` with each statement that writes the copies and moves the
// range's NPCs to them: multi-row INSERTs of the loottables, then of their
// entries (with the copies' ids), then "UPDATE npc_types SET
// loottable_id=CASE id WHEN ... END WHERE id IN (...) AND loottable_id=CASE id
// WHEN ... END" (each NPC only while it has its original) for a batch of NPCs
// at a time; each at most `max_bytes` (at least one row). The copied values are
// the world's own bytes and go as hexadecimal literals, which the server takes
// byte for byte under every sql_mode and character set (a NUL, a backslash or
// a quote in a name included). The rows come along only `with_rows` (a moved
// NPC with the loottable it had).
void for_each_copy_statement(const Plan& plan, const CopiedRows& rows, std::size_t max_bytes,
                             const db::InsertBatcher::Statement& statement, bool with_rows = false);

// "Shared loottables: 7 copied for the range (23 NPCs moved to the copies; 41
// NPCs outside keep the originals)".
std::string copies_summary(const Plan& plan);

}  // namespace vl::loot
