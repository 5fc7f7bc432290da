#pragma once
// The journal's tables: made in a new journal, brought up to date in one of an
// older version.

#include <string>

struct sqlite3;

namespace vl::journal {

// Runs `sql` (statements separated by ';'). Throws JournalError.
void exec_sql(sqlite3* db, const std::string& sql);

// Whether the tables are those of this version (only read).
bool up_to_date(sqlite3* db);

// Makes the tables, or brings older ones up to date. Throws JournalError.
void bring_up_to_date(sqlite3* db);

}  // namespace vl::journal
