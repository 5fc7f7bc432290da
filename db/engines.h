#pragma once
// Whether the tables a transaction writes can roll back: an engine without
// transactions (MyISAM) keeps every statement the moment it runs.

#include <string>
#include <vector>

namespace vl::db {

// A query giving, for each of `tables` in the current database, its name, its
// engine and "YES" when that engine rolls back transactions.
std::string table_engines_query(const std::vector<std::string>& tables);

// "Table T uses the E engine, which cannot roll back".
std::string cannot_roll_back(const std::string& table, const std::string& engine);

}  // namespace vl::db
