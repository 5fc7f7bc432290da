#include "config/db_ini.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/program_state.h"
#include "support/recording_ui.h"

namespace vl {
namespace {

using Items = std::vector<std::string>;

TEST(IniItems, SplitAtCommasAndLineEndsWithQuotedItemsWhole) {
  // clang-format off
  const std::vector<std::pair<std::string, Items>> cases = {
      {"", {}}, {"a\nb\n", {"a", "b"}}, {"a\r\nb", {"a", "b"}}, {"a\rb", {"a", "b"}},
      {"a,b,c\n", {"a", "b", "c"}}, {"a,", {"a", ""}}, {",,", {"", "", ""}},
      {"a\r\n\r\nb", {"a", "", "b"}},                      // a blank line is an empty item
      {" \thost=x \t, b \n", {"host=x", "b"}}, {"   \n", {""}}, {"pass word=a b", {"pass word=a b"}},
      {"\"password=a,b\"\n", {"password=a,b"}}, {"  \" a b \" \n", {" a b "}}, {"\"\"", {""}},
      {"\"ab\"junk,c\nd", {"ab", "c", "d"}},               // after the closing quote: dropped
      {"\"host=x,y\nuser=u\n", {"host=x,y", "user=u"}},    // an open quote ends at the line end
      {"pw=a\"b\n", {"pw=a\"b"}}, {"# note, more\n", {"# note", "more"}},
      {"\xEF\xBB\xBFhost=x\n", {"host=x"}}, {"a\xEF\xBB\xBF\n", {"a\xEF\xBB\xBF"}}};
  // clang-format on
  for (const auto& [text, items] : cases) {
    std::istringstream in(text);
    EXPECT_EQ(read_ini_items(in), items) << text;
  }
}

TEST(DbIni, SettingsFromTheFileOrTheMessage) {
  struct Case {
    const char* file;
    const char* host;  // nullptr: the file is refused with the message
    const char* user = "";
    const char* password = "p";
    const char* folder = "";
  };
  // clang-format off
  const Case cases[] = {
      {"database=w\r\npassword=s\r\nuser=loot\r\nhost=10.0.0.5\r\n", "10.0.0.5", "loot", "s"},
      {"host=h\npassword=a=b==\ndatabase=w\neverquest_folder=C:\\G\\\n", "h", "", "a=b==", "C:\\G\\\\"},
      {"host=h\npassword=p\ndatabase=w\neverquest_folder=\n", "h", "", "p", "\\"},
      {"Host=h\nhost =h\nhost = h\nHOST=h\npassword=p\ndatabase=w\n", nullptr},
      {"host= h\npassword=p\ndatabase=w\n", " h"},          // the blank after "=" is kept
      {"host=h\nuser=\npassword=p\ndatabase=w\n", "h"},
      {"host=h\npassword=\ndatabase=w\n", nullptr},
      {"host=h\ndatabase=w\n", nullptr},
      {"host=h\npassword=p\ndatabase=\n", nullptr},
      {"password=p\ndatabase=w\n", nullptr},
      {"host=a\npassword=p\nhost=b\ndatabase=w\n", "b"},
      {"host=a\npassword=p\ndatabase=w\nhost=\n", nullptr},  // the last one wins, even empty
      {"host=h\npassword=ab,cd\ndatabase=w\n", "h", "", "ab"},
      {"host=h\n\"password=ab,cd\"\ndatabase=w\n", "h", "", "ab,cd"},
      {"host=h,database=w\npassword=p\n", "h"},             // the rest of a cut line is an item
      {"[db]\n# host=x\n;user=x\nhost=h\npassword=p\ndatabase=w\n", "h"},
      {"", nullptr}};
  // clang-format on
  const std::string path = testing::TempDir() + "vl_db_ini_" + std::to_string(::getpid());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::ofstream(path, std::ios::binary) << c.file;
    auto state = std::make_unique<ProgramState>();
    test::RecordingUi ui;
    const bool read = read_db_ini(*state, ui, path);
    EXPECT_EQ(read, c.host != nullptr);
    EXPECT_EQ(ui.messages, c.host ? Items{} : Items{"DB.INI Invalid or Missing"});
    if (!c.host) continue;
    EXPECT_EQ(state->db_host, c.host);
    EXPECT_EQ(state->db_user, c.user);
    EXPECT_EQ(state->db_password, c.password);
    EXPECT_EQ(state->db_name, "w");
    EXPECT_EQ(state->everquest_folder, c.folder);
  }

  // A missing file reads like an empty one, and settings from before do not survive.
  std::filesystem::remove(path);
  auto state = std::make_unique<ProgramState>();
  state->db_host = "h";
  state->db_password = "p";
  state->db_name = "w";
  test::RecordingUi ui;
  EXPECT_FALSE(read_db_ini(*state, ui, path));
  EXPECT_EQ(ui.messages, Items{"DB.INI Invalid or Missing"});
  EXPECT_EQ(state->db_host, "");
}

}  // namespace
}  // namespace vl
