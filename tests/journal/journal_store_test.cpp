// The journal's file without a server: values come back byte for byte,
// older journals are brought up to date, and opening it is safe from races,
// symbolic links and files the user may only read.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "journal/run_settings.h"
#include "journal/store.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

using journal::Row;
using journal::RowKind;
using journal::Value;

// The tests' journals, in a folder of this process, gone when it ends.
const struct Journals {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("vandril_journal_" + std::to_string(getpid()));
  ~Journals() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
} kJournals;

std::string fresh_folder(const std::string& name) {
  const auto folder = kJournals.folder / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

std::int64_t begun(journal::Store& store) {
  journal::RunInfo info;
  info.started = "t";
  return store.begin_run(info);
}

Value text(const char* bytes, std::size_t size) { return Value(std::string(bytes, size)); }

struct ValueRow {
  const char* name;
  Value value;
};

const ValueRow kValues[] = {
    {"nul", text("armou\0r_CUSTOM", 14)},
    {"separators", Value(std::string("x\x1e"
                                     "900\x1f"
                                     "y\x1f"))},
    {"every_control_byte", Value(std::string("\x01\x02\x03\x07\x08\t\n\r\x1b[31m\x7f"))},
    {"quotes_and_backslashes", Value(std::string(R"(O'x \' \\ "q" `b`)"))},
    {"four_byte_utf8", Value(std::string("\xF0\x9F\x90\x89 drake"))},
    {"invalid_utf8", Value(std::string("\xFF\xFE\xC0\xAF\xED\xA0\x80"))},
    {"one_megabyte", Value(std::string(1 << 20, '\x1f') + "end")},
    {"empty_text", Value(std::string())},
    {"text_NULL", Value(std::string("NULL"))},
    {"text_number", Value(std::string("0012"))},
    {"null", Value()},
    {"negative", Value(std::int64_t{-1})},
    {"lowest", Value(std::numeric_limits<std::int64_t>::min())},
    {"highest", Value(std::numeric_limits<std::int64_t>::max())},
    {"real", Value(0.1)},
    {"real_tiny", Value(-4.9e-324)},
    {"real_all_digits", Value(1.0000000000000002)},
    {"real_whole", Value(10.0)},
};

void PrintTo(const ValueRow& row, std::ostream* out) { *out << row.name; }

class RoundTrip : public testing::TestWithParam<ValueRow> {};

// Each value alone, and packed with others into one journal row (one
// statement's rows), comes back from rows and rows_page as it went in.
TEST_P(RoundTrip, ComesBackByteForByte) {
  const Value& value = GetParam().value;
  journal::Store store(fresh_folder(GetParam().name) + "/journal.sqlite3");
  const std::int64_t run = begun(store);
  const std::vector<std::string> columns{"id", "na,me", "w\"x"};
  const Row alone{RowKind::inserted, "lootdrop", columns, {Value(std::int64_t{7}), value, value}};
  store.record(run, {alone});
  store.record_each(run, 3, [&](std::size_t i, journal::StoredRow& row) {
    row = {RowKind::deleted, "lootdrop", columns, {value, Value(std::int64_t(i))}, false, 0};
  });
  const std::vector<Row> rows = store.rows(run);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].columns, columns);
  EXPECT_EQ(rows[0].values, alone.values);
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(rows[i].columns, columns);
    EXPECT_EQ(rows[i].values, (std::vector<Value>{value, Value(std::int64_t(i - 1))}));
  }
  const auto page =
      store.rows_page(run, RowKind::deleted, std::numeric_limits<std::int64_t>::max(), 10, true);
  ASSERT_EQ(page.rows.size(), 3u);
  EXPECT_EQ(page.rows[0].values[0], value);
  EXPECT_EQ(page.rows[0].values[1], Value(std::int64_t{2}));  // newest first
  if (const std::string* bytes = value.text()) {
    ASSERT_NE(rows[0].values[1].text(), nullptr);
    EXPECT_EQ(rows[0].values[1].text()->size(), bytes->size());
  }
}

INSTANTIATE_TEST_SUITE_P(Values, RoundTrip, testing::ValuesIn(kValues),
                         [](const auto& info) { return std::string(info.param.name); });

