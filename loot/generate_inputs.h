#pragma once
// What a generate run reads, each value when it uses it. The window reads its
// controls, which other handlers may change while the run lets events
// through; the command line gives fixed values.

#include <array>
#include <cstdint>
#include <string>

#include "loot/run_rules.h"

namespace vl::loot {

// The drop at hand: its items in slots 1..32, and its lootdrop id.
struct DropSlots {
  std::array<std::int32_t, kDropItemSlots>& items;
  std::int32_t& lootdrop_id;
};

class GenerateInputs {
 public:
  virtual ~GenerateInputs() = default;

  // A plan (never the window's run) gives the range its own copy of each
  // chosen loottable that an NPC outside the range uses (loot/shared_copies.h).
  bool isolate_shared = false;

  // The three percentages, read once at the start. Throws RunStopped.
  virtual RunSettings percentages() const = 0;
  // Takes the selected category's item types and name; once, at the start.
  virtual void choose_category() = 0;
  virtual bool custom_list_active() const = 0;
  // The item query as the category and rules are now.
  virtual std::string item_query() const = 0;
  // Read when used: the range for the NPC query at the start, and with the
  // category name and items per drop again for every drop.
  virtual std::string level_low() const = 0;
  virtual std::string level_high() const = 0;
  virtual std::string category_name() const = 0;
  virtual int items_per_drop() const = 0;
  virtual CandidateSlots candidates() = 0;
  // Where the run keeps the items of the drop at hand and the lootdrop id it takes.
  virtual DropSlots drop_slots() = 0;
};

// "lvl_" + low + "-" + high + "_CUSTOM_" + category
std::string custom_lootdrop_name(const GenerateInputs& inputs);

}  // namespace vl::loot
