// What the command line gives out and takes in at its edges: files it cannot
// write refused before the world is touched, journal texts shown escaped, and
// a password the driver trims explained.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/cli_process.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

const std::string kFolder = VL_JOURNAL_DIR "/outputs";

// A file generate is to write, in a place where it cannot be: refused before
// the journal opens or anything reaches the server.
struct OutputRow {
  const char* name;
  Args args;  // after generate's settings
  std::string err;
};

class UnwritableOutput : public ::testing::TestWithParam<OutputRow> {};

TEST_P(UnwritableOutput, IsRefusedBeforeTheWorldIsTouched) {
  const std::string journal = kFolder + "/journal.sqlite3";
  std::filesystem::remove_all(kFolder);
  std::filesystem::create_directories(kFolder + "/folder.json");
  std::filesystem::create_directories(kFolder + "/folder.sql");
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10)");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,77)");
  const GeneralLog log;
  const CliResult result =
      run_cli(journaled(journal, Args{"generate", "--levels", "01-10", "--npc-percent", "101",
                                      "--items", "1", "--seed", "3"} +
                                     GetParam().args));
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, GetParam().err);
  EXPECT_EQ(log.connections().size(), 0u);
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");
  EXPECT_FALSE(std::filesystem::exists(journal));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(kFolder), {}), 2);  // no temp file
}

// clang-format off
const OutputRow kOutputRows[] = {
  {"report_is_a_folder", {"--yes", "--report", kFolder + "/folder.json"},
   "vandril_loot_cli: --report " + kFolder + "/folder.json cannot be written (Is a directory); nothing was "
   "sent to the server.\n"},
  {"report_folder_missing", {"--yes", "--report", kFolder + "/missing/report.csv"},
   "vandril_loot_cli: --report " + kFolder + "/missing/report.csv cannot be written (No such file or "
   "directory); nothing was sent to the server.\n"},
  {"report_folder_is_a_file", {"--yes", "--report", "/dev/null/report.json"},
   "vandril_loot_cli: --report /dev/null/report.json cannot be written (Not a directory); nothing was sent to "
   "the server.\n"},
  {"report_of_a_window_way_run", {"--yes", "--window-way", "--report", kFolder + "/folder.json"},
   "vandril_loot_cli: --report " + kFolder + "/folder.json cannot be written (Is a directory); nothing was "
   "sent to the server.\n"},
  {"sql_is_a_folder", {"--dry-run", "--sql", kFolder + "/folder.sql"},
   "vandril_loot_cli: --sql " + kFolder + "/folder.sql cannot be written (Is a directory); nothing was sent "
   "to the server.\n"},
  {"plan_is_a_folder", {"--dry-run", "--plan", kFolder + "/folder.json"},
   "vandril_loot_cli: --plan " + kFolder + "/folder.json cannot be written (Is a directory); nothing was "
   "sent to the server.\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Files, UnwritableOutput, ::testing::ValuesIn(kOutputRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A hand-made plan's settings reach the journal as given; history shows their
// control characters as show does, so that they never drive the terminal.
TEST(JournalTexts, HistoryShowsControlCharactersEscaped) {
  const std::string journal = kFolder + "/escapes.sqlite3";
  std::filesystem::create_directories(kFolder);
  std::filesystem::remove(journal);
  make_first_journal(journal,
                     "INSERT INTO runs (id,started,command,settings,outcome) VALUES (3,'t','apply',"
                     "'levels ' || char(27) || '[1m01-10, category ' || char(27) || '[2J' || "
                     "char(27) || ']0;x' || char(7) || 'Armour, items 1','completed')");
  const CliResult history = run_cli(journaled(journal, {"history"}));
  EXPECT_EQ(history.exit_code, 0);
  EXPECT_NE(history.out.find("3     t                    apply    \\x1B[1m01-10 "
                             "\\x1B[2J\\x1B]0;x\\x07Armour "),
            std::string::npos)
      << history.out;
  EXPECT_EQ(history.out.find('\x1b'), std::string::npos);
}

// The ODBC driver trims every connection setting, so that a password with a
// space at an end cannot log in; the operator is told why.
TEST(Password, WithSpacesAtItsEndsIsExplained) {
  root_sql(
      "CREATE USER IF NOT EXISTS 'spaced'@'%' IDENTIFIED BY ' pw ';"
      "GRANT ALL ON world.* TO 'spaced'@'%'");
  std::filesystem::create_directories(kFolder);
  const std::string ini = kFolder + "/spaced.ini";
  std::filesystem::remove(ini);
  std::ofstream(ini) << "host=" << db_settings().host << "\nuser=spaced\ndatabase=world\n";
  std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
  const std::string warning =
      "vandril_loot_cli: warning: VANDRIL_LOOT_PASSWORD begins or ends with a space, which the "
      "ODBC driver leaves out of the login\n";
  const struct {
    const char* password;
    int exit_code;
    bool warned;
  } rows[] = {{" pw ", 2, true}, {"pw\t", 2, true}, {"p w", 2, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string("'") + row.password + "'");
    setenv("VANDRIL_LOOT_PASSWORD", row.password, 1);
    const CliResult result = run_cli({"--config", ini, "test-rules", "--rules", "1"});
    unsetenv("VANDRIL_LOOT_PASSWORD");
    EXPECT_EQ(result.exit_code, row.exit_code);
    EXPECT_EQ(result.err.starts_with(warning), row.warned) << result.err;
  }
}

}  // namespace
}  // namespace vl::test