// What a statement gets and a message shows of each kind of value.
TEST(Value, WrittenIntoStatementsAndMessages) {
  const std::vector<Value> values{
      text("a\0'b", 4), Value(),     Value(std::numeric_limits<std::int64_t>::min()),
      Value(0.1),       Value(1e-7), Value(std::string())};
  std::vector<std::string> sql, shown;
  for (const Value& value : values) sql.push_back(value.sql());
  EXPECT_EQ(sql, (std::vector<std::string>{"X'61002762'", "NULL", "-9223372036854775808", "0.1",
                                           "1e-07", "X''"}));
  for (const Value& value : values) shown.push_back(value.shown());
  EXPECT_EQ(shown.front(), std::string("'a\0\\'b'", 7));
  EXPECT_EQ(Value::of_world(db::ValueKind::integer, "12"), Value(std::int64_t{12}));
  EXPECT_EQ(Value::of_world(db::ValueKind::real, "12"), Value(12.0));
  EXPECT_EQ(Value::of_world(db::ValueKind::text, "12"), Value(std::string("12")));
  EXPECT_EQ(Value::of_world(db::ValueKind::integer, std::nullopt), Value());
}

// A journal of the version that joined values by 0x1f and rows by 0x1e, as
// SQL literals, and kept its settings as text.
TEST(JournalFile, AnOlderOneIsBroughtUpToDateWithTypedValues) {
  const std::string path = fresh_folder("older") + "/journal.sqlite3";
  journal_value(
      path,
      "CREATE TABLE runs (id INTEGER PRIMARY KEY AUTOINCREMENT, started TEXT NOT NULL, ended "
      "TEXT, host TEXT, database TEXT, command TEXT, settings TEXT, outcome TEXT, "
      "journal_incomplete INTEGER NOT NULL DEFAULT 0, undone INTEGER NOT NULL DEFAULT 0, "
      "first_row INTEGER, last_row INTEGER);"
      "CREATE TABLE rows (id INTEGER PRIMARY KEY AUTOINCREMENT, run INTEGER NOT NULL, kind "
      "TEXT, tbl TEXT, cols TEXT, vals TEXT, uncertain INTEGER NOT NULL, tuples INTEGER NOT "
      "NULL DEFAULT 1);"
      "INSERT INTO runs VALUES (4,'t','u','h','w','generate','levels 01-10, category armour, "
      "rules \"\", seed 3','completed',0,0,10,12);"
      "INSERT INTO rows VALUES (10,4,'inserted','lootdrop','id,name',"
      "'5' || char(31) || '''O\\''x \\\\ y''' || char(30) || '6' || char(31) || 'NULL',0,2);"
      "INSERT INTO rows VALUES (11,4,'inserted','lootdrop_entries','lootdrop_id,chance',"
      "'5' || char(31) || '12.5' || char(31) || '-7',0,1);"
      "INSERT INTO rows VALUES (12,4,'removed','lootdrop','name','''lvl_01-10%''',0,1)");
  journal::Store store(path);
  const std::vector<Row> rows = store.rows(4);
  ASSERT_EQ(rows.size(), 4u);
  const std::vector<std::vector<Value>> expected{
      {Value(std::int64_t{5}), Value(std::string("O'x \\ y"))},
      {Value(std::int64_t{6}), Value()},
      {Value(std::int64_t{5}), Value(12.5), Value(std::int64_t{-7})},
      {Value(std::string("'lvl_01-10%'"))}};
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].values, expected[i]) << i;
  EXPECT_EQ(rows[2].columns, (std::vector<std::string>{"lootdrop_id", "chance"}));
  const journal::RunInfo run = store.runs().at(0);
  EXPECT_EQ(std::pair(run.rows, journal::setting_of(run.settings, "levels")),
            std::pair(std::int64_t{4}, std::string("01-10")));
  EXPECT_EQ(journal::describe_settings(run.settings),
            "levels 01-10, category armour, rules \"\", seed 3");
  EXPECT_EQ(journal_value(path,
                          "SELECT COUNT(*) FROM pragma_table_info('rows') WHERE "
                          "name='vals'"),
            "0");
}

