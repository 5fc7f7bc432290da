#include "db/transaction.h"

namespace vl::db {

Transaction::~Transaction() {
  if (!pending_ || connection_.lost() || !connection_.is_open()) return;
  try {
    rollback();
  } catch (...) {
    // Nothing may leave a destructor; the server rolls back at the connection's end.
  }
}

void Transaction::send(const std::string& sql) {
  if (sent_) sent_(sql);
  connection_.execute(sql);
}

void Transaction::begin() {
  send(kStartTransaction);
  pending_ = true;
}

void Transaction::commit() {
  try {
    send("COMMIT");
    pending_ = false;
  } catch (const Error& error) {
    if (connection_lost(error)) {
      pending_ = false;
      throw CommitUnknown(error);
    }
    rollback();
    throw;
  }
}

void Transaction::rollback() {
  pending_ = false;
  try {
    send("ROLLBACK");
  } catch (const Error&) {
    // The server rolls back what the connection's end leaves open.
  }
}

}  // namespace vl::db
