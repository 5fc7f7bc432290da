#include "loot/plan_sql.h"

#include <algorithm>

#include "core/numeric_text.h"
#include "db/sql_literal.h"

namespace vl::loot {
namespace {

// Well below the client's and the server's default packet limits.
constexpr std::size_t kScriptStatementBytes = std::size_t{256} * 1024;

// The plan's own INSERTs: its lootdrops, their entries, then its loottable
// entries, each table's rows in plan order.
void for_each_plan_insert(const Plan& plan, std::size_t max_bytes,
                          const db::InsertBatcher::Statement& statement, db::TextLiteral text,
                          bool with_rows) {
  db::InsertBatcher drops(db::kLootdropTable, max_bytes, text, statement, with_rows);
  for (const PlannedDrop& drop : plan.drops)
    drops.add(db::LootdropRow{.id = drop.lootdrop_id, .name = plan.drop_name});
  drops.flush();

  db::InsertBatcher entries(db::kLootdropEntriesTable, max_bytes, text, statement, with_rows);
  for (const PlannedDrop& drop : plan.drops) {
    const std::string chance = number_text(drop.chance);
    for (const std::int32_t item : drop.item_ids)
      entries.add(
          db::LootdropEntryRow{.lootdrop_id = drop.lootdrop_id, .item_id = item, .chance = chance});
  }
  entries.flush();

  db::InsertBatcher links(db::kLoottableEntriesTable, max_bytes, text, statement, with_rows);
  for (const PlannedDrop& drop : plan.drops) {
    links.add(db::LoottableEntryRow{.loottable_id = drop.loottable_id,
                                    .lootdrop_id = drop.lootdrop_id,
                                    .probability = number_text(drop.probability)});
  }
  links.flush();
}

// Stops the script before anything is written when the highest id of `table` is no longer `seen`.
void guard_highest(std::ostream& out, const char* table, const std::string& seen) {
  out << "  SELECT COALESCE(MAX(id),0) INTO highest FROM " << table
      << " FOR UPDATE;\n"
         "  IF highest <> "
      << seen
      << " THEN\n"
         "    ROLLBACK;\n"
         "    SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'The highest "
      << table << " id is no longer " << seen << ": the "
      << (std::string(table) == "lootdrop" ? "lootdrops" : "loottable copies")
      << " were planned on another state of the world. Nothing was written.';\n"
         "  END IF;\n";
}

}  // namespace

void for_each_plan_statement(const Plan& plan, const CopiedRows& copies, std::size_t max_bytes,
                             const db::InsertBatcher::Statement& statement, db::TextLiteral text,
                             bool with_rows) {
  for_each_copy_statement(plan, copies, max_bytes, statement, with_rows);
  for_each_plan_insert(plan, max_bytes, statement, text, with_rows);
}

void write_plan_script(std::ostream& out, const Plan& plan, const std::string& comment,
                       const CopiedRows& copies) {
  std::size_t start = 0;
  while (start <= comment.size()) {
    const std::size_t end = std::min(comment.find('\n', start), comment.size());
    out << "-- " << comment.substr(start, end - start) << "\n";
    start = end + 1;
  }
  out << "START TRANSACTION;\n"
         "DELIMITER //\n"
         "BEGIN NOT ATOMIC\n"
         "  DECLARE highest BIGINT;\n"
         "  SET @vandril_plan_passed = 0;\n";
  guard_highest(out, "lootdrop", db::sql_integer(plan.highest_lootdrop_id.value_or(0)));
  if (plan.isolate_shared)
    guard_highest(out, "loottable", db::sql_integer(plan.highest_loottable_id.value_or(0)));
  out << "  SET @vandril_plan_passed = 1;\n"
         "END//\n";
  const auto guarded = [&out](const std::string& sql, const std::vector<db::LootRow>&) {
    out << "BEGIN NOT ATOMIC\n"
           "  DECLARE EXIT HANDLER FOR SQLEXCEPTION\n"
           "    BEGIN SET @vandril_plan_passed = 0; ROLLBACK; RESIGNAL; END;\n"
           "  IF @vandril_plan_passed = 1 THEN\n    "
        << sql << ";\n  END IF;\nEND//\n";
  };
  for_each_plan_statement(plan, copies, kScriptStatementBytes, guarded, db::hex_literal);
  out << "BEGIN NOT ATOMIC\n"
         "  IF @vandril_plan_passed = 1 THEN COMMIT; ELSE ROLLBACK; END IF;\n"
         "END//\n"
         "DELIMITER ;\n";
}

}  // namespace vl::loot
