#include "loot/aim_solver.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "core/numeric_text.h"
#include "loot/lootdrop_roll.h"

namespace vl::loot {
namespace {

// Rates that differ by less than this are equal: an aim that a whole chance
// reaches exactly on paper must not raise the chance over a rounding error.
constexpr double kRateSlack = 1e-12;
// Steps of the probability per percent each column holds.
constexpr double kWholeSteps = 1;
constexpr double kFractionSteps = 1e6;
constexpr double kMostPercent = 100;

bool can_drop(const CustomDrop& drop) { return drop.items > 0 && drop.loot_multiplier > 0; }

// The chance that one pass of the drop fills its one slot (droplimit 1, mindrop 0).
double slot_fills(const CustomDrop& drop) {
  return 1 - std::pow(1 - chance_of(drop.chance), drop.items);
}

bool reaches(double rate, double aim) { return rate >= aim - kRateSlack; }

// The smallest whole chance with which probability 100 reaches `aim`. The
// closed form gives it up to rounding; the steps after it settle the edge.
double smallest_reaching_chance(const CustomDrop& drop, double aim) {
  const auto reaches_with = [&](double chance) {
    CustomDrop raised = drop;
    raised.chance = chance;
    return reaches(custom_drop_rate(raised, kMostPercent), aim);
  };
  const double passes_and_items = static_cast<double>(drop.items) * drop.loot_multiplier;
  const double exact = kMostPercent * (1 - std::pow(1 - aim, 1 / passes_and_items));
  double chance = std::clamp(std::ceil(exact), 1.0, kMostPercent);
  while (chance < kMostPercent && !reaches_with(chance)) ++chance;
  while (chance > 1 && reaches_with(chance - 1)) --chance;
  return chance;
}

// The probability of the column's steps whose rate comes closest to `aim`
// (the higher of two as close). The rate grows with the probability, so the
// closest is one of the two steps around the exact solution.
double closest_probability(const CustomDrop& drop, double aim, ProbabilityColumn column) {
  const double pass = (1 - std::pow(1 - aim, 1.0 / drop.loot_multiplier)) / slot_fills(drop);
  const double exact = std::min(pass * kMostPercent, kMostPercent);
  const double per_percent =
      column == ProbabilityColumn::whole_numbers ? kWholeSteps : kFractionSteps;
  // Dividing whole steps gives the very double a written "12.209714" reads back as.
  const auto on_column = [&](double steps) {
    return std::clamp(steps / per_percent, 1 / per_percent, kMostPercent);
  };
  const double below = on_column(std::floor(exact * per_percent));
  const double above = on_column(std::floor(exact * per_percent) + 1);
  const double miss_below = std::fabs(custom_drop_rate(drop, below) - aim);
  const double miss_above = std::fabs(custom_drop_rate(drop, above) - aim);
  return miss_below < miss_above ? below : above;
}

// The items an hour the drops bring at `probability`, each at its own chance
// or at `chance` when given.
double hourly_items(const std::vector<HourlyDrop>& drops, double probability,
                    std::optional<double> chance = std::nullopt) {
  double total = 0;
  for (const HourlyDrop& hourly : drops) {
    CustomDrop drop = hourly.drop;
    if (chance) drop.chance = *chance;
    total += hourly.kills_per_hour * custom_drop_items(drop, probability);
  }
  return total;
}

// An aim met up to a rounding error of the sum.
bool reaches_items(double items, double aim) { return items >= aim * (1 - kRateSlack); }

// The smallest whole chance with which probability 100 brings `aim` items an
// hour; the total grows with the chance, so a search by halves finds it.
double smallest_hourly_chance(const std::vector<HourlyDrop>& drops, double aim) {
  double low = 1, high = kMostPercent;
  while (low < high) {
    const double middle = std::floor((low + high) / 2);
    if (reaches_items(hourly_items(drops, kMostPercent, middle), aim))
      high = middle;
    else
      low = middle + 1;
  }
  return low;
}

std::string items_text(double items) { return number_text(std::round(items * 100) / 100); }

void check_aim(double aim) {
  if (!(aim > 0 && aim <= 1))
    throw std::invalid_argument("an aimed chance per kill lies above 0 and at most 1");
}

}  // namespace

double custom_drop_rate(const CustomDrop& drop, double probability) {
  if (!can_drop(drop)) return 0;
  return 1 - std::pow(1 - chance_of(probability) * slot_fills(drop), drop.loot_multiplier);
}

double custom_drop_items(const CustomDrop& drop, double probability) {
  if (!can_drop(drop)) return 0;
  return drop.loot_multiplier * chance_of(probability) * slot_fills(drop);
}

HourlyAim aim_items_per_hour(double items_per_hour, const std::vector<HourlyDrop>& drops,
                             ProbabilityColumn column) {
  if (!(items_per_hour > 0 && std::isfinite(items_per_hour)))
    throw std::invalid_argument("an aim of items per hour lies above 0");
  const double most = hourly_items(drops, kMostPercent, kMostPercent);
  if (most <= 0)
    throw AimOutOfReach(
        "None of the NPCs the run's drops go to ever spawns (no spawn point counted holds "
        "them, or their loottables have no row) or no drop has an item that exists, so no "
        "probability brings items an hour.");
  HourlyAim solved;
  solved.chance = drops.empty() ? 0 : drops.front().drop.chance;
  double at_most = hourly_items(drops, kMostPercent);
  if (!reaches_items(at_most, items_per_hour)) {
    if (!reaches_items(most, items_per_hour))
      throw AimOutOfReach("Even at probability 100 and chance 100 the run's drops bring at most " +
                          items_text(most) + " items an hour, short of the aimed " +
                          number_text(items_per_hour) + ".");
    solved.chance = smallest_hourly_chance(drops, items_per_hour);
    solved.chance_raised = true;
    at_most = hourly_items(drops, kMostPercent, solved.chance);
  }
  // The total is at_most x probability / 100: the closest step is the closest
  // to the exact solution (the higher of two as close).
  const double exact = std::min(kMostPercent * items_per_hour / at_most, kMostPercent);
  const double per_percent =
      column == ProbabilityColumn::whole_numbers ? kWholeSteps : kFractionSteps;
  solved.probability = std::clamp(std::floor(exact * per_percent + 0.5) / per_percent,
                                  1 / per_percent, kMostPercent);
  solved.items_per_hour = at_most * solved.probability / kMostPercent;
  return solved;
}

std::optional<AimedDrop> aim_drop_rate(double aim, const CustomDrop& drop,
                                       ProbabilityColumn column) {
  check_aim(aim);
  if (!can_drop(drop)) return std::nullopt;
  AimedDrop aimed;
  CustomDrop written = drop;
  const double most = custom_drop_rate(drop, kMostPercent);
  if (most <= 0 || !reaches(most, aim)) {
    written.chance = smallest_reaching_chance(drop, aim);
    aimed.chance_raised = true;
  }
  aimed.chance = written.chance;
  aimed.probability = closest_probability(written, aim, column);
  aimed.drop_rate = custom_drop_rate(written, aimed.probability);
  aimed.achieved = aimed.drop_rate;
  return aimed;
}

std::optional<NpcAim> aim_npc_rate(double aim, double p_any_before, const CustomDrop& drop,
                                   ProbabilityColumn column) {
  check_aim(aim);
  if (reaches(p_any_before, aim)) return AlreadyAtAim{p_any_before};
  // Passes of different loottable entries are independent: the NPC gives
  // nothing only when its loot and the new drop both give nothing.
  const double nothing_before = 1 - p_any_before;
  const double drop_aim = std::min(1 - (1 - aim) / nothing_before, 1.0);
  auto aimed = aim_drop_rate(drop_aim, drop, column);
  if (!aimed) return std::nullopt;
  aimed->achieved = 1 - nothing_before * (1 - aimed->drop_rate);
  return *aimed;
}

std::optional<NpcAim> aim_npc_rate(double aim, const LootTables& tables, std::int64_t loottable_id,
                                   int npc_level, const CustomDrop& drop,
                                   ProbabilityColumn column) {
  check_aim(aim);
  if (!tables.loottables.contains(loottable_id)) return std::nullopt;
  const double before = drop_rates(tables, loottable_id, npc_level, drop.loot_multiplier).p_any;
  return aim_npc_rate(aim, before, drop, column);
}

void AimSummary::add(const AimedDrop& drop) {
  lowest = drops ? std::min(lowest, drop.achieved) : drop.achieved;
  highest = drops ? std::max(highest, drop.achieved) : drop.achieved;
  achieved_sum += drop.achieved;
  ++drops;
  if (drop.chance_raised) ++raised_to[static_cast<int>(drop.chance)];
}

void AimSummary::add(const std::optional<NpcAim>& npc) {
  if (!npc) {
    ++cannot_drop;
  } else if (const auto* aimed = std::get_if<AimedDrop>(&*npc)) {
    add(*aimed);
  } else {
    ++already_at_aim;
  }
}

std::size_t AimSummary::raised() const {
  std::size_t count = 0;
  for (const auto& [chance, drops_raised] : raised_to) count += drops_raised;
  return count;
}

}  // namespace vl::loot
