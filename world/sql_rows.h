#pragma once
// Multi-row INSERT statements, a few hundred rows each: the server loads them
// far faster than one statement per row, and each stays well below the
// server's packet limit. Every row stands on a line of its own, and only the
// last line of a statement ends in ";", so a loader may split statements at
// lines that end in ";".

#include <ostream>
#include <string>
#include <string_view>

namespace vl::world {

inline void append_value(std::string& out, long long number) { out += std::to_string(number); }
inline void append_value(std::string& out, int number) { out += std::to_string(number); }

inline void append_value(std::string& out, std::string_view text) {
  out += '\'';
  for (char c : text) {
    if (c == '\'' || c == '\\') out += c;  // '' and \\ stand for one quote and one backslash
    out += c;
  }
  out += '\'';
}

// "(a,'b',c)" from the values in column order.
template <typename... Values>
std::string row(const Values&... values) {
  std::string out = "(";
  bool first = true;
  ((out += first ? "" : ",", first = false, append_value(out, values)), ...);
  out += ')';
  return out;
}

class BatchedInsert {
 public:
  static constexpr int kRowsPerStatement = 500;

  // head: "INSERT INTO table (col,...) VALUES"
  BatchedInsert(std::ostream& out, std::string head) : out_(out), head_(std::move(head)) {}
  BatchedInsert(const BatchedInsert&) = delete;
  BatchedInsert& operator=(const BatchedInsert&) = delete;
  ~BatchedInsert() { finish(); }

  void add(const std::string& values) {
    if (rows_ == 0) {
      out_ << head_ << '\n';
    } else {
      out_ << ",\n";
    }
    out_ << values;
    if (++rows_ == kRowsPerStatement) finish();
  }

  void finish() {
    if (rows_ > 0) out_ << ";\n";
    rows_ = 0;
  }

 private:
  std::ostream& out_;
  std::string head_;
  int rows_ = 0;
};

}  // namespace vl::world
