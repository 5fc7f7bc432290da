#pragma once
// The items of one lootdrop, drawn at random from the candidate list, and the
// id of the next lootdrop row.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/module_slots.h"
#include "core/random.h"
#include "db/session.h"

namespace vl::loot {

// Items a drop can hold: drop_item_ids slots 1..32.
inline constexpr int kMaxItemsPerDrop = kDropItemSlots - 1;

// The distinct item ids of the candidate slots 1..candidate_count, grouped by
// how many slots hold each id. An empty slot is id 0; a value that is not whole
// goes to the nearest whole number, a half to the even neighbour.
struct CandidatePool {
  struct Group {
    std::int32_t weight = 0;        // slots per id
    std::vector<std::int32_t> ids;  // in order of first appearance
  };
  std::vector<Group> groups;  // by ascending weight
  int distinct_ids = 0;
  // The first candidate that has no 32-bit whole value; it is left out of the pool.
  std::optional<double> unconvertible;
};

// The pool of candidate values as slots hold them (nullopt: an empty slot).
CandidatePool candidate_pool(std::span<const std::optional<double>> slots);
CandidatePool candidate_pool(std::span<const std::int32_t> candidates);

// The candidate slots 1.. (slot 0 unused) and how many of them a run uses.
struct CandidateSlots {
  std::vector<std::optional<double>>& ids;
  std::int16_t& count;
};

// The pool of the current candidates, built again only when candidate_count or
// one of its slots changed since the last call (other handlers may edit the
// custom list while a run lets events through).
class CandidatePoolCache {
 public:
  CandidatePool& current(const CandidateSlots& slots);

 private:
  std::vector<std::optional<double>> snapshot_;  // slots 1..candidate_count
  CandidatePool pool_;
  bool built_ = false;
};

// Writes `count` different ids from the pool into out[0..count-1]. The result
// has the distribution of drawing every pick uniformly over the candidate slots
// and redrawing the whole set until no id repeats: the chance of an ordered
// sequence of distinct ids is proportional to the product of their weights.
// The set is chosen first (exactly, group by group), then put in random order,
// so the work is bounded whatever the weights. Draws only from `random`.
// Returns false, touching nothing, when count exceeds the distinct ids or the
// room in `out`; count <= 0 draws nothing and returns true.
bool draw_distinct_ids(CandidatePool& pool, int count, Random& random, std::span<std::int32_t> out);

// No id of a table fits after its highest one any more.
class IdsExhausted : public std::runtime_error {
 public:
  // "The highest <table> id (<highest_id>) leaves no room for a new one:
  // <table> ids must stay below <ids_below>."
  IdsExhausted(const char* table, const std::string& highest_id, const char* ids_below);
  const char* table() const { return table_; }
  const std::string& highest_id() const { return highest_id_; }

 private:
  const char* table_;
  std::string highest_id_;
};

// No lootdrop id fits a signed 32-bit number any more.
class LootdropIdsExhausted : public IdsExhausted {
 public:
  explicit LootdropIdsExhausted(const std::string& highest_id)
      : IdsExhausted("lootdrop", highest_id, "2147483648") {}
};

inline constexpr const char* kHighestLootdropQuery = "SELECT MAX(id) FROM lootdrop";

// The highest lootdrop id as MAX(id) gives it: nullopt for an empty table.
// Throws LootdropIdsExhausted for a value that is no 64-bit whole number.
std::optional<std::int64_t> highest_lootdrop_id(const db::Value& max_id);

// The id after the highest one (1 for an empty table). Throws
// LootdropIdsExhausted when it does not fit a signed 32-bit number.
std::int32_t lootdrop_id_after(std::optional<std::int64_t> highest_id);

// The highest lootdrop id + 1 (1 for an empty table), looked up over the
// session's open connection. Throws db::Error and LootdropIdsExhausted.
std::int32_t next_lootdrop_id(db::Session& session);

}  // namespace vl::loot
