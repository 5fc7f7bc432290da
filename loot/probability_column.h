#pragma once
// How the world's loottable_entries.probability holds its values, read from its
// layout: a solved probability is written as the column keeps it.

#include "db/odbc.h"
#include "loot/aim_solver.h"

namespace vl::loot {

// Whole numbers where the column is of an integer type; fractions where it is
// FLOAT, DOUBLE or DECIMAL (or anything else that keeps more than whole
// numbers). Throws db::Error, and std::runtime_error naming the column when the
// table has no probability column.
ProbabilityColumn probability_column(db::Connection& connection);

}  // namespace vl::loot
