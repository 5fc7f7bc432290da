// The db.ini reader: the bytes are the file's content. The items must equal
// those of a small character-by-character model of the format, and the five
// settings must follow from the items: the last item starting with a key wins.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "config/db_ini.h"
#include "core/program_state.h"
#include "fuzz_check.h"
#include "support/recording_ui.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The format as a state machine over characters, written apart from the reader.
std::vector<std::string> model_items(std::string_view text) {
  enum class At { before_item, plain, quoted, after_quote };
  std::vector<std::string> items;
  std::string item;
  At at = At::before_item;
  bool item_open = false;  // something read since the last line end, or a comma just passed
  const auto finish = [&] {
    if (at == At::plain) {
      while (!item.empty() && is_blank(item.back())) item.pop_back();
    }
    items.push_back(item);
    item.clear();
    at = At::before_item;
  };
  std::size_t i = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      finish();
      item_open = false;
      continue;
    }
    item_open = true;
    switch (at) {
      case At::before_item:
        if (c == '"') {
          at = At::quoted;
        } else if (c == ',') {
          finish();
        } else if (!is_blank(c)) {
          at = At::plain;
          item += c;
        }
        break;
      case At::plain:
        if (c == ',') {
          finish();
        } else {
          item += c;
        }
        break;
      case At::quoted:
        if (c == '"') {
          at = At::after_quote;
        } else {
          item += c;
        }
        break;
      case At::after_quote:
        if (c == ',') finish();
        break;
    }
  }
  if (item_open) finish();
  return items;
}

// Records the message boxes instead of showing them.
using SilentUi = vl::test::RecordingUi;

// The file handed to read_db_ini: an anonymous in-memory file, opened by path.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("db.ini", 0)) {
    FUZZ_CHECK(fd_ >= 0);
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  void write(const std::uint8_t* data, std::size_t size) {
    FUZZ_CHECK(ftruncate(fd_, 0) == 0);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      FUZZ_CHECK(n > 0);
      done += static_cast<std::size_t>(n);
    }
  }
  const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

std::string expected_setting(const std::vector<std::string>& items, std::string_view key,
                             std::string_view suffix) {
  std::string value;
  for (const std::string& item : items) {
    if (item.starts_with(key)) value = item.substr(key.size()) + std::string(suffix);
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto state = std::make_unique<vl::ProgramState>();
  static MemoryFile file;
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::istringstream in(text);
  const std::vector<std::string> items = vl::read_ini_items(in);
  FUZZ_CHECK(items == model_items(text));
  std::size_t item_bytes = 0;
  for (const std::string& item : items) {
    FUZZ_CHECK(item.find_first_of("\r\n") == std::string::npos);
    item_bytes += item.size();
  }
  FUZZ_CHECK(item_bytes <= size);
  FUZZ_CHECK(items.size() <= size + 1);

  // Values left from an earlier read must not survive this one.
  state->db_host = state->db_user = state->db_password = "stale";
  state->db_name = state->everquest_folder = "stale";
  file.write(data, size);
  SilentUi ui;
  const bool accepted = vl::read_db_ini(*state, ui, file.path());

  FUZZ_CHECK(state->db_host == expected_setting(items, "host=", ""));
  FUZZ_CHECK(state->db_user == expected_setting(items, "user=", ""));
  FUZZ_CHECK(state->db_password == expected_setting(items, "password=", ""));
  FUZZ_CHECK(state->db_name == expected_setting(items, "database=", ""));
  FUZZ_CHECK(state->everquest_folder == expected_setting(items, "everquest_folder=", "\\"));
  const bool complete =
      !state->db_host.empty() && !state->db_password.empty() && !state->db_name.empty();
  FUZZ_CHECK(accepted == complete);
  if (accepted) {
    FUZZ_CHECK(ui.messages.empty());
  } else {
    FUZZ_CHECK(ui.messages == std::vector<std::string>{vl::kDbIniInvalidMessage});
  }
  return 0;
}
