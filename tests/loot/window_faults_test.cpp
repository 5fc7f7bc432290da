// The window where it once strayed from its rules: a Test Query whose
// statement is accepted but gives no row, and a run of no items per drop over
// a candidate that is no 32-bit id.

#include "support/scenario.h"

namespace vl::test {
namespace {

const std::string kNpcs = "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,77)";
const std::string kItems =
    "INSERT INTO items (id,name,itemtype,reqlevel,ac) VALUES (1,'banded mail',10,5,3)";

// clang-format off
const Row kRows[] = {
  // The count has no row to be read from: an error while reading the result is
  // a rejected statement's: the caption back, the message, the rules emptied.
  {.name = "TestQueryWithoutARowToReadIsAnErrorInQuery", .seed = {kItems}, .command = Command::test_query,
   .rules = "reqlevel<=10 LIMIT 0",
   .sql = {"SELECT COUNT(id) from items WHERE ( itemtype=10) AND reqlevel<=10 LIMIT 0"}, .connections = 1,
   .messages = {"Error in Query - check the field names and syntax"},
   .trace = Texts{"r3 Working..", "r3 Test Query", "msg rules= AND reqlevel<=10 LIMIT 0"},
   .state = " |  | reqlevel<=10 LIMIT 0", .window = window("11111", "open", ">READY 11210")},
  // No items per drop draws nothing, so a candidate that is no item id stops nothing.
  {.name = "ExecuteOfNoItemsPerDropWritesDropsOverACandidateBeyond32Bits", .seed = {kNpcs}, .item_max = "0",
   .list = "3000000000\r\n",
   .sql = Texts{"SELECT id,loottable_id FROM npc_types WHERE level>=01 AND level<=10"} + drop_sql(77, {}),
   .messages = {"Using Your Custom Item List - [1 items]", "Completed!"},
   .after = "0 / 1:lvl_01-10_CUSTOM_armour / - / - / 77:1:50 / 1:77", .window = window("11110")},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(WindowFaults, Scenario, ::testing::ValuesIn(kRows), scenario_name);

}  // namespace
}  // namespace vl::test
