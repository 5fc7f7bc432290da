#include "maintenance/world_check.h"

#include <algorithm>
#include <map>
#include <optional>

#include "core/ascii_case.h"
#include "db/database.h"
#include "db/loot_rows.h"
#include "db/loot_tables.h"
#include "db/sql_literal.h"
#include "loot/catalog.h"

namespace vl::maintenance {
namespace {

struct FindingQuery {
  const char* what;
  std::string from;     // FROM and WHERE
  const char* example;  // one row as text
  const char* order;
};

std::string custom_drop_names() {
  std::vector<std::string> names;
  for (const auto& range : loot::kLevelRanges) {
    for (const auto& category : loot::kLootCategories)
      names.push_back("lvl_" + std::string(range.entry) + "_CUSTOM_" + std::string(category.name));
  }
  return db::sql_texts(names);
}

std::vector<FindingQuery> finding_queries() {
  return {
      {"NPCs with loottable 0 (what repair fixes)", "FROM npc_types n WHERE n.loottable_id=0",
       "CONCAT('npc ',n.id,' ',n.name)", "n.id"},
      {"NPCs whose loottable does not exist",
       "FROM npc_types n WHERE n.loottable_id<>0 AND NOT EXISTS "
       "(SELECT 1 FROM loottable t WHERE t.id=n.loottable_id)",
       "CONCAT('npc ',n.id,' -> loottable ',n.loottable_id)", "n.id"},
      {"loottable entries whose lootdrop does not exist",
       "FROM loottable_entries e WHERE NOT EXISTS (SELECT 1 FROM lootdrop d WHERE "
       "d.id=e.lootdrop_id)",
       "CONCAT('loottable ',e.loottable_id,' -> lootdrop ',e.lootdrop_id)",
       "e.loottable_id,e.lootdrop_id"},
      {"lootdrop entries whose lootdrop or item does not exist",
       "FROM lootdrop_entries e WHERE NOT EXISTS (SELECT 1 FROM lootdrop d WHERE "
       "d.id=e.lootdrop_id) "
       "OR NOT EXISTS (SELECT 1 FROM items i WHERE i.id=e.item_id)",
       "CONCAT('lootdrop ',e.lootdrop_id,' item ',e.item_id)", "e.lootdrop_id,e.item_id"},
      {"lootdrops without entries",
       "FROM lootdrop d WHERE NOT EXISTS (SELECT 1 FROM lootdrop_entries e WHERE "
       "e.lootdrop_id=d.id)",
       "CONCAT('lootdrop ',d.id,' ',d.name)", "d.id"},
      {"custom drops that no loottable links",
       "FROM lootdrop d WHERE d.name IN (" + custom_drop_names() +
           ") AND NOT EXISTS (SELECT 1 FROM loottable_entries e WHERE e.lootdrop_id=d.id)",
       "CONCAT('lootdrop ',d.id,' ',d.name)", "d.id"},
  };
}

std::vector<std::vector<std::string>> rows_of(db::Session& state, const std::string& sql) {
  db::Recordset rows;
  rows.open(sql, *state.db_connection);
  auto out = rows.remaining_texts();
  rows.close();
  return out;
}

// The whole number the query's first field holds; nullopt for NULL or no whole number.
std::optional<long long> number_of(db::Session& state, const std::string& sql) {
  db::Recordset rows;
  rows.open(sql, *state.db_connection);
  return rows.field(std::size_t{0}).as<long long>();
}

long long count_of(db::Session& state, const std::string& sql) {
  return number_of(state, sql).value_or(0);
}

Finding find(db::Session& state, const FindingQuery& query) {
  Finding finding;
  finding.what = query.what;
  try {
    finding.count = count_of(state, "SELECT COUNT(*) " + query.from);
    for (const auto& row :
         rows_of(state, std::string("SELECT ") + query.example + " " + query.from + " ORDER BY " +
                            query.order + " LIMIT " + std::to_string(kExamplesPerFinding))) {
      finding.examples.push_back(row[0]);
    }
  } catch (const db::Error& error) {
    finding.error = error.what();
  }
  return finding;
}

}  // namespace

bool CheckReport::clean() const {
  return std::all_of(findings.begin(), findings.end(),
                     [](const Finding& f) { return f.count == 0 && f.error.empty(); }) &&
         std::all_of(layouts.begin(), layouts.end(), [](const LayoutFit& l) { return l.fits; }) &&
         (!cluster || cluster->problems.empty());
}

LayoutFit compare_layout(const WindowTable& expected, const std::vector<std::string>& columns) {
  LayoutFit fit;
  fit.table = expected.table->name;
  std::vector<std::string_view> wanted;
  for (const db::TableColumn& column : expected.table->columns) wanted.push_back(column.name);
  if (columns.empty()) {
    fit.differences.push_back("the table does not exist: every statement on it fails");
    return fit;
  }
  if (columns.size() != wanted.size()) {
    std::string extra, missing;
    for (const auto& c : columns) {
      if (std::find(wanted.begin(), wanted.end(), ascii_lower(c)) == wanted.end()) extra += " " + c;
    }
    for (const auto& w : wanted) {
      if (std::find_if(columns.begin(), columns.end(), [&](const std::string& c) {
            return ascii_lower(c) == w;
          }) == columns.end()) {
        missing += " " + std::string(w);
      }
    }
    fit.differences.push_back(std::to_string(columns.size()) + " columns where the window gives " +
                              std::to_string(wanted.size()) + " values" +
                              (extra.empty() ? "" : "; extra:" + extra) +
                              (missing.empty() ? "" : "; missing:" + missing) + ": " +
                              std::string(expected.when_counts_differ));
    return fit;
  }
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    if (ascii_lower(columns[i]) != wanted[i]) {
      fit.differences.push_back("the value for " + std::string(wanted[i]) + " lands silently in " +
                                columns[i]);
    }
  }
  fit.fits = fit.differences.empty();
  return fit;
}

