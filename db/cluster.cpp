#include "db/cluster.h"

#include <chrono>
#include <random>
#include <thread>

#include "db/sql_literal.h"

namespace vl::db {
namespace {

constexpr std::int32_t kDeadlock = 1213, kDuplicateKey = 1062;

std::vector<std::vector<std::string>> rows_of(Connection& connection, const std::string& sql,
                                              const std::function<void(const std::string&)>& sent) {
  if (sent) sent(sql);
  Recordset rows;
  rows.open(sql, connection);
  return rows.remaining_texts();
}

}  // namespace

bool on_cluster(Connection& connection, const std::function<void(const std::string&)>& sent) {
  if (connection.cluster) return *connection.cluster;
  bool on = false;
  try {
    const auto rows = rows_of(connection, kClusterQuery, sent);
    on = !rows.empty() && rows[0][0] == "1";
  } catch (const Error& error) {
    // A server built without the cluster's variables is no node of one.
    if (connection_lost(error)) throw;
  }
  if (on) {
    if (sent) sent(kClusterReadsSeeAll);
    connection.execute(kClusterReadsSeeAll);
  }
  connection.cluster = on;
  return on;
}

std::vector<std::string> cluster_table_problems(
    Connection& connection, const std::vector<std::string>& tables,
    const std::function<void(const std::string&)>& sent) {
  std::vector<std::string> problems;
  const std::string sql =
      "SELECT t.TABLE_NAME,t.ENGINE,COUNT(c.CONSTRAINT_NAME) FROM information_schema.TABLES t "
      "LEFT JOIN information_schema.TABLE_CONSTRAINTS c ON c.TABLE_SCHEMA=t.TABLE_SCHEMA AND "
      "c.TABLE_NAME=t.TABLE_NAME AND c.CONSTRAINT_TYPE='PRIMARY KEY' WHERE "
      "t.TABLE_SCHEMA=DATABASE() AND t.TABLE_NAME IN (" +
      sql_texts(tables) + ") GROUP BY t.TABLE_NAME,t.ENGINE ORDER BY t.TABLE_NAME";
  for (const auto& row : rows_of(connection, sql, sent)) {
    if (row[1] != "InnoDB") {
      problems.push_back("Table " + row[0] + " uses the " + row[1] +
                         " engine, which the cluster does not replicate: only InnoDB tables "
                         "are kept the same on every node.");
    }
    if (row[2] == "0") {
      problems.push_back("Table " + row[0] +
                         " has no primary key, which the cluster needs to replicate its rows.");
    }
  }
  return problems;
}

std::optional<ClusterStatus> cluster_status(Connection& connection,
                                            const std::vector<std::string>& tables) {
  if (!on_cluster(connection)) return std::nullopt;
  ClusterStatus status;
  for (const auto& row : rows_of(connection,
                                 "SELECT VARIABLE_NAME,VARIABLE_VALUE FROM "
                                 "information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME IN "
                                 "('WSREP_CLUSTER_SIZE','WSREP_LOCAL_STATE_COMMENT')",
                                 {})) {
    if (row[0] == "WSREP_CLUSTER_SIZE") status.nodes = std::stoll(row[1]);
    if (row[0] == "WSREP_LOCAL_STATE_COMMENT") status.state = row[1];
  }
  status.sync_wait = std::stoll(rows_of(connection, "SELECT @@GLOBAL.wsrep_sync_wait", {})[0][0]);
  status.problems = cluster_table_problems(connection, tables);
  return status;
}

void wait_before_retry(int conflicts) {
  static thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<int> milliseconds(10, 10 + 50 * conflicts);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds(random)));
}

bool lost_to_other_writer(const Error& error) {
  return error.native_error() == kDeadlock || error.native_error() == kDuplicateKey;
}

}  // namespace vl::db
