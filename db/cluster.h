#pragma once
// What a write must know when the world lives on a Galera cluster: whether the
// connection's server is a node of one, the session setting that makes its
// reads see every write the cluster committed, which tables the cluster cannot
// keep whole, and which errors mean another node's writer won a conflict.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/odbc.h"

namespace vl::db {

// Asked of the server once per connection; the answer is kept on the connection.
inline constexpr const char* kClusterQuery = "SELECT @@wsrep_on";
// Reads wait until this node applied every write the cluster committed before them.
inline constexpr const char* kClusterReadsSeeAll = "SET SESSION wsrep_sync_wait=1";

// Whether `connection` talks to a cluster node; the first time, it asks (and
// on a cluster sets kClusterReadsSeeAll). `sent` hears of each statement.
// Throws Error.
bool on_cluster(Connection& connection, const std::function<void(const std::string&)>& sent = {});

// One sentence for each of `tables` (in the connection's database) that a
// cluster cannot replicate whole: an engine other than InnoDB, or no primary
// key. None when all of them can. Throws Error.
std::vector<std::string> cluster_table_problems(
    Connection& connection, const std::vector<std::string>& tables,
    const std::function<void(const std::string&)>& sent = {});

// What the world check tells of a cluster: how many nodes it has now, this
// node's state (Synced when it takes part), the server's wsrep_sync_wait (the
// program's own writes set 1 on their connection) and cluster_table_problems.
struct ClusterStatus {
  long long nodes = 0;
  std::string state;
  long long sync_wait = 0;
  std::vector<std::string> problems;
};
// nullopt when the server is no cluster node. Throws Error.
std::optional<ClusterStatus> cluster_status(Connection& connection,
                                            const std::vector<std::string>& tables);

// How many times a write that lost a conflict to another writer is tried again,
// each after a short random pause (longer after each conflict) so that two
// writers that collided do not collide again at once.
inline constexpr int kConflictRetries = 5;
void wait_before_retry(int conflicts);

// Another writer's transaction won: a certification conflict or deadlock (1213,
// which rolls the whole transaction back on the server) or an id taken
// meanwhile (1062, which undoes only its statement: the writer rolls back).
bool lost_to_other_writer(const Error& error);

}  // namespace vl::db
