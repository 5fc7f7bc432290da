#pragma once
// Journals of older versions kept a row's values as one text: SQL literals
// ('quoted' texts, numbers, NULL) joined by the byte 0x1f, the rows of a
// journal row by 0x1e, and its column names joined by ',', and a run's settings as one line of
// text. Bringing such a journal up to date turns them into values of their own types.

struct sqlite3;

namespace vl::journal {

// Moves every rows.vals into the vals table, rows.cols into a JSON array and
// runs.settings into a JSON object, inside the caller's transaction. Throws JournalError.
void convert_text_values(sqlite3* db);

}  // namespace vl::journal
