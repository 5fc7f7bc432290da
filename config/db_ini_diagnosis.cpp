#include "config/db_ini_diagnosis.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "core/ascii_case.h"

namespace vl {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// `key` with blanks around it, or in capitals: what someone meant as `key=`.
struct NearMiss {
  const IniItem* item = nullptr;
  bool spaced = false;
};

std::optional<NearMiss> near_miss(const IniItem& item, std::string_view key) {
  const std::string_view text = item.text;
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::string_view name = text.substr(0, equals);
  while (!name.empty() && is_blank(name.back())) name.remove_suffix(1);
  if (ascii_lower(name) != key) return std::nullopt;
  const bool spaced =
      name.size() != equals || (equals + 1 < text.size() && is_blank(text[equals + 1]));
  return NearMiss{&item, spaced};
}

// The item as a finding quotes it; a password's value stays out.
std::string quoted(const IniItem& item, bool secret) {
  if (!secret) return "`" + item.text + "`";
  const std::size_t equals = item.text.find('=');
  return "`" + item.text.substr(0, equals + 1) + (equals + 1 < item.text.size() ? " ..." : "") +
         "`";
}

std::string line_of(const IniItem& item) { return "line " + std::to_string(item.line) + ": "; }

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The first item, when a byte order mark stands before `prefix` in it.
const IniItem* marked_key(const std::vector<IniItem>& items, std::string_view prefix) {
  if (items.empty()) return nullptr;
  const std::string_view text = items.front().text;
  return text.starts_with(kByteOrderMark) && text.substr(kByteOrderMark.size()).starts_with(prefix)
             ? &items.front()
             : nullptr;
}

// The last item whose double quote, left open at a line end, took in a later
// line that begins with `prefix`.
const IniItem* key_in_quote(const std::vector<IniItem>& items, std::string_view prefix) {
  const IniItem* found = nullptr;
  for (const IniItem& item : items) {
    const std::string_view text = item.text;
    for (std::size_t end = 0; end < text.size(); ++end) {
      if (text[end] != '\r' && text[end] != '\n') continue;
      std::size_t start = end + 1;
      while (start < text.size() && (is_blank(text[start]) || text[start] == '\n')) ++start;
      if (text.substr(start).starts_with(prefix)) found = &item;
    }
  }
  return found;
}

std::string finding(const std::vector<IniItem>& items, std::string_view key) {
  const std::string prefix = std::string(key) + "=";
  const bool secret = key == "password";
  if (const IniItem* set = last_item_with(items, prefix)) {
    return line_of(*set) + "`" + prefix + "` is empty";
  }
  if (const IniItem* marked = marked_key(items, prefix)) {
    return line_of(*marked) + "`" + prefix +
           "` follows a byte order mark, which makes it no key: save db.ini without one";
  }
  if (const IniItem* quote = key_in_quote(items, prefix)) {
    return line_of(*quote) + "a double quote opened here is not closed on its line, so `" + prefix +
           "` on a later line belongs to its value: close the quote on its own line";
  }
  std::optional<NearMiss> miss;
  for (const IniItem& item : items)
    if (auto found = near_miss(item, key)) miss = found;
  if (!miss) return "no `" + prefix + "` line";
  const IniItem& item = *miss->item;
  if (miss->spaced) return line_of(item) + quoted(item, secret) + " has spaces around `=`";
  return line_of(item) + quoted(item, secret) + " is not `" + prefix +
         "`: keys are written in lower case";
}

}  // namespace

std::variant<std::vector<IniItem>, std::string> ini_items_of(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return std::string("is a folder, not a file");
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return "cannot be read (" + std::string(std::strerror(errno)) + ")";
  return read_numbered_ini_items(file);
}

const IniItem* last_item_with(const std::vector<IniItem>& items, std::string_view prefix) {
  const IniItem* last = nullptr;
  for (const IniItem& item : items)
    if (std::string_view(item.text).starts_with(prefix)) last = &item;
  return last;
}

std::vector<std::string> db_ini_findings(const std::vector<IniItem>& items,
                                         bool password_required) {
  const DbIni settings = db_ini_settings(items);
  std::vector<std::string> findings;
  if (settings.host.empty()) findings.push_back(finding(items, "host"));
  if (password_required && settings.password.empty())
    findings.push_back(finding(items, "password"));
  if (settings.database.empty()) findings.push_back(finding(items, "database"));
  return findings;
}

}  // namespace vl
