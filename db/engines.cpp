#include "db/engines.h"

#include "db/sql_literal.h"

namespace vl::db {

std::string table_engines_query(const std::vector<std::string>& tables) {
  return "SELECT t.TABLE_NAME,t.ENGINE,COALESCE(e.TRANSACTIONS,'NO') FROM "
         "information_schema.TABLES t LEFT JOIN information_schema.ENGINES e ON "
         "e.ENGINE=t.ENGINE WHERE t.TABLE_SCHEMA=DATABASE() AND t.TABLE_NAME IN (" +
         sql_texts(tables) + ")";
}

std::string cannot_roll_back(const std::string& table, const std::string& engine) {
  return "Table " + table + " uses the " + engine + " engine, which cannot roll back";
}

}  // namespace vl::db
