#pragma once
// The reverse of the drop-rate closed forms: the operator names a chance per
// kill and this finds the loottable probability (and, where that cannot reach
// it, the chance per item) a custom drop must be written with. Values in,
// values out; the world is read and written elsewhere.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

#include "loot/drop_rates.h"

namespace vl::loot {

// How loottable_entries.probability holds its values: the solved probability
// must be one the column keeps, or the rate written is not the rate solved.
enum class ProbabilityColumn {
  whole_numbers,  // a whole percent, 1 to 100
  fractions,      // FLOAT, DOUBLE, DECIMAL: kept to a millionth of a percent here
};

// What a run aims for in place of one probability for every drop.
struct RunAim {
  enum class Kind {
    new_drop,        // every new drop gives an item on `rate` of kills
    every_npc,       // every NPC of the range gives something on at least `rate` of kills
    items_per_hour,  // the run's new drops together bring `items_per_hour` items an hour
  };
  Kind kind = Kind::new_drop;
  double percent = 0;         // per kill, as the operator gave it: above 0, at most 100
  double items_per_hour = 0;  // of items_per_hour: above 0
  int loot_multiplier = 1;    // G, the server's global loot multiplier
  double rate() const { return percent / 100; }
  bool per_kill() const { return kind != Kind::items_per_hour; }
  bool operator==(const RunAim&) const = default;
};

// A custom drop as a generate run writes it: one loottable entry (multiplier 1,
// droplimit 1, mindrop 0) over a lootdrop of `items` entries at `chance` each
// (multiplier 1, no NPC level bounds). One pass of it fills its one slot with
// chance 1 - (1 - chance/100)^items; the server makes G passes.
struct CustomDrop {
  int items = 0;            // its entries whose items exist
  double chance = 0;        // per entry, percent
  int loot_multiplier = 1;  // G, the server's global loot multiplier
};

// The chance per kill, 0 to 1, that `drop` written with loottable probability
// `probability` (percent) gives at least one item.
double custom_drop_rate(const CustomDrop& drop, double probability);

// The item copies per kill, on average, that `drop` written with loottable
// probability `probability` (percent) gives: one pass fills its one slot at
// most, so G passes of it give G x probability x the slot's chance.
double custom_drop_items(const CustomDrop& drop, double probability);

// A solved drop: the values to write and the rates they give.
struct AimedDrop {
  double probability = 0;      // loottable_entries.probability, percent
  double chance = 0;           // lootdrop_entries.chance of each item, percent
  bool chance_raised = false;  // `chance` is above the drop's own, which could not reach the aim
  double drop_rate = 0;        // the drop's own chance per kill, 0 to 1
  double achieved = 0;  // what the aim measures, 0 to 1: the drop's rate, or the NPC's after it
};

// "The new drop on `aim` of kills" (0 < aim <= 1; std::invalid_argument
// otherwise). The probability whose rate comes closest to the aim among those
// the column holds (1 to 100); where even 100 falls short, the chance is
// raised to the smallest whole percent with which 100 reaches the aim.
// nullopt for a drop that can give nothing (no items, or G below 1).
std::optional<AimedDrop> aim_drop_rate(double aim, const CustomDrop& drop,
                                       ProbabilityColumn column);

// A drop of a run aimed at items per hour, with the kills per hour of the NPCs
// that roll it (those whose loottable it is linked into).
struct HourlyDrop {
  CustomDrop drop;
  double kills_per_hour = 0;
};

// One probability and chance for every drop of a run.
struct HourlyAim {
  double probability = 0;      // loottable_entries.probability, percent
  double chance = 0;           // of each item, percent; the same for every drop
  bool chance_raised = false;  // the drops' own chance could not reach the aim
  double items_per_hour = 0;   // what the drops bring at these values
};

// The aim cannot be met; says why, in the engine's words.
class AimOutOfReach : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "The run's new drops bring `items_per_hour` items an hour" (above 0;
// std::invalid_argument otherwise): the probability, the same for every drop,
// whose total comes closest to the aim among those the column holds (the
// total grows in step with it). Where even 100 falls short, the chance (the
// drops share theirs) is raised to the smallest whole percent with which 100
// reaches the aim. Throws AimOutOfReach when no drop's NPCs ever spawn, or
// when even chance 100 falls short.
HourlyAim aim_items_per_hour(double items_per_hour, const std::vector<HourlyDrop>& drops,
                             ProbabilityColumn column);

// An NPC whose chance of at least one item per kill already is at or above the aim.
struct AlreadyAtAim {
  double p_any = 0;  // 0 to 1
};
using NpcAim = std::variant<AimedDrop, AlreadyAtAim>;

// "Every NPC drops something on `aim` of kills": the drop that lifts an NPC
// whose loot gives at least one item with chance `p_any_before` to
// 1 - (1 - p_any_before)(1 - drop rate) = aim, solved as by aim_drop_rate.
// nullopt for an NPC below the aim that the drop cannot lift.
std::optional<NpcAim> aim_npc_rate(double aim, double p_any_before, const CustomDrop& drop,
                                   ProbabilityColumn column);

// The same for an NPC of `npc_level` whose loottable_id is `loottable_id`, its
// p_any_before from the closed forms over `tables` (with the drop's G). A
// loottable without its own row gives nothing, with the drop or without: nullopt.
std::optional<NpcAim> aim_npc_rate(double aim, const LootTables& tables, std::int64_t loottable_id,
                                   int npc_level, const CustomDrop& drop, ProbabilityColumn column);

// What a run's aims came to, for the plan's summary.
struct AimSummary {
  std::size_t drops = 0;           // solved drops
  double lowest = 0, highest = 0;  // their achieved rates, 0 to 1
  double achieved_sum = 0;
  std::size_t already_at_aim = 0;
  std::size_t cannot_drop = 0;           // NPCs below the aim no drop can lift
  std::map<int, std::size_t> raised_to;  // raised chance (percent) -> drops raised to it

  void add(const AimedDrop& drop);
  void add(const std::optional<NpcAim>& npc);
  double mean() const { return drops ? achieved_sum / static_cast<double>(drops) : 0; }
  std::size_t raised() const;  // drops whose chance was raised
};

}  // namespace vl::loot
