// vandril_bench: runs one command of the program against the throwaway server
// a few times, each time followed by a replay of exactly its statements through
// a bare ODBC client from the same starting world, and prints one result row.
//
//   vandril_bench --case generation|stats|delete|repair --n N --reps R
//                 --host ADDRESS --log GENERAL_LOG [--user U --password P --db NAME]
//
// Output (tab separated): case n reps wall_ms statements connections replay_ms
// ratio cpu_ms replay_cpu_ms allocations_per_statement event_heap_growth_bytes
// event_heap_peak_bytes heap_in_use_growth_bytes peak_rss_kib same_end_state.
// wall_ms, replay_ms and the CPU times are medians, ratio the median of the
// per-repetition ratios.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_cases.h"
#include "bench/general_log.h"
#include "bench/heap_meter.h"
#include "bench/raw_replay.h"
#include "bench/silent_ui.h"
#include "bench/world_snapshot.h"
#include "db/database.h"

namespace vl::bench {
namespace {

struct Options {
  std::string case_name, host, log;
  std::string user = "vandril", password = "vandril_pw", db = "world";
  long n = 0;
  int reps = 1;
};

Options parse(int argc, char** argv) {
  std::map<std::string, std::string> values;
  for (int i = 1; i + 1 < argc; i += 2) values[argv[i]] = argv[i + 1];
  Options o;
  o.case_name = values["--case"];
  o.host = values["--host"];
  o.log = values["--log"];
  if (values.count("--user")) o.user = values["--user"];
  if (values.count("--password")) o.password = values["--password"];
  if (values.count("--db")) o.db = values["--db"];
  if (values.count("--n")) o.n = std::stol(values["--n"]);
  if (values.count("--reps")) o.reps = std::max(1, std::stoi(values["--reps"]));
  if (o.case_name.empty() || o.host.empty() || o.log.empty()) {
    throw std::invalid_argument(
        "usage: vandril_bench --case NAME --n N --reps R --host ADDRESS --log GENERAL_LOG");
  }
  return o;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t m = values.size() / 2;
  return values.size() % 2 ? values[m] : (values[m - 1] + values[m]) / 2;
}

// CPU time of this process (user and system), in milliseconds.
double cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// C++ heap held at each point where the command lets the window work (a
// counter read, cheap enough to take inside the timing). The first drop of a
// run allocates once; what the second half of the points shows is what grows
// with the statements issued.
struct HeapTrace {
  std::vector<std::int64_t> samples;
  HeapTrace() { samples.reserve(70000); }  // no allocation while sampling
  void sample() {
    if (samples.size() < samples.capacity()) samples.push_back(live_bytes_now());
  }
  std::int64_t second_half_growth() const {
    return samples.empty() ? 0 : samples.back() - samples[samples.size() / 2];
  }
  std::int64_t peak() const {
    return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
  }
};

struct Repetition {
  double wall_ms = 0, replay_ms = 0;
  double cpu_ms = 0, replay_cpu_ms = 0;
  std::size_t statements = 0, connections = 0;
  std::uint64_t allocations = 0;
  HeapTrace heap;
  std::int64_t heap_in_use_growth = 0;  // malloc's figure, before and after the command
  long peak_rss_kib = 0;                // right after the command, before the log is read
  bool same_end_state = false;
};

Repetition run_once(const Options& o, const BenchCase& bench, WorldSnapshot& world,
                    const std::vector<std::string>& preamble, long long own_connection) {
  Repetition r;
  world.restore();
  auto state = std::make_unique<ProgramState>();
  state->db_host = o.host;
  state->db_user = o.user;
  state->db_password = o.password;
  state->db_name = o.db;
  bench.prepare(*state);
  SilentUi ui;
  ui.on_event_point = [&] { r.heap.sample(); };

  const std::uint64_t mark = log_size(o.log);
  const HeapReading before = heap_now();
  const double cpu_before = cpu_ms();
  const auto start = std::chrono::steady_clock::now();
  bench.run(*state, ui);
  const auto end = std::chrono::steady_clock::now();
  r.cpu_ms = cpu_ms() - cpu_before;
  const HeapReading after = heap_now();
  r.allocations = after.allocations - before.allocations;
  r.heap_in_use_growth = after.heap_in_use - before.heap_in_use;
  r.peak_rss_kib = peak_rss_kib();
  r.wall_ms = std::chrono::duration<double, std::milli>(end - start).count();

  if (const std::string problem = bench.check(*state, ui); !problem.empty()) {
    throw std::runtime_error(bench.name + " did not end as it should: " + problem);
  }
  const bool closed_last = !(state->db_connection && state->db_connection->is_open());
  const std::string connection_string = db::connection_string(*state);
  state.reset();  // releases the command's last connection, outside the timing

  const Script script = script_from_log(read_log(o.log, mark), own_connection, preamble);
  r.statements = script.statement_count;
  r.connections = script.sessions.size();
  const std::string after_command = world.checksum();

  world.restore();
  const double replay_cpu_before = cpu_ms();
  r.replay_ms = replay(script, connection_string, closed_last);
  r.replay_cpu_ms = cpu_ms() - replay_cpu_before;
  r.same_end_state = world.checksum() == after_command;
  return r;
}

int run(const Options& o) {
  const BenchCase& bench = bench_case(o.case_name);
  ProgramState settings;
  settings.db_host = o.host;
  settings.db_user = o.user;
  settings.db_password = o.password;
  settings.db_name = o.db;
  const std::string connection_string = db::connection_string(settings);

  db::Connection own(connection_string);
  long long own_id = 0;
  {
    db::Recordset rows;
    rows.open("SELECT CONNECTION_ID()", own);
    own_id = std::stoll(rows.field(std::size_t{0}).text());
  }
  const std::vector<std::string> preamble = driver_preamble(connection_string, o.log);
  WorldSnapshot world(own, bench.written);

  std::vector<Repetition> reps;
  for (int i = 0; i < o.reps; ++i) {
    reps.push_back(run_once(o, bench, world, preamble, own_id));
    const auto& r = reps.back();
    std::cerr << "  " << bench.name << " n=" << o.n << " rep " << i + 1 << ": wall " << r.wall_ms
              << " ms (cpu " << r.cpu_ms << "), replay " << r.replay_ms << " ms (cpu "
              << r.replay_cpu_ms << "), " << r.statements << " statements, " << r.connections
              << " connections\n";
  }
  world.restore();

  std::vector<double> walls, replays, ratios, cpus, replay_cpus;
  for (const auto& r : reps) {
    walls.push_back(r.wall_ms);
    replays.push_back(r.replay_ms);
    cpus.push_back(r.cpu_ms);
    replay_cpus.push_back(r.replay_cpu_ms);
    ratios.push_back(r.wall_ms / r.replay_ms);
  }
  const Repetition& last = reps.back();
  const bool same =
      std::all_of(reps.begin(), reps.end(), [](const auto& r) { return r.same_end_state; });
  const double per_statement =
      last.statements ? static_cast<double>(last.allocations) / static_cast<double>(last.statements)
                      : 0.0;
  std::printf(
      "%s\t%ld\t%d\t%.1f\t%zu\t%zu\t%.1f\t%.3f\t%.1f\t%.1f\t%.1f\t%lld\t%lld\t%lld\t%ld\t%s\n",
      bench.name.c_str(), o.n, o.reps, median(walls), last.statements, last.connections,
      median(replays), median(ratios), median(cpus), median(replay_cpus), per_statement,
      static_cast<long long>(last.heap.second_half_growth()),
      static_cast<long long>(last.heap.peak()), static_cast<long long>(last.heap_in_use_growth),
      reps.front().peak_rss_kib, same ? "yes" : "NO");
  return 0;
}

}  // namespace
}  // namespace vl::bench

int main(int argc, char** argv) {
  try {
    return vl::bench::run(vl::bench::parse(argc, argv));
  } catch (const std::exception& e) {
    std::cerr << "vandril_bench: " << e.what() << "\n";
    return 1;
  }
}
