// db.ini files that are damaged, odd or not files at all: each ends in exact
// settings or in the one message, and the reading always comes to an end.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ios>
#include <istream>
#include <memory>
#include <random>
#include <streambuf>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config/db_ini.h"
#include "core/program_state.h"
#include "support/recording_ui.h"

namespace vl {
namespace {

using namespace std::string_literals;  // texts with NUL bytes inside
using Texts = std::vector<std::string>;

class BadDbIni : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
  }
  void write(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
  // Reads the file at `path` into a fresh state; true when the settings were taken.
  bool read() {
    state = std::make_unique<ProgramState>();
    ui.messages.clear();
    return read_db_ini(*state, ui, path);
  }
  // Refused for want of a host; the other settings are as read.
  void expect_refused(const std::string& what, const std::string& password = "",
                      const std::string& name = "") {
    EXPECT_FALSE(read()) << what;
    EXPECT_EQ(ui.messages, Texts{"DB.INI Invalid or Missing"}) << what;
    EXPECT_EQ(std::tuple(state->db_host, state->db_password, state->db_name),
              std::tuple("", password, name))
        << what;
  }
  void expect_settings(const std::string& what, const std::string& host,
                       const std::string& password = "p", const std::string& user = "") {
    EXPECT_TRUE(read()) << what;
    EXPECT_EQ(ui.messages, Texts{}) << what;
    EXPECT_EQ(state->db_host, host) << what;
    EXPECT_EQ(state->db_user, user) << what;
    EXPECT_EQ(state->db_password, password) << what;
    EXPECT_EQ(state->db_name, "w") << what;
  }

  const std::string path = testing::TempDir() + "vl_bad_db_ini_" + std::to_string(::getpid());
  std::unique_ptr<ProgramState> state;
  test::RecordingUi ui;
};

TEST_F(BadDbIni, EmptyBinaryAndNulBytes) {
  write("");
  expect_refused("empty");

  // Random bytes, 0x00 and 0xFF among them: no item begins with a key.
  std::mt19937 bytes(20261205);
  std::string noise = "\xFF\x00\xFE\x00"s;
  for (int i = 0; i < 65536; ++i) noise += static_cast<char>(bytes() & 0xFF);
  ASSERT_NE(noise.find('\0'), std::string::npos);
  ASSERT_NE(noise.find('\xFF'), std::string::npos);
  write(noise);
  expect_refused("random bytes");

  // Binary lines around the keys spoil nothing; bytes inside a value stay in it.
  write("\xFF\xFE\x00\x01\n"s + "host=h\x00x\n"s + "\x00\xFF,\x80\r\n"s +
        "password=p\xFF\x00q\ndatabase=w\n"s + "\x00"s);
  expect_settings("binary lines", "h\0x"s, "p\xFF\0q"s);
  EXPECT_EQ(state->db_host.size(), 3u);

  // A NUL byte before or inside a key: that item matches nothing.
  write("\x00host=h\nho\x00st=h\npassword=p\ndatabase=w\n"s);
  expect_refused("NUL in the keys", "p", "w");
  // An empty value that ends in a NUL byte is not empty.
  write("host=h\npassword=\x00\ndatabase=w\n"s);
  expect_settings("NUL password", "h", "\0"s);
}

TEST_F(BadDbIni, AMegabyteOnOneLineOrOnManyLines) {
  const std::size_t megabyte = 1 << 20;
  // One huge line: the whole of it is the value.
  const std::string long_host(megabyte, 'h');
  write("host=" + long_host + "\npassword=p\ndatabase=w\n");
  expect_settings("one long host line", long_host);

  // One huge line of junk with no line end at all.
  write(std::string(megabyte, 'x'));
  expect_refused("one long junk line");

  // A megabyte of commas: a million empty items, the last of them after the keys.
  write("host=h\npassword=p\ndatabase=w\n" + std::string(megabyte, ','));
  expect_settings("commas", "h");

  // Many short lines, the keys among them; the last host wins.
  std::string lines;
  for (std::size_t i = 0; lines.size() < megabyte; ++i) {
    lines += "host=h" + std::to_string(i) + "\nuser=u" + std::to_string(i) + "\n";
    if (i == 1000) lines += "password=p\ndatabase=w\n";
  }
  write(lines);
  const std::size_t last = lines.rfind("host=h");
  expect_settings("many lines", lines.substr(last + 5, lines.find('\n', last) - last - 5), "p",
                  "u" + lines.substr(last + 6, lines.find('\n', last) - last - 6));

  // Many blank lines after the keys, then an empty host: it still wins.
  write("host=h\npassword=p\ndatabase=w\n" + std::string(megabyte, '\n') + "host=\n");
  expect_refused("empty host after a megabyte of blank lines", "p", "w");
}

TEST_F(BadDbIni, UnbalancedQuotesAndLineEnds) {
  // A quote left open ends at its line end; the keys after it still count.
  write("\"host=h\npassword=p\ndatabase=w\n");
  expect_settings("open quote on the host line", "h");
  write("host=h\n\"password=p,\ndatabase=w\n");
  expect_settings("open quote with a comma", "h", "p,");
  // A quote left open at the very end of the file.
  write("host=h\npassword=p\ndatabase=w\n\"");
  expect_settings("quote at the end", "h");
  write("host=h\npassword=p\ndatabase=w\n\"host=x");
  expect_settings("open quote at the end", "x");
  // Quotes inside an unquoted item stay in the value.
  write("host=\"h\npassword=p\"\"\ndatabase=w\n");
  expect_settings("quotes inside", "\"h", "p\"\"");
  // A quoted item that does not start with a key, holding one after a comma.
  write("\"x,host=y\"\nhost=h\npassword=p\ndatabase=w\n");
  expect_settings("quoted junk", "h");

  for (const char* end : {"\r", "\n", "\r\n", "\n\r", "\r\r\n"}) {
    write("host=h" + std::string(end) + "password=p" + end + "database=w" + end);
    expect_settings(std::string("line end ") + (end[0] == '\r' ? "CR..." : "LF..."), "h");
  }
  // Without any line end at all, the commas alone split the items.
  write("host=h,password=p,database=w");
  expect_settings("no line end", "h");
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

TEST_F(BadDbIni, ReadErrorsEndTheReadingLikeTheEndOfTheFile) {
  // A directory named db.ini opens but cannot be read.
  std::filesystem::create_directory(path);
  expect_refused("directory");
  std::filesystem::remove(path);
  expect_refused("missing");

  // An error in the middle: the items before it stand, the one it cut short included.
  FailingBuffer buffer("host=h\npassword=p\ndatabase=w\nuser=u");
  std::istream in(&buffer);
  EXPECT_EQ(read_ini_items(in), (Texts{"host=h", "password=p", "database=w", "user=u"}));
}

TEST_F(BadDbIni, AnUnreadableFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads a file whatever its mode";
  write("host=h\npassword=p\ndatabase=w\n");
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  expect_refused("mode 000");
}

}  // namespace
}  // namespace vl
