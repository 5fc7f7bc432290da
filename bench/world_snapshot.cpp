#include "bench/world_snapshot.h"

namespace vl::bench {
namespace {

std::string copy_of(const std::string& table) { return "bench_snapshot_" + table; }

}  // namespace

WorldSnapshot::WorldSnapshot(db::Connection& connection, std::vector<std::string> tables)
    : connection_(connection), tables_(std::move(tables)) {
  for (const auto& t : tables_) {
    connection_.execute("DROP TABLE IF EXISTS " + copy_of(t));
    connection_.execute("CREATE TABLE " + copy_of(t) + " LIKE " + t);
    connection_.execute("INSERT INTO " + copy_of(t) + " SELECT * FROM " + t);
  }
}

WorldSnapshot::~WorldSnapshot() {
  for (const auto& t : tables_) {
    try {
      connection_.execute("DROP TABLE IF EXISTS " + copy_of(t));
    } catch (const db::Error&) {
      // The server may be gone already; the world is thrown away anyway.
    }
  }
}

void WorldSnapshot::restore() {
  for (const auto& t : tables_) {
    connection_.execute("TRUNCATE TABLE " + t);
    connection_.execute("INSERT INTO " + t + " SELECT * FROM " + copy_of(t));
  }
}

std::string WorldSnapshot::checksum() {
  std::string text;
  for (const auto& t : tables_) {
    db::Recordset rows;
    rows.open("CHECKSUM TABLE " + t, connection_);
    text += t + "=" + rows.field(std::size_t{1}).text() + ";";
  }
  return text;
}

}  // namespace vl::bench
