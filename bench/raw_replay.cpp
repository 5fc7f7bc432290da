#include "bench/raw_replay.h"

#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <memory>
#include <stdexcept>

namespace vl::bench {
namespace {

SQLHENV environment() {
  static SQLHENV env = [] {
    SQLHENV handle = SQL_NULL_HENV;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle);
    SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return handle;
  }();
  return env;
}

[[noreturn]] void fail(SQLSMALLINT type, SQLHANDLE handle, const std::string& what) {
  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
  SQLSMALLINT length = 0;
  SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
  throw std::runtime_error(what + ": " + reinterpret_cast<const char*>(message));
}

class RawConnection {
 public:
  RawConnection() { SQLAllocHandle(SQL_HANDLE_DBC, environment(), &dbc_); }
  ~RawConnection() {
    disconnect();
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  void connect(const std::string& connection_string) {
    disconnect();
    SQLSMALLINT out_length = 0;
    const SQLRETURN rc = SQLDriverConnect(
        dbc_, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connection_string.c_str())),
        static_cast<SQLSMALLINT>(connection_string.size()), nullptr, 0, &out_length,
        SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) fail(SQL_HANDLE_DBC, dbc_, "connect");
    connected_ = true;
  }

  void disconnect() {
    if (connected_) SQLDisconnect(dbc_);
    connected_ = false;
  }

  // Runs the statement and fetches every row; returns the first field of the
  // first row (or "").
  std::string run(const std::string& sql) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt))) {
      fail(SQL_HANDLE_DBC, dbc_, "statement handle");
    }
    std::string first;
    const SQLRETURN rc =
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                      static_cast<SQLINTEGER>(sql.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
      try {
        fail(SQL_HANDLE_STMT, stmt, sql);
      } catch (...) {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        throw;
      }
    }
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    if (columns > 0) {
      char buffer[512];
      bool first_row = true;
      while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
          SQLLEN indicator = 0;
          while (SQLGetData(stmt, c, SQL_C_CHAR, buffer, sizeof buffer, &indicator) ==
                 SQL_SUCCESS_WITH_INFO) {
          }
          if (first_row && c == 1 && indicator >= 0) first.assign(buffer);
        }
        first_row = false;
      }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return first;
  }

 private:
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

}  // namespace

std::vector<std::string> driver_preamble(const std::string& connection_string,
                                         const std::string& log_path) {
  const std::uint64_t mark = log_size(log_path);
  long long id = 0;
  {
    RawConnection connection;
    connection.connect(connection_string);
    id = std::stoll(connection.run("SELECT CONNECTION_ID()"));
  }
  std::vector<std::string> texts = statements_of(read_log(log_path, mark), id);
  if (texts.empty() || texts.back() != "SELECT CONNECTION_ID()") {
    throw std::runtime_error("the general log does not show the probe connection");
  }
  texts.pop_back();
  return texts;
}

double replay(const Script& script, const std::string& connection_string, bool close_last) {
  std::unique_ptr<RawConnection> connection;
  const auto start = std::chrono::steady_clock::now();
  for (const auto& session : script.sessions) {
    connection.reset();  // disconnects the previous session first
    connection = std::make_unique<RawConnection>();
    connection->connect(connection_string);
    for (const auto& sql : session.statements) connection->run(sql);
  }
  if (close_last && connection) connection->disconnect();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace vl::bench