// The settings kept as JSON, read by name and described as before.
TEST(RunSettings, KeptAsJsonAndDescribed) {
  // clang-format off
  journal::GenerationSettings settings{.range = "01-10", .category = "ales, drinks", .list_size = 2, .rules = "",
      .npc_percent = "101", .chance = "10", .probability = "50", .items = "1", .seed = 18446744073709551615ULL};
  // clang-format on
  const std::string kept = journal::generation_settings(settings);
  EXPECT_EQ(kept,
            R"({"atomic":false,"category":"ales, drinks","chance":"10","isolate_shared":false,)"
            R"("items":"1","levels":"01-10","list_size":2,"npc_percent":"101","probability":)"
            R"("50","rules":"","seed":18446744073709551615})");
  EXPECT_EQ(journal::setting_of(kept, "category"), "ales, drinks");
  EXPECT_EQ(journal::describe_settings(kept),
            "levels 01-10, category ales, drinks, custom list of 2 items, npc percent 101, "
            "chance 10, probability 50, items 1, seed 18446744073709551615");
  EXPECT_EQ(journal::describe_settings(journal::range_settings("51-60")), "levels 51-60");
}

// Two programs opening one new journal at the same moment both get it.
TEST(JournalFile, PairsOpeningOneNewJournalAtOnceAllSucceed) {
  const std::string folder = fresh_folder("pairs");
  int failed = 0;
  for (int pair = 0; pair < 100; ++pair) {
    const std::string path = folder + "/journal_" + std::to_string(pair) + ".sqlite3";
    pid_t children[2];
    for (pid_t& child : children) {
      child = fork();
      if (child == 0) {
        try {
          journal::Store store(path);
          begun(store);
        } catch (const std::exception&) {
          _exit(1);
        }
        _exit(0);
      }
    }
    for (const pid_t child : children) {
      int status = 0;
      waitpid(child, &status, 0);
      failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
  }
  EXPECT_EQ(failed, 0);
}

// A journal path that is a symbolic link changes nothing of the file it names.
TEST(JournalFile, ASymbolicLinkIsRefusedBeforeAnythingIsTouched) {
  const std::string folder = fresh_folder("link");
  const std::string target = folder + "/notes.txt", link = folder + "/journal.sqlite3";
  std::ofstream(target) << "mine";
  chmod(target.c_str(), 0644);
  std::filesystem::create_symlink(target, link);
  for (const auto access :
       {journal::Store::Access::read_write, journal::Store::Access::read_only}) {
    try {
      journal::Store store(link, access);
      ADD_FAILURE() << "opened";
    } catch (const journal::JournalError& error) {
      EXPECT_EQ(std::string(error.what()),
                link +
                    " is a symbolic link, which the journal does not follow; give the path of "
                    "the file itself. Nothing was changed.");
    }
  }
  struct stat file {};
  stat(target.c_str(), &file);
  EXPECT_EQ(file.st_mode & 0777, 0644u);
  EXPECT_EQ(std::filesystem::file_size(target), 4u);
}

// A journal (and folder) the user may only read is listed all the same, and
// left as it was. Root may write anything: the reader then runs as nobody.
TEST(JournalFile, OneTheUserMayOnlyReadIsListed) {
  const std::string folder = fresh_folder("read_only"), path = folder + "/journal.sqlite3";
  {
    journal::Store store(path);
    journal::RunInfo info;
    info.started = "t";
    info.settings = journal::range_settings("01-10");
    store.end_run(store.begin_run(info), "completed", false);
  }
  chmod(path.c_str(), 0444);
  chmod(folder.c_str(), 0555);
  chmod(std::filesystem::path(folder).parent_path().c_str(), 0755);
  const pid_t reader = fork();
  if (reader == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    try {
      journal::Store store(path, journal::Store::Access::read_only);
      const auto runs = store.runs();
      _exit(runs.size() == 1 && journal::setting_of(runs[0].settings, "levels") == "01-10" ? 0 : 2);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      _exit(1);
    }
  }
  int status = 0;
  waitpid(reader, &status, 0);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
  EXPECT_EQ(std::filesystem::directory_iterator(folder)->path(), path);  // nothing made beside it
  chmod(folder.c_str(), 0755);
}

}  // namespace
}  // namespace vl::test
