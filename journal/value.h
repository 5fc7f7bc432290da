#pragma once
// One value of a row the journal keeps, held as itself: NULL, a whole number,
// a real number, or a text of any bytes (NUL, control bytes and bytes that are
// no UTF-8 included). The journal stores each as SQLite's own type, and undo
// builds its statements and comparisons from it, so that what comes back is
// what was written, byte for byte.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "db/loot_tables.h"

namespace vl::journal {

class Value {
 public:
  Value() = default;  // NULL
  explicit Value(std::int64_t number) : held_(number) {}
  explicit Value(double number) : held_(number) {}
  explicit Value(std::string text) : held_(std::move(text)) {}

  // A value of the world as read (nullopt for NULL), taken by the kind of its
  // column: a whole number or a real where the column holds numbers and the
  // text is one, else the text itself.
  static Value of_world(db::ValueKind kind, const std::optional<std::string>& text);

  bool is_null() const { return std::holds_alternative<std::monostate>(held_); }
  const std::int64_t* integer() const { return std::get_if<std::int64_t>(&held_); }
  const double* real() const { return std::get_if<double>(&held_); }
  const std::string* text() const { return std::get_if<std::string>(&held_); }

  // As a statement gets it, whatever the server's sql_mode and character set:
  // NULL, the digits of a whole number, a real with every digit it needs to
  // read back the same, a text as the hexadecimal literal of its bytes.
  std::string sql() const;
  // As the world's text of it reads: the digits, the real's, the text's
  // bytes; "NULL" for NULL. Keys of the world's rows are looked up by it.
  std::string plain() const;
  // For people: a text in single quotes (db::sql_text), the rest as plain().
  std::string shown() const;

  bool operator==(const Value&) const = default;
  bool operator<(const Value& other) const { return held_ < other.held_; }

 private:
  std::variant<std::monostate, std::int64_t, double, std::string> held_;
};

}  // namespace vl::journal
