#pragma once
// A small RAII layer over the ODBC API: a connection and a result set that is
// fetched whole to the client, as the program's commands expect.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace vl::db {

// A failure reported by the driver or the server. what() is the diagnostic
// text as the driver gives it (the server's own message included).
class Error : public std::runtime_error {
 public:
  Error(const std::string& text, std::string sqlstate, std::int32_t native_error)
      : std::runtime_error(text), sqlstate_(std::move(sqlstate)), native_error_(native_error) {}
  const std::string& sqlstate() const { return sqlstate_; }
  std::int32_t native_error() const { return native_error_; }

 private:
  std::string sqlstate_;
  std::int32_t native_error_;
};

// A statement its gate kept from being sent for a reason of the program's own
// (the journal could not be written ahead of it): the server never saw it, and
// what() is the whole message for the operator.
class StatementWithheld : public Error {
 public:
  explicit StatementWithheld(const std::string& message) : Error(message, "HY000", 0) {}
};

// Whether the error says the connection to the server is gone.
bool connection_lost(const Error& error);

// A mistake in the program's own use of this layer (a closed connection or
// result set, no current row, no such column): never the server's doing, so
// never shown as a rejected statement.
class UsageError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// One field of a fetched row: its text as the server wrote it, or SQL NULL,
// and the number that text is, read once as it is fetched.
class Value {
 public:
  Value() = default;
  explicit Value(std::string text);
  bool is_null() const { return !text_.has_value(); }
  // The text of the value; "" for NULL.
  const std::string& text() const;

  // The value as a number of the type asked for (an integer type or double):
  // nullopt for NULL, for a text that is not wholly a number ("12abc", "",
  // " 12"), for a fraction asked as an integer and for an integer out of the
  // type's range (UNSIGNED BIGINT's largest as std::int64_t).
  template <typename Number>
  std::optional<Number> as() const;

 private:
  std::optional<std::string> text_;
  std::variant<std::monostate, std::int64_t, std::uint64_t, double> number_;
};

template <typename Number>
std::optional<Number> Value::as() const {
  static_assert(std::is_arithmetic_v<Number> && !std::is_same_v<Number, bool>);
  return std::visit(
      [](const auto& number) -> std::optional<Number> {
        using Held = std::decay_t<decltype(number)>;
        // NULL and a fraction both give none, for reasons of their own.
        // NOLINTNEXTLINE(bugprone-branch-clone)
        if constexpr (std::is_same_v<Held, std::monostate>) {
          return std::nullopt;
        } else if constexpr (std::is_floating_point_v<Number>) {
          return static_cast<Number>(number);
        } else if constexpr (std::is_floating_point_v<Held>) {
          return std::nullopt;  // a fraction, or a whole number too large for any integer
        } else {
          if (!std::in_range<Number>(number)) return std::nullopt;
          return static_cast<Number>(number);
        }
      },
      number_);
}

// Told of each statement once the server has answered it: its text, how long
// it took (rows fetched included) and whether it succeeded. It watches only;
// the command line uses it to log and count what a command sent.
using StatementObserver =
    std::function<void(const std::string& sql, std::chrono::nanoseconds took, bool succeeded)>;

// Told of each statement before it is sent, with its place among the
// statements announced last (db::announce_statements) when it is one of them.
// It may throw (StatementWithheld) to keep the statement from being sent: the
// command line writes its journal here.
using StatementGate =
    std::function<void(const std::string& sql, std::optional<std::size_t> announced)>;

class Connection {
 public:
  // Connects with the connection string exactly as given. Throws Error.
  explicit Connection(const std::string& connection_string);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool is_open() const;
  // A statement failed because the server went away.
  bool lost() const { return lost_; }
  // Runs a statement that returns no rows; any result is discarded unread.
  // `announced`: its place among the statements announced last. Throws Error;
  // UsageError when the connection is closed.
  void execute(const std::string& sql, std::optional<std::size_t> announced = std::nullopt);
  void close();

  void set_observer(StatementObserver observer) { observer_ = std::move(observer); }
  void set_gate(StatementGate gate) { gate_ = std::move(gate); }
  // Runs `run` (the statement `sql` on this connection) once the gate let it
  // pass, and tells the observer.
  template <typename Run>
  void observed(const std::string& sql, Run&& run,
                std::optional<std::size_t> announced = std::nullopt);

  // The raw handle, for the result set.
  void* handle() const { return dbc_; }

  // Whether the server is a node of a cluster, once asked (db/cluster.h).
  std::optional<bool> cluster;

 private:
  void* dbc_ = nullptr;
  bool open_ = false;
  bool lost_ = false;
  StatementObserver observer_;
  StatementGate gate_;
};

template <typename Run>
void Connection::observed(const std::string& sql, Run&& run, std::optional<std::size_t> announced) {
  if (gate_) gate_(sql, announced);
  const auto start = std::chrono::steady_clock::now();
  try {
    run();
  } catch (const Error& error) {
    lost_ = lost_ || connection_lost(error);
    if (observer_) observer_(sql, std::chrono::steady_clock::now() - start, false);
    throw;
  }
  if (!observer_) return;
  observer_(sql, std::chrono::steady_clock::now() - start, true);
}

// Runs the SELECT over the connection and hands each row to `row` as it is
// fetched, keeping none: for reads too large to hold whole as a result set.
// Throws Error (also what `row` throws); UsageError when the connection is closed.
void for_each_row(Connection& connection, const std::string& sql,
                  const std::function<void(const std::vector<Value>& row)>& row);

class Recordset {
 public:
  Recordset() = default;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // Runs the SELECT over the connection and fetches every row at once. Stands
  // on the first row if there is one. Throws Error (the set is closed then);
  // UsageError when the connection is closed.
  void open(const std::string& sql, Connection& connection);
  bool is_open() const { return open_; }
  void close();

  std::int32_t record_count() const;  // exact row count
  std::size_t column_count() const { return columns_.size(); }
  void move_first();
  void move_next();
  bool eof() const;  // past the last row (or no rows)
  // Every row from the current one on, each field's text ("" for NULL); the
  // set then stands past the last row.
  std::vector<std::vector<std::string>> remaining_texts();

  // Field of the current row by position (0 first) or by column name
  // (compared without regard to case). Throws UsageError when the set is
  // closed or there is no current row or no such column.
  const Value& field(std::size_t position) const;
  const Value& field(std::string_view name) const;
  const std::string& column_name(std::size_t position) const { return columns_.at(position); }

 private:
  void fetch_all(const std::string& sql, Connection& connection);
  const std::vector<Value>& current_row() const;

  bool open_ = false;
  std::vector<std::string> columns_;
  std::vector<std::vector<Value>> rows_;
  std::size_t position_ = 0;
};

}  // namespace vl::db
