#include "config/db_ini.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "core/program_state.h"
#include "support/recording_ui.h"

namespace vl {
namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::string>;

Items items_of(const std::string& text) {
  std::istringstream in(text);
  return read_ini_items(in);
}

TEST(IniItems, SplitAtCommasAndLineEnds) {
  EXPECT_EQ(items_of(""), Items{});
  EXPECT_EQ(items_of("a\nb\n"), (Items{"a", "b"}));
  EXPECT_EQ(items_of("a\r\nb\r\n"), (Items{"a", "b"}));
  EXPECT_EQ(items_of("a\rb"), (Items{"a", "b"}));
  EXPECT_EQ(items_of("a\nb"), (Items{"a", "b"}));  // last line without a line end
  EXPECT_EQ(items_of("a,b,c\n"), (Items{"a", "b", "c"}));
  EXPECT_EQ(items_of("a,\n"), (Items{"a", ""}));
  EXPECT_EQ(items_of("a,"), (Items{"a", ""}));
  EXPECT_EQ(items_of(",,"), (Items{"", "", ""}));
  // A blank line is an empty item.
  EXPECT_EQ(items_of("a\n\nb\n"), (Items{"a", "", "b"}));
  EXPECT_EQ(items_of("a\r\n\r\nb"), (Items{"a", "", "b"}));
  EXPECT_EQ(items_of("\n"), (Items{""}));
}

TEST(IniItems, BlanksAroundUnquotedItemsAreDropped) {
  EXPECT_EQ(items_of("  \thost=x \t\n"), (Items{"host=x"}));
  EXPECT_EQ(items_of(" a , b \n"), (Items{"a", "b"}));
  EXPECT_EQ(items_of("   \n"), (Items{""}));
  EXPECT_EQ(items_of("pass word=a b\n"), (Items{"pass word=a b"}));
}

TEST(IniItems, QuotedItems) {
  EXPECT_EQ(items_of("\"password=a,b\"\n"), (Items{"password=a,b"}));
  EXPECT_EQ(items_of("  \" a b \" \n"), (Items{" a b "}));
  EXPECT_EQ(items_of("\"a,b\",c\n"), (Items{"a,b", "c"}));
  // After the closing quote everything up to the comma or line end is dropped.
  EXPECT_EQ(items_of("\"ab\"junk,c\nd"), (Items{"ab", "c", "d"}));
  EXPECT_EQ(items_of("\"\"\n"), (Items{""}));
  // A quote left open ends at the line end; the next line stands on its own.
  EXPECT_EQ(items_of("\"host=x,y\nuser=u\n"), (Items{"host=x,y", "user=u"}));
  // A quote inside an unquoted item is an ordinary character.
  EXPECT_EQ(items_of("pw=a\"b\n"), (Items{"pw=a\"b"}));
}

TEST(IniItems, NumberSignsAndByteOrderMark) {
  EXPECT_EQ(items_of("# comment, with comma\n"), (Items{"# comment", "with comma"}));
  EXPECT_EQ(items_of("\xEF\xBB\xBFhost=x\n"), (Items{"host=x"}));
  EXPECT_EQ(items_of("a\xEF\xBB\xBF\n"), (Items{"a\xEF\xBB\xBF"}));
}

class DbIniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vl_db_ini_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "db.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  bool read(const std::string& contents) {
    std::ofstream(path_, std::ios::binary) << contents;
    return read_db_ini(*state_, ui_, path_);
  }
  bool failed_with_message(bool result) const {
    return !result && ui_.messages == std::vector<std::string>{"DB.INI Invalid or Missing"};
  }

  fs::path dir_;
  std::string path_;
  std::unique_ptr<ProgramState> state_ = std::make_unique<ProgramState>();
  test::RecordingUi ui_;
};

