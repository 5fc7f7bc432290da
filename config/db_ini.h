#pragma once
// The connection settings file db.ini: the only configuration the program has.

#include <istream>
#include <string>
#include <vector>

namespace vl {

inline constexpr const char* kDbIniInvalidMessage = "DB.INI Invalid or Missing";

// Splits the file into items the way a comma-separated sequential read does:
// - an item ends at a comma or a line end (LF, CR LF or a lone CR);
// - spaces and tabs before an item are skipped, and those after an unquoted
//   item are dropped too, so a stray blank at a line end does not spoil a
//   password (a value that must end in a blank is written in double quotes);
// - an item that begins with a double quote runs to the next double quote,
//   line ends included, may hold commas and blanks, and is delivered without
//   its quotes; anything after the closing quote up to the next comma or line
//   end is skipped; a quote left open runs to the end of the text;
// - a blank line is an empty item, and a comma always has an item after it;
// - "#" and other characters have no special meaning, nor has a UTF-8 byte
//   order mark: at the very start it begins the first item, which then
//   matches no key;
// - a read error ends the text like its end does: the items before it stand.
std::vector<std::string> read_ini_items(std::istream& in);
// The same items, each with the line it begins on (1 for the first), for
// messages that point at a line.
struct IniItem {
  std::string text;
  int line = 0;
};
std::vector<IniItem> read_numbered_ini_items(std::istream& in);

// The five settings as the file gives them.
struct DbIni {
  std::string host, user, password, database, everquest_folder;
};

// Reads host, user, password, database and everquest_folder from the file at
// path, each key matched case-sensitively at the start of an item, the last
// occurrence winning; a missing or unreadable file reads as an empty one.
DbIni read_db_ini(const std::string& path);
// Whether the settings can make a connection: a non-empty host, password and
// database. Otherwise kDbIniInvalidMessage applies and the program ends.
bool db_ini_complete(const DbIni& ini);
// The five settings the items give, matched as read_db_ini matches them.
DbIni db_ini_settings(const std::vector<IniItem>& items);

}  // namespace vl
