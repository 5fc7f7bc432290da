// An undo whose connection is lost while its COMMIT is on the way: the server
// may have committed it, so the command line says it cannot know, exits 5, and
// the journal keeps the run as not undone. Nothing is sent after the COMMIT.

#include <algorithm>
#include <filesystem>

#include "support/cli_process.h"
#include "support/relay.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

TEST(UndoConnectionLost, DuringCommitIsToldAsUnknown) {
  const std::string journal = fresh_journal("undo_commit_lost");
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10),(1002,'i',10)");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,77),(2,'n',5,88)");
  const Args generate = {"generate", "--window-way", "--yes", "--levels", "01-10", "--npc-percent",
                         "101",      "--items",      "2",     "--seed",   "5"};
  {
    const Relay relay("0");
    ASSERT_EQ(CliProcess(journaled(journal, generate), "", "", VL_RELAY_HOST).wait().exit_code, 0);
  }
  const GeneralLog log;
  const CliResult result = [&] {
    const Relay relay("0", "COMMIT");
    return CliProcess(journaled(journal, {"undo", "1", "--yes"}), "", "", VL_RELAY_HOST).wait();
  }();
  EXPECT_EQ(result.exit_code, 5);
  const std::string told =
      "The connection to the server was lost during COMMIT: either all of run 1 was undone or "
      "none of it, and the journal still counts it as not undone.\n";
  EXPECT_EQ(result.err.substr(0, told.size()), told) << result.err;
  const Texts sent = log.statement_texts();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), "COMMIT");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "ROLLBACK"), 0);
  // The COMMIT reached the server: the undo stands, though the journal cannot know it.
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");
  const CliResult history = run_cli(journaled(journal, {"history", "--format", "json"}));
  EXPECT_NE(history.out.find(R"("outcome":"completed")"), std::string::npos) << history.out;
}

}  // namespace
}  // namespace vl::test
