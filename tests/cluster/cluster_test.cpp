// The command line on a three-node Galera cluster: writers on two nodes at
// once, a saved plan written while another node writes, a node killed under a
// write, tables the cluster cannot keep, an undo racing another node's writer.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "support/cli_process.h"

namespace vl::test {
namespace {

const std::string kClusterScript = VL_SOURCE_DIR "/scripts/test-cluster";

// Rows of `sql` as root on node N, tab-separated, one a line, no headers.
std::string node_sql(int node, const std::string& sql) {
  const auto [status, out, err] = run_shell(
      "mariadb --no-defaults --socket=" VL_CLUSTER_DIR "/node" + std::to_string(node) +
      "/sock -uroot -N -B " VL_TEST_DB_NAME " -e \"SET SESSION wsrep_sync_wait=1; " + sql + "\"");
  EXPECT_EQ(status, 0) << sql << "\n" << err;
  return out;
}

std::string checksums(int node) {
  return node_sql(node, "CHECKSUM TABLE lootdrop, lootdrop_entries, loottable, loottable_entries");
}

// The loot tables alike on all three nodes: their checksums.
std::string same_on_every_node() {
  const std::string first = checksums(1);
  EXPECT_EQ(checksums(2), first);
  EXPECT_EQ(checksums(3), first);
  return first;
}

int count(int node, const std::string& table) {
  return std::stoi(node_sql(node, "SELECT COUNT(*) FROM " + table));
}

// The one run a journal holds (an attempt a conflict rolled back is forgotten).
std::string only_run(const std::string& journal) {
  EXPECT_EQ(journal_value(journal, "SELECT COUNT(*) FROM runs"), "1");
  return journal_value(journal, "SELECT id FROM runs");
}

// The command line talking to node N, journaled in `journal`.
Args on_node(int node, const std::string& journal, const Args& args) {
  return Args{"--journal", journal, "--port", "3306" + std::to_string(node)} + args;
}
CliResult run_on(int node, const std::string& journal, const Args& args) {
  return CliProcess(on_node(node, journal, args), "", "", "127.0.0.1").wait();
}

Args generate(const std::string& levels, int seed) {
  return {"generate", "--yes",   "--levels", levels,   "--npc-percent",
          "101",      "--items", "3",        "--seed", std::to_string(seed)};
}

class ClusterTest : public testing::Test {
 protected:
  // A small world on node 1, replicated to the others, with the keys the cluster needs.
  static void SetUpTestSuite() {
    const auto [status, out, err] =
        run_shell("bash -o pipefail -c '{ cat " VL_SOURCE_DIR "/world/schema.sql; " VL_WORLD_GEN
                  " --items 800 --npcs 600 --loottables 200 --lootdrops 300 --custom-drops 5 "
                  "--seed 3; cat " VL_SOURCE_DIR "/tests/cluster/primary-keys.sql; } | " +
                  kClusterScript + " sql 1 " VL_CLUSTER_DIR "'");
    ASSERT_EQ(status, 0) << err;
  }
};

TEST_F(ClusterTest, TwoNodesGeneratingAtOnceBothCommitWholeAndEachUndoes) {
  int conflicts_seen = 0;
  for (int pair = 0; pair < 20; ++pair) {
    SCOPED_TRACE("pair " + std::to_string(pair));
    const std::string before = same_on_every_node();
    const int drops_before = count(1, "lootdrop");
    const std::string first = fresh_journal("first"), second = fresh_journal("second");
    CliProcess on_first(on_node(1, first, generate("01-10", pair)), "", "", "127.0.0.1");
    CliProcess on_second(on_node(2, second, generate("11-20", pair)), "", "", "127.0.0.1");
    const CliResult a = on_first.wait(), b = on_second.wait();
    ASSERT_EQ(a.exit_code, 0) << a.err;
    ASSERT_EQ(b.exit_code, 0) << b.err;
    for (const CliResult* run : {&a, &b})
      conflicts_seen += run->err.find("with other writers.") != std::string::npos;
    same_on_every_node();
    const int drops_both = count(3, "lootdrop");
    ASSERT_GT(drops_both, drops_before);

    // Each journal names the ids its own committed attempt wrote: undoing one
    // leaves the other's drops, undoing both leaves the world as it was.
    const CliResult undone = run_on(2, first, {"undo", only_run(first), "--yes"});
    ASSERT_EQ(undone.exit_code, 0) << undone.err;
    const int drops_second = count(1, "lootdrop");
    EXPECT_GT(drops_second, drops_before);
    EXPECT_LT(drops_second, drops_both);
    ASSERT_EQ(run_on(1, second, {"undo", only_run(second), "--yes"}).exit_code, 0);
    EXPECT_EQ(same_on_every_node(), before);
  }
  // Writers started together on two nodes take the same ids: some must have retried.
  EXPECT_GT(conflicts_seen, 0);
}

TEST_F(ClusterTest, SavedPlanWrittenAfterAnotherNodeWroteIsRefused) {
  const std::string journal = fresh_journal("apply"), plan = VL_CLUSTER_DIR "/plan.json";
  ASSERT_EQ(run_on(1, journal, generate("01-10", 5) + Args{"--dry-run", "--plan", plan}).exit_code,
            0);
  ASSERT_EQ(run_on(2, fresh_journal("other"), generate("11-20", 6)).exit_code, 0);
  const std::string before = same_on_every_node();
  const CliResult applied = run_on(1, journal, {"apply", plan, "--yes"});
  EXPECT_EQ(applied.exit_code, 1) << applied.err;
  EXPECT_NE(
      applied.err.find("nothing was written (make a new plan):\n  the highest lootdrop id is "),
      std::string::npos)
      << applied.err;
  EXPECT_EQ(same_on_every_node(), before);
}

struct UnreplicatedTable {
  const char* name;
  const char* change;
  const char* restore;
  const char* refusal;
};
const UnreplicatedTable kUnreplicated[] = {
    {"MyISAM", "ALTER TABLE lootdrop ENGINE=MyISAM", "ALTER TABLE lootdrop ENGINE=InnoDB",
     "Table lootdrop uses the MyISAM engine, which the cluster does not replicate: only InnoDB "
     "tables are kept the same on every node."},
    {"NoPrimaryKey", "ALTER TABLE loottable_entries DROP PRIMARY KEY",
     "ALTER TABLE loottable_entries ADD PRIMARY KEY (loottable_id, lootdrop_id)",
     "Table loottable_entries has no primary key, which the cluster needs to replicate its "
     "rows."},
};
class UnreplicatedTableTest : public ClusterTest,
                              public testing::WithParamInterface<UnreplicatedTable> {};

TEST_P(UnreplicatedTableTest, WriteIsRefusedNamingTheTableAndTheCheckNamesIt) {
  node_sql(1, GetParam().change);
  const std::string before = checksums(1);
  const CliResult result = run_on(1, fresh_journal("unreplicated"), generate("21-30", 7));
  const CliResult checked = run_on(2, fresh_journal("check"), {"check"});
  node_sql(1, GetParam().restore);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find(GetParam().refusal), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("Nothing was written."), std::string::npos) << result.err;
  EXPECT_EQ(checksums(1), before);
  EXPECT_EQ(checked.exit_code, 1);
  EXPECT_NE(checked.out.find("cluster: 3 nodes, this node Synced, wsrep_sync_wait=0\n  " +
                             std::string(GetParam().refusal) + "\n"),
            std::string::npos)
      << checked.out;
}
INSTANTIATE_TEST_SUITE_P(Cluster, UnreplicatedTableTest, testing::ValuesIn(kUnreplicated),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClusterTest, NodeKilledDuringTheWriteLeavesAllOrNothingOnTheOthers) {
  const Args run = generate("31-40", 8);
  const CliResult planned =
      run_on(3, fresh_journal("planned"), run + Args{"--dry-run", "--format", "json"});
  ASSERT_EQ(planned.exit_code, 0) << planned.err;
  const int drops_planned = nlohmann::json::parse(planned.out).at("drops").get<int>();
  ASSERT_GT(drops_planned, 0);
  const int drops_before = count(1, "lootdrop");
  const auto log_size = std::filesystem::file_size(VL_CLUSTER_DIR "/node3/general.log");
  // Another session on node 3 holds loottable_entries: the run's INSERT there
  // waits, its drops sent, when node 3 is killed.
  run_shell("(mariadb --no-defaults --socket=" VL_CLUSTER_DIR "/node3/sock -uroot " VL_TEST_DB_NAME
            " -e 'START TRANSACTION; SELECT COUNT(*) FROM loottable_entries FOR UPDATE; DO "
            "SLEEP(60)' >/dev/null 2>&1 &)");
  CliProcess writing(on_node(3, fresh_journal("killed"), run), "", "", "127.0.0.1");
  for (int i = 0;
       i < 1000 && read_file(VL_CLUSTER_DIR "/node3/general.log")
                           .find("INSERT INTO loottable_entries", log_size) == std::string::npos;
       ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(std::get<0>(run_shell(kClusterScript + " kill-node 3 " VL_CLUSTER_DIR)), 0);
  const CliResult result = writing.wait();
  EXPECT_TRUE(result.exit_code == 2 || result.exit_code == 5) << result.exit_code << result.err;
  const int written = count(1, "lootdrop") - drops_before;
  EXPECT_TRUE(written == 0 || written == drops_planned) << written << " of " << drops_planned;
  EXPECT_EQ(checksums(2), checksums(1));
  ASSERT_EQ(std::get<0>(run_shell(kClusterScript + " restart-node 3 " VL_CLUSTER_DIR)), 0);
  same_on_every_node();
}

TEST_F(ClusterTest, UndoWhileAnotherNodeAddsAnEntryCommitsOrRefusesWhole) {
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string journal = fresh_journal("undone");
    const int drops_before = count(1, "lootdrop");
    ASSERT_EQ(run_on(1, journal, generate("41-50", 20 + round)).exit_code, 0);
    const int drops_run = count(1, "lootdrop") - drops_before;
    const std::string newest = node_sql(1, "SELECT MAX(id) FROM lootdrop");
    CliProcess undoing(on_node(1, journal, {"undo", "1", "--yes"}), "", "", "127.0.0.1");
    // An item no drop holds, added to the run's newest drop from another node.
    node_sql(2,
             "INSERT INTO lootdrop_entries (lootdrop_id, item_id) VALUES (" + newest + ", 999999)");
    const CliResult undone = undoing.wait();
    const int left = count(3, "lootdrop") - drops_before;
    if (undone.exit_code == 0) {
      EXPECT_EQ(left, 0) << undone.err;
    } else {
      EXPECT_EQ(undone.exit_code, 1) << undone.err;
      EXPECT_EQ(left, drops_run) << undone.err;
    }
    same_on_every_node();
    node_sql(1, "DELETE FROM lootdrop_entries WHERE item_id=999999");
  }
}

}  // namespace
}  // namespace vl::test
