// The db.ini reader: the bytes are the file's content. The items must equal
// those of a small character-by-character model of the format, and the five
// settings must follow from the items: the last item starting with a key wins;
// the command line's findings come exactly when the window refuses the file.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "config/db_ini.h"
#include "config/db_ini_diagnosis.h"
#include "fuzz_check.h"

namespace {

// The format as a state machine over characters, written apart from the reader.
std::vector<std::string> model_items(std::string_view text) {
  enum class At { before_item, plain, quoted, after_quote } at = At::before_item;
  std::vector<std::string> items;
  std::string item;
  bool item_open = false;  // something read since the last line end, or a comma just passed
  const auto finish = [&] {
    if (at == At::plain) item.erase(item.find_last_not_of(" \t") + 1);
    items.push_back(item);
    item.clear();
    at = At::before_item;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (at == At::quoted) {  // line ends included
      item_open = true;
      if (c == '"') at = At::after_quote;
      if (c != '"') item += c;
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      finish();
      item_open = false;
      continue;
    }
    item_open = true;
    if (c == ',') {
      finish();
    } else if (at == At::plain) {
      item += c;
    } else if (at == At::before_item && c == '"') {
      at = At::quoted;
    } else if (at == At::before_item && c != ' ' && c != '\t') {
      at = At::plain;
      item += c;
    }
  }
  if (item_open) finish();
  return items;
}

// The file handed to read_db_ini: an anonymous in-memory file, opened by path.
std::string memory_file(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("db.ini", 0);
  FUZZ_CHECK(fd >= 0 && ftruncate(fd, 0) == 0);
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    FUZZ_CHECK(n > 0);
    done += static_cast<std::size_t>(n);
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

struct Setting {
  std::string vl::DbIni::*value;
  std::string_view key, suffix;
};
const Setting kSettings[] = {{&vl::DbIni::host, "host=", ""},
                             {&vl::DbIni::user, "user=", ""},
                             {&vl::DbIni::password, "password=", ""},
                             {&vl::DbIni::database, "database=", ""},
                             {&vl::DbIni::everquest_folder, "everquest_folder=", "\\"}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream in(text);
  const std::vector<std::string> items = vl::read_ini_items(in);
  FUZZ_CHECK(items == model_items(text));

  const vl::DbIni state = vl::read_db_ini(memory_file(data, size));
  const bool accepted = vl::db_ini_complete(state);
  for (const Setting& setting : kSettings) {
    std::string expected;
    for (const std::string& item : items) {
      if (item.starts_with(setting.key))
        expected = item.substr(setting.key.size()) += setting.suffix;
    }
    FUZZ_CHECK(state.*setting.value == expected);
  }
  FUZZ_CHECK(accepted ==
             (!state.host.empty() && !state.password.empty() && !state.database.empty()));

  // The command line's findings: none exactly when the window accepts; line numbers rise.
  std::istringstream again(text);
  const std::vector<vl::IniItem> numbered = vl::read_numbered_ini_items(again);
  FUZZ_CHECK(numbered.size() == items.size());
  for (std::size_t i = 1; i < numbered.size(); ++i)
    FUZZ_CHECK(numbered[i].line >= numbered[i - 1].line);
  FUZZ_CHECK(vl::db_ini_findings(numbered, true).empty() == accepted);
  return 0;
}
