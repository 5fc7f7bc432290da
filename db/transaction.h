#pragma once
// One transaction on one connection: begun, then committed or rolled back, and
// rolled back when it goes out of scope unfinished (a write that ends by an
// exception leaves nothing half done behind on a connection that lives on).

#include <functional>
#include <string>

#include "db/odbc.h"

namespace vl::db {

// The connection was lost while COMMIT was on its way: the server may have
// committed the transaction or not, and only reading the world again tells.
// what() is the driver's text.
class CommitUnknown : public Error {
 public:
  explicit CommitUnknown(const Error& lost)
      : Error(lost.what(), lost.sqlstate(), lost.native_error()) {}
};

inline constexpr const char* kStartTransaction = "START TRANSACTION";

// Hears of each statement the transaction is about to send.
using TransactionSent = std::function<void(const std::string& sql)>;

class Transaction {
 public:
  explicit Transaction(Connection& connection, TransactionSent sent = {})
      : connection_(connection), sent_(std::move(sent)) {}
  // Rolls back a transaction begun and neither committed nor rolled back,
  // unless the connection is lost (the server rolls it back itself then).
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Sends START TRANSACTION. Throws Error.
  void begin();
  // Sends COMMIT. A refused COMMIT is rolled back and its Error thrown; a
  // connection lost during it throws CommitUnknown.
  void commit();
  // Sends ROLLBACK; a failure is passed over, for a server rolls back the
  // transaction of a connection that ends. Harmless without a transaction.
  void rollback();

  // Begun, and neither committed nor rolled back yet.
  bool pending() const { return pending_; }

 private:
  void send(const std::string& sql);

  Connection& connection_;
  TransactionSent sent_;
  bool pending_ = false;
};

}  // namespace vl::db
