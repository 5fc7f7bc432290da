#include "db/odbc.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>

#include "db/exact_number.h"

namespace vl::db {
namespace {

// The driver manager's environment: one for the process, made on first use.
SQLHENV environment() {
  static SQLHENV env = [] {
    SQLHENV handle = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) {
      throw Error("The ODBC driver manager could not be initialised.", "HY000", 0);
    }
    SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return handle;
  }();
  return env;
}

// All diagnostic records of a handle, joined; the first record's state and code.
Error diagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* fallback) {
  std::string text;
  std::string first_state;
  SQLINTEGER first_native = 0;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(type, handle, record, state, &native, message,
                                 static_cast<SQLSMALLINT>(sizeof message), &length);
    if (!SQL_SUCCEEDED(rc)) break;
    if (record == 1) {
      first_state = reinterpret_cast<const char*>(state);
      first_native = native;
    } else {
      text += "\n";
    }
    text += reinterpret_cast<const char*>(message);
  }
  if (text.empty()) text = fallback;
  return Error(text, first_state, first_native);
}

// A statement handle freed on every way out.
class Statement {
 public:
  explicit Statement(void* dbc) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt_))) {
      throw diagnostics(SQL_HANDLE_DBC, dbc, "A statement could not be allocated.");
    }
  }
  ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void exec_direct(const std::string& sql) {
    SQLRETURN rc = SQLExecDirect(stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                                 static_cast<SQLINTEGER>(sql.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) fail("The statement failed.");
  }
  [[noreturn]] void fail(const char* fallback) {
    throw diagnostics(SQL_HANDLE_STMT, stmt_, fallback);
  }
  SQLHSTMT get() const { return stmt_; }

 private:
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

bool same_name(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Reads one field as text; SQL NULL gives an empty Value.
Value read_field(Statement& stmt, SQLUSMALLINT column) {
  std::string text;
  char buffer[512];
  for (;;) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) stmt.fail("A field could not be read.");
    if (indicator == SQL_NULL_DATA) return Value();
    if (rc == SQL_SUCCESS_WITH_INFO &&
        (indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof buffer))) {
      text.append(buffer, sizeof buffer - 1);  // truncated piece; the rest follows
      continue;
    }
    text.append(buffer, static_cast<std::size_t>(indicator));
    break;
  }
  return Value(std::move(text));
}

}  // namespace

bool connection_lost(const Error& error) {
  // 2006: server has gone away; 2013: lost connection during query.
  return error.sqlstate() == "08S01" || error.sqlstate() == "08003" ||
         error.native_error() == 2006 || error.native_error() == 2013;
}

namespace {

// The number a field's text is, if it is wholly one: an integer as the widest
// integer that holds it, else a double. Only digits, signs, "." and an
// exponent count, so that a text such as "nan" or "inf" stays text.
std::variant<std::monostate, std::int64_t, std::uint64_t, double> number_of(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string_view::npos)
    return {};
  if (const auto whole = exact_number<std::int64_t>(text)) return *whole;
  if (const auto whole = exact_number<std::uint64_t>(text)) return *whole;
  if (const auto real = exact_number<double>(text)) return *real;
  return {};
}

}  // namespace

Value::Value(std::string text) : text_(std::move(text)), number_(number_of(*text_)) {}

const std::string& Value::text() const {
  static const std::string empty;
  return text_ ? *text_ : empty;
}

Connection::Connection(const std::string& connection_string) {
  SQLHDBC dbc = SQL_NULL_HDBC;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment(), &dbc))) {
    throw Error("A connection could not be allocated.", "HY000", 0);
  }
  SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
  SQLSMALLINT out_length = 0;
  SQLRETURN rc = SQLDriverConnect(
      dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connection_string.c_str())),
      static_cast<SQLSMALLINT>(connection_string.size()), nullptr, 0, &out_length,
      SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    Error error = diagnostics(SQL_HANDLE_DBC, dbc, "The connection could not be opened.");
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    throw error;
  }
  dbc_ = dbc;
  open_ = true;
}

Connection::~Connection() {
  close();
  if (dbc_) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
}

bool Connection::is_open() const { return open_; }

