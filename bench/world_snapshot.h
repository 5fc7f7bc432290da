#pragma once
// Puts the tables a command writes back the way they were before it ran, so
// that the command and the replay of its statements start from the same world.

#include <string>
#include <vector>

#include "db/odbc.h"

namespace vl::bench {

class WorldSnapshot {
 public:
  // Copies each table into bench_snapshot_<table> over the runner's own
  // connection.
  WorldSnapshot(db::Connection& connection, std::vector<std::string> tables);
  ~WorldSnapshot();
  WorldSnapshot(const WorldSnapshot&) = delete;
  WorldSnapshot& operator=(const WorldSnapshot&) = delete;

  void restore();
  // CHECKSUM TABLE over the tables: equal texts, equal contents.
  std::string checksum();

 private:
  db::Connection& connection_;
  std::vector<std::string> tables_;
};

}  // namespace vl::bench
