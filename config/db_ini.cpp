#include "config/db_ini.h"

#include <exception>
#include <fstream>
#include <streambuf>
#include <string_view>

namespace vl {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

class ItemReader {
 public:
  // A byte order mark is no blank: it begins the first item, which then
  // matches no key.
  explicit ItemReader(std::string_view text) : text_(text) {}

  std::vector<IniItem> read_all() {
    std::vector<IniItem> items;
    bool item_pending = false;  // after a comma, even at the end of the text
    while (pos_ < text_.size() || item_pending) {
      const int line = line_;
      items.push_back({read_item(), line});
      item_pending = end_item();
    }
    return items;
  }

 private:
  std::string read_item() {
    while (pos_ < text_.size() && is_blank(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '"') return read_quoted();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !is_line_end(text_[pos_])) ++pos_;
    std::size_t end = pos_;
    while (end > start && is_blank(text_[end - 1])) --end;
    return std::string(text_.substr(start, end - start));
  }

  // Runs to the next double quote, line ends included (a quote never closed
  // runs to the end of the text); the lines it spans still count.
  std::string read_quoted() {
    const std::size_t start = ++pos_;
    for (; pos_ < text_.size() && text_[pos_] != '"'; ++pos_) {
      const bool cr_of_crlf =
          text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
      if (is_line_end(text_[pos_]) && !cr_of_crlf) ++line_;
    }
    std::string item(text_.substr(start, pos_ - start));
    if (pos_ < text_.size()) ++pos_;  // the closing quote
    // Whatever follows the closing quote belongs to no item.
    while (pos_ < text_.size() && text_[pos_] != ',' && !is_line_end(text_[pos_])) ++pos_;
    return item;
  }

  // Steps over the comma or line end after an item; true after a comma.
  bool end_item() {
    if (pos_ >= text_.size()) return false;
    if (text_[pos_] == ',') {
      ++pos_;
      return true;
    }
    if (text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    ++line_;
    return false;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

struct Setting {
  std::string_view prefix;
  std::string DbIni::*value;
  std::string_view suffix;
};

// In the order the items are tested against them.
const Setting kSettings[] = {
    {"host=", &DbIni::host, ""},
    {"user=", &DbIni::user, ""},
    {"password=", &DbIni::password, ""},
    {"database=", &DbIni::database, ""},
    {"everquest_folder=", &DbIni::everquest_folder, "\\"},
};

}  // namespace

std::vector<IniItem> read_numbered_ini_items(std::istream& in) {
  // A read error (a directory named db.ini, a failing disk) ends the text like
  // its end does. The stream's buffer reports it by throwing; every character
  // taken before that stays.
  std::string text;
  if (std::streambuf* buffer = in.rdbuf()) {
    try {
      for (auto c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        text += std::char_traits<char>::to_char_type(c);
      }
    } catch (const std::exception&) {
      in.setstate(std::ios::badbit);
    }
  }
  return ItemReader(text).read_all();
}

std::vector<std::string> read_ini_items(std::istream& in) {
  std::vector<std::string> texts;
  for (IniItem& item : read_numbered_ini_items(in)) texts.push_back(std::move(item.text));
  return texts;
}

DbIni db_ini_settings(const std::vector<IniItem>& items) {
  DbIni ini;
  for (const IniItem& item : items) {
    for (const Setting& setting : kSettings) {
      if (std::string_view(item.text).starts_with(setting.prefix)) {
        ini.*setting.value = item.text.substr(setting.prefix.size()) + std::string(setting.suffix);
      }
    }
  }
  return ini;
}

DbIni read_db_ini(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return {};
  return db_ini_settings(read_numbered_ini_items(file));
}

bool db_ini_complete(const DbIni& ini) {
  return !ini.host.empty() && !ini.password.empty() && !ini.database.empty();
}

}  // namespace vl
