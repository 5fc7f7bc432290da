// Times a generate run's plan with an aim the way the shells make it: the plan
// with its drops solved for the aim (app::plan_with_seed, which reads the
// range's loot once), the plan's details, and the drop rates computed over the
// loot already read. With --no-aim, the same plan without one, its rates
// reading the loot themselves: what the aim adds is the difference. With
// --items-for-aim, the aimed plan made from plan_with_seed's own steps, but the
// solver given only the planned items' lookup instead of the plan's whole
// details (which the caller reads again afterwards): what that second reading
// of the NPCs and shared loottables costs. One run
// per process, so that the peak resident size is the run's own. One line of
// tab-separated values:
//   aim connect_ms plan_ms details_ms rates_ms total_ms drops left_alone
//   npcs_rated peak_heap_bytes peak_rss_kib cpu_ms highest_p_any_left_alone
//
//   vandril_aim_bench --host H [--levels LL-HH] [--level-to PCT | --no-aim] [--items-for-aim]
//                     [--seed S]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "app/planning.h"
#include "bench/heap_meter.h"
#include "core/random.h"
#include "db/database.h"
#include "loot/plan_aims.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"
#include "loot/probability_column.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point& from) {
  const Clock::time_point now = Clock::now();
  const double ms = std::chrono::duration<double, std::milli>(now - from).count();
  from = now;
  return ms;
}

// CPU time of this process (user and system): the client's own share of the
// wall time, which other work on a shared machine disturbs far less.
double cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// plan_with_seed's steps for an aim, the solver given the planned items that
// exist, looked up as plan_details looks them up, and nothing else.
vl::app::Planned plan_with_items_only(vl::loot::FixedInputs& inputs, vl::db::Connection& connection,
                                      std::uint64_t seed, const vl::loot::RunAim& aim) {
  vl::Random random;
  random.pin_seed(seed);
  vl::app::Planned planned{vl::loot::plan_run(inputs, connection, random), "", std::nullopt};
  vl::loot::Plan& plan = *planned.plan;
  planned.world = vl::loot::plan_range_world(plan, connection);
  std::set<std::int64_t> ids;
  for (const vl::loot::PlannedDrop& drop : plan.drops)
    ids.insert(drop.item_ids.begin(), drop.item_ids.end());
  std::unordered_map<std::int32_t, std::string> items;
  vl::loot::for_each_row_of(connection, ids, "SELECT id,name FROM items WHERE id IN ", "",
                            [&](vl::db::Recordset& rows) {
                              const auto id = rows.field("id").as<std::int64_t>().value_or(0);
                              items[static_cast<std::int32_t>(id)] = rows.field("name").text();
                            });
  vl::loot::aim_plan(plan, aim, *planned.world, items, vl::loot::probability_column(connection));
  return planned;
}

}  // namespace

int main(int argc, char** argv) {
  std::string host, levels = "01-10";
  std::optional<vl::loot::RunAim> aim = vl::loot::RunAim{vl::loot::RunAim::Kind::every_npc, 30, 1};
  std::uint64_t seed = 1;
  bool items_for_aim = false;
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (!std::strcmp(argv[i], "--host") && has_value)
      host = argv[++i];
    else if (!std::strcmp(argv[i], "--levels") && has_value)
      levels = argv[++i];
    else if (!std::strcmp(argv[i], "--level-to") && has_value)
      aim->percent = std::stod(argv[++i]);
    else if (!std::strcmp(argv[i], "--seed") && has_value)
      seed = std::stoull(argv[++i]);
    else if (!std::strcmp(argv[i], "--no-aim"))
      aim.reset();
    else if (!std::strcmp(argv[i], "--items-for-aim"))
      items_for_aim = true;
  }
  if (host.empty() || levels.size() != 5) {
    std::fprintf(stderr,
                 "usage: vandril_aim_bench --host H [--levels LL-HH] [--level-to PCT | --no-aim]"
                 " [--seed S]\n");
    return 64;
  }
  vl::loot::FixedInputs inputs;
  inputs.low = levels.substr(0, 2);
  inputs.high = levels.substr(3, 2);
  inputs.percent_of_npcs = "101";  // every NPC of the range, one per loottable
  vl::db::Session session;
  session.db_host = host;
  session.db_user = "vandril";
  session.db_password = "vandril_pw";
  session.db_name = "world";

  Clock::time_point mark = Clock::now();
  vl::db::Connection connection(vl::db::connection_string(session));
  const double connect_ms = ms_since(mark);
  vl::app::Planned planned = aim && items_for_aim
                                 ? plan_with_items_only(inputs, connection, seed, *aim)
                                 : vl::app::plan_with_seed(inputs, connection, seed, aim);
  if (!planned.plan) {
    std::fprintf(stderr, "no plan: %s\n", planned.message.c_str());
    return 1;
  }
  const double plan_ms = ms_since(mark);
  const vl::loot::PlanDetails details = vl::loot::plan_details(*planned.plan, connection);
  const double details_ms = ms_since(mark);
  const vl::loot::PlanDropRates rates =
      planned.world
          ? vl::loot::plan_drop_rates(*planned.plan, std::move(*planned.world), details.items)
          : vl::loot::plan_drop_rates(*planned.plan, connection, details.items);
  const double rates_ms = ms_since(mark);
  double highest_left = 0;  // the most an NPC left alone at the aim already had
  for (const vl::loot::LeftAlone& npc : planned.plan->left_alone)
    if (npc.p_any) highest_left = std::max(highest_left, *npc.p_any);
  std::printf("%s\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%zu\t%zu\t%zu\t%lld\t%ld\t%.1f\t%.3f\n",
              !aim            ? "none"
              : items_for_aim ? "items-for-aim"
                              : "level-to",
              connect_ms, plan_ms, details_ms, rates_ms,
              connect_ms + plan_ms + details_ms + rates_ms, planned.plan->drops.size(),
              planned.plan->left_alone.size(), rates.size(),
              static_cast<long long>(vl::bench::peak_live_bytes()), vl::bench::peak_rss_kib(),
              cpu_ms(), highest_left);
  return 0;
}
