// What the db_ini fuzz target's model cannot check: the message's exact text,
// exact settings, a value of a megabyte, and files that cannot be read. How
// items split and which settings they make is checked by replaying
// fuzz/corpus/db_ini/ through that model.

#include "config/db_ini.h"
#include "config/db_ini_diagnosis.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ios>
#include <istream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "app/window/form1_logic.h"
#include "support/recording_ui.h"

namespace vl {
namespace {

using Texts = std::vector<std::string>;

// The window's verdict, and the findings the command line adds to its message.
TEST(DbIni, SettingsOrTheMessage) {
  enum class File { bytes, missing, folder, unreadable };
  struct Row {
    const char* name;
    File kind;
    std::string bytes;
    bool accepted;
    Texts settings;  // host, user, password, database
    Texts findings;
  };
  const std::string megabyte(1 << 20, 'h');
  // clang-format off
  const Row rows[] = {
      {"CR LF, any order", File::bytes, "database=w\r\npassword=s\r\nuser=loot\r\nhost=10.0.0.5\r\n",
       true, {"10.0.0.5", "loot", "s", "w"}, {}},
      {"no host", File::bytes, "user=u\npassword=p\ndatabase=w\n", false, {"", "u", "p", "w"},
       {"no `host=` line"}},
      {"a megabyte host", File::bytes, "host=" + megabyte + "\npassword=p\ndatabase=w", true,
       {megabyte, "", "p", "w"}, {}},
      {"spaces around =, CR LF", File::bytes, "user=u,password=p\r\ndatabase=w\r\n  host = x\r\n", false,
       {"", "u", "p", "w"}, {"line 3: `host = x` has spaces around `=`"}},
      {"a capital, an empty value, lone CR", File::bytes, "HOST=h\rpassword=p\rdatabase=w\rdatabase=", false,
       {"", "", "p", ""}, {"line 1: `HOST=h` is not `host=`: keys are written in lower case",
                           "line 4: `database=` is empty"}},
      {"a password never shown", File::bytes, "host=h\ndatabase=w\n\"password =s,ecret\"", false,
       {"h", "", "", "w"}, {"line 3: `password = ...` has spaces around `=`"}},
      {"a byte order mark", File::bytes, "\xEF\xBB\xBFhost=h\npassword=p\ndatabase=w\n", false,
       {"", "", "p", "w"},
       {"line 1: `host=` follows a byte order mark, which makes it no key: save db.ini without one"}},
      {"a quote open over a line end", File::bytes, "host=h\r\n\"password=s,e\r\ndatabase=w\"\r\n", false,
       {"h", "", "s,e\r\ndatabase=w", ""},
       {"line 2: a double quote opened here is not closed on its line, so `database=` on a later "
        "line belongs to its value: close the quote on its own line"}},
      {"a quote over two lines, then a key", File::bytes, "\"host=a\nb\"\npassword=p,database=w", true,
       {"a\nb", "", "p", "w"}, {}},
      {"missing", File::missing, "", false, {"", "", "", ""},
       {"cannot be read (No such file or directory)"}},
      {"a folder named db.ini", File::folder, "", false, {"", "", "", ""}, {"is a folder, not a file"}},
      {"mode 000", File::unreadable, "host=h\npassword=p\ndatabase=w\n", false, {"", "", "", ""},
       {"cannot be read (Permission denied)"}}};
  // clang-format on
  const std::string path = testing::TempDir() + "vl_db_ini_" + std::to_string(::getpid());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.kind == File::unreadable && ::geteuid() == 0) continue;  // root reads it anyway
    std::filesystem::remove_all(path);
    if (row.kind == File::folder) std::filesystem::create_directory(path);
    if (row.kind == File::bytes || row.kind == File::unreadable) {
      std::ofstream(path, std::ios::binary) << row.bytes;
    }
    if (row.kind == File::unreadable) {
      ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    }
    ProgramState state;  // settings from before do not survive a refused file
    state.db_host = state.db_user = state.db_password = state.db_name = "stale";
    test::RecordingUi ui;
    EXPECT_EQ(read_db_ini(state, ui, path), row.accepted);
    EXPECT_EQ(ui.messages, row.accepted ? Texts{} : Texts{"DB.INI Invalid or Missing"});
    EXPECT_EQ((Texts{state.db_host, state.db_user, state.db_password, state.db_name}),
              row.settings);
    const auto items = ini_items_of(path);
    const auto* reason = std::get_if<std::string>(&items);
    EXPECT_EQ(
        reason ? Texts{*reason} : db_ini_findings(std::get<std::vector<IniItem>>(items), true),
        row.findings);
  }
  std::filesystem::remove_all(path);
}

// Delivers its text, then fails the next read the way a file stream's buffer
// does on a read error: by throwing.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(std::string text) : text_(std::move(text)) {
    setg(text_.data(), text_.data(), text_.data() + text_.size());
  }

 protected:
  int_type underflow() override { throw std::ios_base::failure("read error"); }

 private:
  std::string text_;
};

TEST(DbIni, AReadErrorEndsTheItemsLikeTheEndOfTheFile) {
  FailingBuffer buffer("host=h\npassword=p\ndatabase=w\nuser=u");
  std::istream in(&buffer);
  EXPECT_EQ(read_ini_items(in), (Texts{"host=h", "password=p", "database=w", "user=u"}));
}

}  // namespace
}  // namespace vl
