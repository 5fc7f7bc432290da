#include "loot/spawn_rates.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vl::loot {
namespace {

constexpr int kGameHours = 24;

struct Share {
  std::int64_t npc_id = 0;
  double share = 0;  // of the point's spawns, averaged over the in-game day
};

using EntriesOfGroup = std::unordered_map<std::int64_t, std::vector<const SpawnEntry*>>;

// Each in-game hour one roll picks among the entries taking part, by chance;
// an hour in which none takes part adds nothing.
std::vector<Share> shares_of(const std::vector<const SpawnEntry*>& entries,
                             std::int64_t point_filter) {
  std::map<std::int64_t, double> share;
  for (int hour = 1; hour <= kGameHours; ++hour) {
    double sum = 0;
    for (const SpawnEntry* entry : entries) {
      if (entry->condition_filter == point_filter && takes_part_in_hour(*entry, hour))
        sum += entry->chance;
    }
    if (sum <= 0) continue;
    for (const SpawnEntry* entry : entries) {
      if (entry->condition_filter == point_filter && takes_part_in_hour(*entry, hour))
        share[entry->npc_id] += entry->chance / sum / kGameHours;
    }
  }
  std::vector<Share> shares;
  for (const auto& [npc, value] : share) {
    if (value > 0) shares.push_back({npc, value});
  }
  return shares;
}

bool dead(const SpawnPoint& point) { return point.variance_seconds > 2 * point.respawn_seconds; }

}  // namespace

const NpcSpawns& SpawnRates::of(std::int64_t npc_id) const {
  static const NpcSpawns kNone;
  const auto found = npcs.find(npc_id);
  return found == npcs.end() ? kNone : found->second;
}

double kills_per_hour(double respawn_seconds) {
  // The server looks at its points once a second: a spawn comes on the first
  // look after the timer ends, half a second late on average.
  return respawn_seconds < 1 ? 3600 : 3600 / (respawn_seconds + 0.5);
}

bool takes_part_in_hour(const SpawnEntry& entry, int hour) {
  if (entry.chance <= 0) return false;
  const bool window = entry.min_time >= 1 && entry.min_time <= kGameHours && entry.max_time >= 1 &&
                      entry.max_time <= kGameHours;
  if (!window) return true;
  if (entry.min_time <= entry.max_time) return hour >= entry.min_time && hour <= entry.max_time;
  return hour >= entry.min_time || hour <= entry.max_time;
}

SpawnRates spawn_rates(const SpawnTables& tables, const SpawnOptions& options) {
  EntriesOfGroup groups;
  for (const SpawnEntry& entry : tables.entries) {
    // The server drops an entry of an NPC type it cannot find when the zone loads.
    if (entry.npc_exists) groups[entry.group_id].push_back(&entry);
  }
  // Points of one group and filter spawn alike: their shares are worked out once.
  std::map<std::pair<std::int64_t, std::int64_t>, std::vector<Share>> shares;
  SpawnRates rates;
  for (const SpawnPoint& point : tables.points) {
    if (point.disabled || !point.group_exists) {
      ++rates.inactive_points;
      continue;
    }
    const bool conditional = point.condition != 0;
    const std::int64_t filter = conditional ? point.condition_value : 1;
    auto [at, fresh] = shares.try_emplace({point.group_id, filter});
    if (fresh) {
      const auto group = groups.find(point.group_id);
      if (group != groups.end()) at->second = shares_of(group->second, filter);
    }
    if (at->second.empty()) {
      ++rates.inactive_points;
      continue;
    }
    if (dead(point)) {
      rates.dead_points.push_back(point.id);
      continue;
    }
    if (conditional && !options.with_conditional) {
      ++rates.conditional_points;
      for (const Share& share : at->second) ++rates.npcs[share.npc_id].conditional_points;
      continue;
    }
    const double kills = kills_per_hour(point.respawn_seconds) * options.instances;
    for (const Share& share : at->second) {
      NpcSpawns& npc = rates.npcs[share.npc_id];
      ++npc.points;
      npc.per_hour += kills * share.share;
    }
  }
  std::sort(rates.dead_points.begin(), rates.dead_points.end());
  return rates;
}

}  // namespace vl::loot
