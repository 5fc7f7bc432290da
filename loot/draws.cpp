#include "loot/draws.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>

#include "core/numeric_text.h"
#include "db/database.h"

namespace vl::loot {
namespace {

// A uniform number in [0, 1) made of two draws, so that small probabilities and
// large index ranges are not limited by the generator's single precision.
double fine_uniform(Random& random) {
  const double coarse = random.next();
  const double fine = random.next();
  return coarse + fine * 0x1p-24;
}

int uniform_index(Random& random, int size) {
  const int index = static_cast<int>(fine_uniform(random) * size);
  return std::min(index, size - 1);
}

CandidatePool group_by_weight(const std::vector<std::int32_t>& ids_in_order,
                              const std::unordered_map<std::int32_t, std::int32_t>& weights) {
  CandidatePool pool;
  std::unordered_map<std::int32_t, std::size_t> group_of_weight;
  for (std::int32_t id : ids_in_order) {
    const std::int32_t weight = weights.at(id);
    auto [it, added] = group_of_weight.try_emplace(weight, pool.groups.size());
    if (added) pool.groups.push_back({weight, {}});
    pool.groups[it->second].ids.push_back(id);
  }
  std::sort(pool.groups.begin(), pool.groups.end(),
            [](const auto& a, const auto& b) { return a.weight < b.weight; });
  pool.distinct_ids = static_cast<int>(ids_in_order.size());
  return pool;
}

template <typename IdSource>
CandidatePool build_pool(int count, IdSource&& id_at, std::optional<double>& unconvertible) {
  std::vector<std::int32_t> ids_in_order;
  std::unordered_map<std::int32_t, std::int32_t> weights;
  ids_in_order.reserve(count);
  weights.reserve(count);
  for (int i = 0; i < count; ++i) {
    std::optional<std::int32_t> id = id_at(i, unconvertible);
    if (!id) continue;
    if (weights[*id]++ == 0) ids_in_order.push_back(*id);
  }
  return group_by_weight(ids_in_order, weights);
}

// C(size, m) * weight^m for m = 0..limit: the weight of taking m ids of a group.
std::vector<double> group_terms(std::size_t size, std::int32_t weight, int limit) {
  std::vector<double> terms(limit + 1, 0.0);
  terms[0] = 1.0;
  for (int m = 1; m <= limit && static_cast<std::size_t>(m) <= size; ++m) {
    terms[m] = terms[m - 1] * static_cast<double>(size - m + 1) / m * weight;
  }
  return terms;
}

}  // namespace

CandidatePool candidate_pool(std::span<const std::optional<double>> slots) {
  std::optional<double> unconvertible;
  CandidatePool pool = build_pool(
      static_cast<int>(slots.size()),
      [&](int i, std::optional<double>& bad) -> std::optional<std::int32_t> {
        const auto& slot = slots[i];
        if (!slot) return 0;
        auto id = to_int32(*slot);
        if (!id && !bad) bad = *slot;
        return id;
      },
      unconvertible);
  pool.unconvertible = unconvertible;
  return pool;
}

CandidatePool candidate_pool(std::span<const std::int32_t> candidates) {
  std::optional<double> unused;
  return build_pool(
      static_cast<int>(candidates.size()),
      [&](int i, std::optional<double>&) -> std::optional<std::int32_t> { return candidates[i]; },
      unused);
}

CandidatePool& CandidatePoolCache::current(const CandidateSlots& slots) {
  const int count = std::clamp<int>(slots.count, 0, static_cast<int>(slots.ids.size()) - 1);
  const auto first = slots.ids.begin() + 1;
  if (!built_ || !std::equal(first, first + count, snapshot_.begin(), snapshot_.end())) {
    pool_ = candidate_pool(std::span(slots.ids).subspan(1, count));
    snapshot_.assign(first, first + count);
    built_ = true;
  }
  return pool_;
}

bool draw_distinct_ids(CandidatePool& pool, int count, Random& random,
                       std::span<std::int32_t> out) {
  if (count <= 0) return true;
  if (count > pool.distinct_ids || static_cast<std::size_t>(count) > out.size()) return false;

  // ways[g][r]: total weight of all r-sets taken from groups g.. (the elementary
  // symmetric polynomial of degree r of their weights). It stays below about
  // 1e109 (32767 slots, 32 picks), well inside a double.
  const std::size_t group_count = pool.groups.size();
  std::vector<std::vector<double>> terms(group_count);
  std::vector<std::vector<double>> ways(group_count + 1, std::vector<double>(count + 1, 0.0));
  ways[group_count][0] = 1.0;
  for (std::size_t g = group_count; g-- > 0;) {
    const auto& group = pool.groups[g];
    terms[g] = group_terms(group.ids.size(), group.weight, count);
    for (int r = 0; r <= count; ++r) {
      double total = 0.0;
      for (int m = 0; m <= r; ++m) total += terms[g][m] * ways[g + 1][r - m];
      ways[g][r] = total;
    }
  }

  // How many ids each group gives, with the chance of its share of the total
  // weight; then which ids of the group, all equally likely.
  std::vector<std::int32_t> picks;
  picks.reserve(count);
  int remaining = count;
  for (std::size_t g = 0; g < group_count && remaining > 0; ++g) {
    const double target = fine_uniform(random) * ways[g][remaining];
    double cumulative = 0.0;
    int taken = -1;
    for (int m = 0; m <= remaining; ++m) {
      const double weight = terms[g][m] * ways[g + 1][remaining - m];
      if (weight <= 0.0) continue;
      taken = m;  // the last possible choice absorbs rounding at the top end
      cumulative += weight;
      if (target < cumulative) break;
    }
    auto& ids = pool.groups[g].ids;
    for (int j = 0; j < taken; ++j) {
      const int chosen = j + uniform_index(random, static_cast<int>(ids.size()) - j);
      std::swap(ids[j], ids[chosen]);
      picks.push_back(ids[j]);
    }
    remaining -= taken;
  }

  // Every order of the chosen set equally likely.
  for (int j = count - 1; j > 0; --j) std::swap(picks[j], picks[uniform_index(random, j + 1)]);
  std::copy(picks.begin(), picks.end(), out.begin());
  return true;
}

IdsExhausted::IdsExhausted(const char* table, const std::string& highest_id, const char* ids_below)
    : std::runtime_error(std::string("The highest ") + table + " id (" + highest_id +
                         ") leaves no room for a new one: " + table + " ids must stay below " +
                         ids_below + "."),
      table_(table),
      highest_id_(highest_id) {}

std::optional<std::int64_t> highest_lootdrop_id(const db::Value& max_id) {
  if (max_id.is_null()) return std::nullopt;
  const auto highest = max_id.as<std::int64_t>();
  if (!highest) throw LootdropIdsExhausted(max_id.text());
  return highest;
}

std::int32_t lootdrop_id_after(std::optional<std::int64_t> highest_id) {
  if (!highest_id) return 1;
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
  if (*highest_id < kLowest - 1 || *highest_id >= kHighest)
    throw LootdropIdsExhausted(std::to_string(*highest_id));
  return static_cast<std::int32_t>(*highest_id + 1);
}

std::int32_t next_lootdrop_id(db::Session& session) {
  session.current_sql = kHighestLootdropQuery;
  db::open_recordset(session);
  // The window takes the numeric value of the maximum's text, + 1: an empty
  // table has no maximum (NULL, whose text is ""), so its first id is 1.
  const std::string highest = session.db_recordset->field(std::size_t{0}).text();
  session.db_recordset->close();
  const auto next = to_int32(numeric_value(highest) + 1);
  if (!next) throw LootdropIdsExhausted(highest);
  return *next;
}

}  // namespace vl::loot
