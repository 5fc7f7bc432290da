#include "loot/probability_column.h"

#include <algorithm>
#include <stdexcept>

#include "db/loot_tables.h"
#include "db/table_columns.h"

namespace vl::loot {

ProbabilityColumn probability_column(db::Connection& connection) {
  const std::vector<db::Column> columns =
      db::table_columns(connection, std::string(db::kLoottableEntriesTable.name));
  const auto probability = std::find_if(columns.begin(), columns.end(), [](const db::Column& c) {
    std::string name = c.name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return name == "probability";
  });
  if (probability == columns.end())
    throw std::runtime_error("Table loottable_entries has no column probability.");
  return probability->kind == db::ValueKind::integer ? ProbabilityColumn::whole_numbers
                                                     : ProbabilityColumn::fractions;
}

}  // namespace vl::loot