void Connection::close() {
  if (!open_) return;
  SQLDisconnect(dbc_);
  open_ = false;
}

void Connection::execute(const std::string& sql, std::optional<std::size_t> announced) {
  if (!open_) throw UsageError("The connection to the database is closed.");
  observed(
      sql,
      [&] {
        Statement stmt(dbc_);
        stmt.exec_direct(sql);
      },
      announced);
}

void Recordset::open(const std::string& sql, Connection& connection) {
  close();
  if (!connection.is_open()) throw UsageError("The connection to the database is closed.");
  connection.observed(sql, [&] { fetch_all(sql, connection); });
}

void Recordset::fetch_all(const std::string& sql, Connection& connection) {
  Statement stmt(connection.handle());
  stmt.exec_direct(sql);

  SQLSMALLINT column_count = 0;
  if (!SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &column_count))) stmt.fail("No result.");
  std::vector<std::string> columns;
  for (SQLUSMALLINT c = 1; c <= column_count; ++c) {
    SQLCHAR name[256] = {};
    SQLSMALLINT name_length = 0, data_type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    SQLDescribeCol(stmt.get(), c, name, sizeof name, &name_length, &data_type, &size, &digits,
                   &nullable);
    columns.emplace_back(reinterpret_cast<const char*>(name));
  }
  std::vector<std::vector<Value>> rows;
  for (;;) {
    SQLRETURN rc = SQLFetch(stmt.get());
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) stmt.fail("A row could not be fetched.");
    std::vector<Value> row;
    row.reserve(columns.size());
    for (SQLUSMALLINT c = 1; c <= column_count; ++c) row.push_back(read_field(stmt, c));
    rows.push_back(std::move(row));
  }
  columns_ = std::move(columns);
  rows_ = std::move(rows);
  position_ = 0;
  open_ = true;
}

void for_each_row(Connection& connection, const std::string& sql,
                  const std::function<void(const std::vector<Value>& row)>& row) {
  if (!connection.is_open()) throw UsageError("The connection to the database is closed.");
  connection.observed(sql, [&] {
    Statement stmt(connection.handle());
    stmt.exec_direct(sql);
    SQLSMALLINT column_count = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &column_count))) stmt.fail("No result.");
    std::vector<Value> values;
    for (;;) {
      const SQLRETURN rc = SQLFetch(stmt.get());
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) stmt.fail("A row could not be fetched.");
      values.clear();
      for (SQLUSMALLINT c = 1; c <= column_count; ++c) values.push_back(read_field(stmt, c));
      row(values);
    }
  });
}

void Recordset::close() {
  open_ = false;
  columns_.clear();
  rows_.clear();
  position_ = 0;
}

std::int32_t Recordset::record_count() const {
  if (!open_) throw UsageError("The result set is closed.");
  return static_cast<std::int32_t>(rows_.size());
}

void Recordset::move_first() {
  if (!open_) throw UsageError("The result set is closed.");
  position_ = 0;
}

void Recordset::move_next() {
  if (!open_) throw UsageError("The result set is closed.");
  if (position_ >= rows_.size()) throw UsageError("There is no current row.");
  ++position_;
}

bool Recordset::eof() const {
  if (!open_) throw UsageError("The result set is closed.");
  return position_ >= rows_.size();
}

const std::vector<Value>& Recordset::current_row() const {
  if (!open_) throw UsageError("The result set is closed.");
  if (position_ >= rows_.size()) throw UsageError("There is no current row.");
  return rows_[position_];
}

const Value& Recordset::field(std::size_t position) const {
  const auto& row = current_row();
  if (position >= row.size()) throw UsageError("No such column in the result.");
  return row[position];
}

const Value& Recordset::field(std::string_view name) const {
  const auto& row = current_row();
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (same_name(columns_[c], name)) return row[c];
  }
  throw UsageError("No column named " + std::string(name) + " in the result.");
}

std::vector<std::vector<std::string>> Recordset::remaining_texts() {
  std::vector<std::vector<std::string>> texts;
  for (; !eof(); move_next()) {
    auto& row = texts.emplace_back();
    for (std::size_t c = 0; c < column_count(); ++c) row.push_back(field(c).text());
  }
  return texts;
}

}  // namespace vl::db
