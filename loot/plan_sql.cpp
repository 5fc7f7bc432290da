#include "loot/plan_sql.h"

#include <algorithm>

#include "core/numeric_text.h"
#include "db/sql_literal.h"

namespace vl::loot {
namespace {

// Well below the client's and the server's default packet limits.
constexpr std::size_t kScriptStatementBytes = 256 * 1024;

// Collects rows behind one head until the next row would pass the limit.
// flush() sends the rest; the statement callback may throw.
class Batcher {
 public:
  Batcher(std::string head, std::size_t max_bytes,
          const std::function<void(const std::string&)>& statement)
      : head_(std::move(head)), max_bytes_(max_bytes), statement_(statement) {}

  void add(const std::string& row) {
    if (!sql_.empty() && sql_.size() + 1 + row.size() > max_bytes_) flush();
    sql_ += sql_.empty() ? head_ : ",";
    sql_ += row;
  }
  void flush() {
    if (sql_.empty()) return;
    statement_(sql_);
    sql_.clear();
  }

 private:
  std::string head_;
  std::size_t max_bytes_;
  const std::function<void(const std::string&)>& statement_;
  std::string sql_;
};

}  // namespace

std::string sql_text(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

void for_each_plan_insert(const Plan& plan, std::size_t max_bytes,
                          const std::function<void(const std::string&)>& statement,
                          std::string (*text)(const std::string&)) {
  const std::string name = text(plan.drop_name);
  Batcher drops("INSERT INTO lootdrop (id,name) VALUES ", max_bytes, statement);
  for (const PlannedDrop& drop : plan.drops) {
    drops.add("(" + std::to_string(drop.lootdrop_id) + "," + name + ")");
  }
  drops.flush();

  Batcher entries(
      "INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_item,chance,"
      "minlevel,maxlevel,multiplier) VALUES ",
      max_bytes, statement);
  const std::string entry_tail = ",1,1," + number_text(plan.settings.chance) + ",0,127,1)";
  for (const PlannedDrop& drop : plan.drops) {
    const std::string head = "(" + std::to_string(drop.lootdrop_id) + ",";
    for (const std::int32_t item : drop.item_ids) {
      entries.add(head + std::to_string(item) + entry_tail);
    }
  }
  entries.flush();

  Batcher links(
      "INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,probability,droplimit,"
      "mindrop) VALUES ",
      max_bytes, statement);
  const std::string tail = ",1," + number_text(plan.settings.probability) + ",1,0)";
  for (const PlannedDrop& drop : plan.drops) {
    links.add("(" + std::to_string(drop.loottable_id) + "," + std::to_string(drop.lootdrop_id) +
              tail);
  }
  links.flush();
}

void write_plan_script(std::ostream& out, const Plan& plan, const std::string& comment) {
  std::size_t start = 0;
  while (start <= comment.size()) {
    const std::size_t end = std::min(comment.find('\n', start), comment.size());
    out << "-- " << comment.substr(start, end - start) << "\n";
    start = end + 1;
  }
  const std::string seen = db::integer_literal(plan.highest_lootdrop_id).value_or("0");
  out << "START TRANSACTION;\n"
         "DELIMITER //\n"
         "BEGIN NOT ATOMIC\n"
         "  DECLARE highest BIGINT;\n"
         "  SET @vandril_plan_passed = 0;\n"
         "  SELECT COALESCE(MAX(id),0) INTO highest FROM lootdrop FOR UPDATE;\n"
         "  IF highest <> "
      << seen
      << " THEN\n"
         "    ROLLBACK;\n"
         "    SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'The highest lootdrop id is no longer "
      << seen
      << ": the lootdrops were planned on another state of the world. Nothing was written.';\n"
         "  END IF;\n"
         "  SET @vandril_plan_passed = 1;\n"
         "END//\n";
  const auto hex = [](const std::string& text) { return db::hex_literal(text); };
  for_each_plan_insert(
      plan, kScriptStatementBytes,
      [&out](const std::string& sql) {
        out << "BEGIN NOT ATOMIC\n"
               "  DECLARE EXIT HANDLER FOR SQLEXCEPTION\n"
               "    BEGIN SET @vandril_plan_passed = 0; ROLLBACK; RESIGNAL; END;\n"
               "  IF @vandril_plan_passed = 1 THEN\n    "
            << sql << ";\n  END IF;\nEND//\n";
      },
      +hex);
  out << "BEGIN NOT ATOMIC\n"
         "  IF @vandril_plan_passed = 1 THEN COMMIT; ELSE ROLLBACK; END IF;\n"
         "END//\n"
         "DELIMITER ;\n";
}

}  // namespace vl::loot