TEST_F(DbIniTest, KeysInAnyOrder) {
  ASSERT_TRUE(read("database=world\r\npassword=secret\r\nuser=loot\r\nhost=10.0.0.5\r\n"));
  EXPECT_EQ(state_->db_host, "10.0.0.5");
  EXPECT_EQ(state_->db_user, "loot");
  EXPECT_EQ(state_->db_password, "secret");
  EXPECT_EQ(state_->db_name, "world");
  EXPECT_EQ(state_->everquest_folder, "");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DbIniTest, ValuesKeepFurtherEqualsSignsAndFolderGetsABackslash) {
  ASSERT_TRUE(read("host=h\npassword=a=b==\ndatabase=w\neverquest_folder=C:\\Game\\\n"));
  EXPECT_EQ(state_->db_password, "a=b==");
  EXPECT_EQ(state_->everquest_folder, "C:\\Game\\\\");

  ASSERT_TRUE(read("host=h\npassword=p\ndatabase=w\neverquest_folder=\n"));
  EXPECT_EQ(state_->everquest_folder, "\\");
}

TEST_F(DbIniTest, CapitalisedKeysAndBlanksAroundEqualsMatchNothing) {
  EXPECT_TRUE(
      failed_with_message(read("Host=h\nhost =h\nhost = h\nHOST=h\npassword=p\ndatabase=w\n")));
  EXPECT_EQ(state_->db_host, "");
  EXPECT_EQ(state_->db_password, "p");
}

TEST_F(DbIniTest, BlankAfterEqualsIsPartOfTheValue) {
  // "host= h" begins with "host=": it matches, and the value keeps the blank.
  ASSERT_TRUE(read("host= h\npassword=p\ndatabase=w\n"));
  EXPECT_EQ(state_->db_host, " h");
}

TEST_F(DbIniTest, EmptyOrMissingUserIsAccepted) {
  ASSERT_TRUE(read("host=h\nuser=\npassword=p\ndatabase=w\n"));
  EXPECT_EQ(state_->db_user, "");
  ASSERT_TRUE(read("host=h\npassword=p\ndatabase=w\n"));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DbIniTest, EachRequiredSettingEmptyOrMissingFails) {
  EXPECT_TRUE(failed_with_message(read("host=h\npassword=\ndatabase=w\n")));
  ui_.messages.clear();
  EXPECT_TRUE(failed_with_message(read("host=h\ndatabase=w\n")));
  ui_.messages.clear();
  EXPECT_TRUE(failed_with_message(read("host=h\npassword=p\ndatabase=\n")));
  ui_.messages.clear();
  EXPECT_TRUE(failed_with_message(read("password=p\ndatabase=w\n")));
}

TEST_F(DbIniTest, LastOccurrenceWinsEvenWhenEmpty) {
  ASSERT_TRUE(read("host=a\npassword=p\nhost=b\ndatabase=w\n"));
  EXPECT_EQ(state_->db_host, "b");
  EXPECT_TRUE(failed_with_message(read("host=a\npassword=p\ndatabase=w\nhost=\n")));
  EXPECT_EQ(state_->db_host, "");
}

TEST_F(DbIniTest, CommasCutUnquotedValuesButNotQuotedOnes) {
  ASSERT_TRUE(read("host=h\npassword=ab,cd\ndatabase=w\n"));
  EXPECT_EQ(state_->db_password, "ab");
  ASSERT_TRUE(read("host=h\n\"password=ab,cd\"\ndatabase=w\n"));
  EXPECT_EQ(state_->db_password, "ab,cd");
  // The rest of a cut line forms items of its own: here a setting.
  ASSERT_TRUE(read("host=h,database=w\npassword=p\n"));
  EXPECT_EQ(state_->db_host, "h");
  EXPECT_EQ(state_->db_name, "w");
}

TEST_F(DbIniTest, CommentsAndSectionsMatchNothing) {
  ASSERT_TRUE(read("[db]\n# host=wrong\n;user=x\nhost=h\npassword=p\ndatabase=w\n"));
  EXPECT_EQ(state_->db_host, "h");
  EXPECT_EQ(state_->db_user, "");
}

TEST_F(DbIniTest, MissingFileBehavesLikeAnEmptyOne) {
  EXPECT_TRUE(failed_with_message(read("")));
  ui_.messages.clear();

  // Settings left from before do not survive a read.
  state_->db_host = "h";
  state_->db_password = "p";
  state_->db_name = "w";
  fs::remove(path_);
  EXPECT_TRUE(failed_with_message(read_db_ini(*state_, ui_, path_)));
  EXPECT_EQ(state_->db_host, "");
}

}  // namespace
}  // namespace vl
