#include "loot/spawn_roller.h"

#include <algorithm>
#include <cmath>

namespace vl::loot {
namespace {

constexpr double kGameHourSeconds = 180;

double real(std::mt19937_64& random) { return static_cast<double>(random() >> 11) * 0x1.0p-53; }

}  // namespace

SpawnRoller::SpawnRoller(const SpawnPoint& point, const std::vector<SpawnEntry>& entries)
    : point_(point) {
  for (const SpawnEntry& entry : entries) {
    if (entry.npc_exists) entries_.push_back(entry);
  }
}

void SpawnRoller::roll(double seconds, std::mt19937_64& random, std::vector<std::int64_t>& spawned,
                       std::vector<double>& spawned_at) const {
  spawned.clear();
  spawned_at.clear();
  const std::int64_t filter = point_.condition != 0 ? point_.condition_value : 1;
  std::vector<const SpawnEntry*> taking_part;
  for (double now = 0;;) {
    // The timer is uniform on respawn +- variance/2, never below a tenth of a
    // second; the spawn comes at the server's next look, once a second.
    const double timer =
        std::max(0.1, point_.respawn_seconds + (real(random) - 0.5) * point_.variance_seconds);
    now += point_.respawn_seconds < 1 ? 1 : timer + real(random);
    if (now >= seconds) return;
    const int hour = static_cast<int>(std::fmod(now / kGameHourSeconds, 24)) + 1;
    taking_part.clear();
    double sum = 0;
    for (const SpawnEntry& entry : entries_) {
      if (entry.condition_filter != filter || !takes_part_in_hour(entry, hour)) continue;
      taking_part.push_back(&entry);
      sum += entry.chance;
    }
    if (taking_part.empty()) continue;  // nothing spawns: a whole new timer
    double pick = real(random) * sum;
    const SpawnEntry* chosen = taking_part.back();
    for (const SpawnEntry* entry : taking_part) {
      if (pick < entry->chance) {
        chosen = entry;
        break;
      }
      pick -= entry->chance;
    }
    spawned.push_back(chosen->npc_id);
    spawned_at.push_back(now);
  }
}

}  // namespace vl::loot