CheckReport check_world(db::Session& state) {
  CheckReport report;
  db::open_database(state);
  for (const FindingQuery& query : finding_queries()) report.findings.push_back(find(state, query));

  std::vector<std::string> tables;
  tables.reserve(kWindowLayout.size());
  for (const WindowTable& table : kWindowLayout) tables.emplace_back(table.table->name);
  std::map<std::string, std::vector<std::string>> columns;
  for (const auto& row :
       rows_of(state,
               "SELECT LOWER(table_name),column_name FROM information_schema.columns "
               "WHERE table_schema=DATABASE() AND LOWER(table_name) IN (" +
                   db::sql_texts(tables) + ") ORDER BY table_name,ordinal_position")) {
    columns[row[0]].push_back(row[1]);
  }
  // A server that tells table names apart by case (the default on Linux) finds
  // none of the tables the repair names in capitals.
  const bool names_by_case = number_of(state, "SELECT @@lower_case_table_names") == 0;
  for (const WindowTable& table : kWindowLayout) {
    LayoutFit fit = compare_layout(table, columns[std::string(table.table->name)]);
    if (names_by_case) {
      fit.fits = false;
      fit.differences.push_back(
          "the server tells table names apart by case (lower_case_table_names=0): the repair's "
          "INSERT INTO " +
          db::repair_table_name(*table.table) + " is rejected");
    }
    report.layouts.push_back(std::move(fit));
  }
  std::vector<std::string> loot_tables;
  for (const db::LootTable* table : db::kLootTables) loot_tables.emplace_back(table->name);
  loot_tables.emplace_back(db::kNpcLoottableColumns.name);  // --isolate-shared moves NPCs
  report.cluster = db::cluster_status(*state.db_connection, loot_tables);
  state.db_connection->close();
  return report;
}

}  // namespace vl::maintenance
