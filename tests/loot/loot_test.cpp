// Execute and the rules window's Test Query as rows of the scenario engine; the
// category table, the draws, and the custom list and rules handlers.

#include <cmath>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

#include "app/window/window_loot.h"
#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot/draws.h"
#include "support/recording_ui.h"
#include "support/scenario.h"

namespace vl::test {
namespace {

using namespace std::string_literals;  // texts with NUL characters inside

std::string items(int type, const std::vector<int>& ids) {
  std::string rows;
  for (int id : ids) rows += ",(" + std::to_string(id) + ",'i'," + std::to_string(type) + ")";
  return "INSERT INTO items (id,name,itemtype) VALUES " + rows.substr(1);
}
// NPCs 1.. of level 5, one per loottable given.
std::string npcs(const std::vector<long long>& loottables, int level = 5) {
  std::string rows;
  for (std::size_t i = 0; i < loottables.size(); ++i)
    rows += ",(" + std::to_string(i + 1) + ",'n'," + std::to_string(level) + "," +
            std::to_string(loottables[i]) + ")";
  return "INSERT INTO npc_types (id,name,level,loottable_id) VALUES " + rows.substr(1);
}
// A seed whose first `count` percent rolls satisfy `wanted`.
std::uint64_t seed_for(int count, const std::function<bool(const std::vector<int>&)>& wanted) {
  for (std::uint64_t seed = 1;; ++seed) {
    Random probe(seed);
    std::vector<int> rolls(count);
    for (int& r : rolls) r = static_cast<int>(std::floor(double(probe.next()) * 100)) + 1;
    if (wanted(rolls)) return seed;
  }
}
std::string long_rule() {
  std::string text = "ac>=0";
  while (text.size() < 10000) text += " AND ac>=0";
  return text;
}
const std::string kNpcQuery = "SELECT id,loottable_id FROM npc_types WHERE level>=01 AND level<=10";
const std::string kNothing = "\r\nNothing was written.";
const std::string kOutOfRange = "\" is out of range (-32768 to 32767)." + kNothing;
const std::string kLargest = "340282346638528859811704183484516925440";  // single precision
const std::string kBelow = "-340282366920938463463374607431768211456";
const std::string kLostEntry = "INSERT INTO lootdrop_entries values (3,3001,1,1,10,0,127,1)";
const std::string kQueryError = "Error in Query - check the field names and syntax";
const std::string kListed = window("11110"), kRefused = window("11110", "none");  // Rules off
const std::string kQueried = window("11111", "open", ">READY 11210");
const Texts k77 = {npcs({77})};
const Texts kItems = {
    "INSERT INTO items (id,name,itemtype,reqlevel,ac) VALUES (1,'banded mail',"
    "10,5,3),(2,'mesh coif',10,8,5),(3,'plate helm',10,30,20),(4,'mesh shield',"
    "8,50,25)"};
Texts listed(int n, const std::string& message) {
  return {"Using Your Custom Item List - [" + std::to_string(n) + " items]", message};
}
const Texts kDone = listed(1, "Completed!");
Texts counted(const std::string& rule) {
  return {"SELECT COUNT(id) from items WHERE ( itemtype=10) AND " + rule};
}
Texts passed(int n) { return {"Query Passed: " + std::to_string(n) + " items match criteria"}; }

// clang-format off
const Row kLootRows[] = {
  {.name = "ExecuteWritesOneDropPerLoottable", .seed = {"INSERT INTO lootdrop (id,name) VALUES (5000,'older drop')",
     items(10, {1001, 1002}), items(1, {3001}), npcs({77, 88, 0, 0})}, .item_max = "2",
   .sql = Texts{"SELECT id from items WHERE ( itemtype=10)", kNpcQuery} + drop_sql(77, {"1001", "1002"}, "10", "50", 5001) +
     drop_sql(88, {"1001", "1002"}, "10", "50", 5002),
   .on = "013333344444", .connections = 5, .messages = {"Completed!"},
   .trace = Texts{"Execute (off)", "Show Stats (off)", "lx Generating Items Lists", "rp", "ev", "lx Generating NPC Lists",
     "x2 9800", "lx > 1/4", "x2 10152.5", "ev", "lx > 2/4", "x2 10505", "ev", "lx > 3/4", "x2 10857.5", "ev", "lx > 4/4",
     "x2 11210", "ev", "x2 11210", "lx >Ready", "Execute", "Show Stats", "msg"},
   .after = "3 / 5000:older drop,5001:lvl_01-10_CUSTOM_armour,5002:lvl_01-10_CUSTOM_armour / 5001:1001:10,5001:1002:10,"
     "5002:1001:10,5002:1002:10 / - / 77:5001:50,88:5002:50 / 1:77,2:88,3:0,4:0",
   .journal = Journal::on, .history = "execute completed 8 undoable", .undone = true},
  // The History window's Undo waits for the run in progress.
  {.name = "ExecuteInProgressCannotBeUndone", .seed = {items(10, {1001}), npcs({77, 88})},
   .sql = Texts{"SELECT id from items WHERE ( itemtype=10)", kNpcQuery} + drop_sql(77) + drop_sql(88, {"1001"}, "10",
     "50", 2), .messages = {"Run 1 is still being written (process {pid}); undo it after it ends. Nothing was changed.",
     "Completed!"}, .after = "1 / 1:lvl_01-10_CUSTOM_armour,2:lvl_01-10_CUSTOM_armour / 1:1001:10,2:1001:10 / - / "
     "77:1:50,88:2:50 / 1:77,2:88", .journal = Journal::on,
   .history = "execute completed 6 undoable", .midway = "execute running"},
  // NPC 1 rolls exactly p and fails; NPC 2 shares its loottable and is not tried;
  // NPC 3 has none; NPC 4 fails only if NPC 3 used up a roll; NPC 5 passes.
  {.name = "ExecuteRollsOncePerLoottableStrictlyBelowThePercent", .seed = {npcs({66, 66, 0, 88, 99})}, .perc = "100",
   .chance = "12.7", .probability = "50.5", .item_max = "2", .op = 9, .list = "7\r\n7\r\n7\r\n7\r\n8\r\n7\r\n",
   .random = seed_for(5, [](const auto& r) { return r[0] == 100 && r[1] < 100 && r[2] < 100 && r[3] == 100 && r[4] < 100; }),
   .fault = Fault::journal, .at = 1,  // the journal fails: the statements stay the same
   .sql = Texts{kNpcQuery} + drop_sql(99, {"7", "8"}, "12", "50", 1, "lvl_01-10_CUSTOM_Ales/Drinks"),
   .messages = listed(6, "Completed!"), .window = kListed,  // the journal's state shows in History alone
   .journal = Journal::on, .history = "execute completed, journal incomplete 0 not undoable 6 items"},
  {.name = "ExecuteFloorsThePercent", .seed = {npcs({77, 88, 0})}, .perc = "2.5", .list = "1001\r\n",  // 2 fails, 1 passes
   .random = seed_for(2, [](const auto& r) { return r[0] == 2 && r[1] == 1; }),
   .sql = Texts{kNpcQuery} + drop_sql(88), .messages = kDone, .window = kListed, .journal = Journal::unwritable},
  {.name = "ExecuteTakesAFractionalPercentAsItsWholePart", .seed = {npcs({77, 88})}, .perc = "99.9",
   .list = "1001\r\n", .random = seed_for(2, [](const auto& r) { return r[0] == 99 && r[1] == 98; }),  // 99 fails
   .sql = Texts{kNpcQuery} + drop_sql(88), .messages = kDone, .window = kListed},
  {.name = "ExecuteBelowTwoPercentChoosesNoNpc", .seed = k77, .perc = "1", .list = "1001\r\n", .sql = {kNpcQuery},
   .messages = kDone, .window = kListed},
  {.name = "ExecuteWithoutARangeDoesNothing", .seed = k77, .level = "-10", .list = "1001\r\n",
   .window = window("11110", "none", ">READY 11210")},
  {.name = "ExecuteWithoutNpcsInTheRangeCompletes", .seed = {npcs({77}, 15)}, .list = "2001\r\n2002\r\n2003\r\n",
   .sql = {kNpcQuery}, .messages = listed(3, "Completed!"), .window = kListed},
  // No id: holds no loottable; no loottable: never chosen; more than 32767 NPCs; no items per drop.
  {.name = "ExecuteWalksEveryNpcSkippingNulls", .seed = {"ALTER TABLE npc_types DROP PRIMARY KEY, MODIFY id INT NULL, "
     "MODIFY loottable_id INT UNSIGNED NULL", "INSERT INTO npc_types (id,name,level,loottable_id) VALUES "
     "(NULL,'a',15,5),(40000,'b',15,NULL),(40001,'c',15,5)", [] {
       std::vector<long long> loottables(33000, 0);
       loottables.back() = 9;
       return npcs(loottables, 15);
     }()},
   .level = "11-20", .item_max = "0", .op = 1, .list = "2001\r\n2002\r\n2003\r\n",
   .sql = Texts{"SELECT id,loottable_id FROM npc_types WHERE level>=11 AND level<=20"} +
     drop_sql(5, {}, "", "50", 1, "lvl_11-20_CUSTOM_weapon") + drop_sql(9, {}, "", "50", 2, "lvl_11-20_CUSTOM_weapon"),
   .messages = listed(3, "Completed!"),
   .trace = Texts{"...", "lx > 33003/33003", "x2 11210", "ev", "x2 11210", "lx >Ready", "Execute", "Show Stats", "msg"},
   .after = "5:1,9:2", .after_query = "SELECT GROUP_CONCAT(loottable_id,':',lootdrop_id ORDER BY 1) FROM loottable_entries",
   .window = kListed},
  // The NPC query's fields read as the numbers their texts begin with, halves to even.
  {.name = "ExecuteReadsNpcFieldsAsTheNumbersOfTheirTexts", .seed = {"ALTER TABLE npc_types MODIFY loottable_id "
     "VARCHAR(20) NOT NULL", "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',5,'12.5'),(2,'b',5,'1e3'),"
     "(3,'c',5,'7abc'),(4,'d',5,'abc'),(5,'e',5,' 13.5')"},
   .list = "1001\r\n", .sql = Texts{kNpcQuery} + drop_sql(12) + drop_sql(1000, {"1001"}, "10", "50", 2) +
     drop_sql(7, {"1001"}, "10", "50", 3) + drop_sql(14, {"1001"}, "10", "50", 4), .messages = kDone, .window = kListed},
  {.name = "ExecuteRefusesAFailingItemQuery", .seed = k77, .rules = "no_such_column=1",
   .messages = {"The item query failed - check the rules for wrong field names and syntax." + kNothing}},
  {.name = "ExecuteRefusesAnEmptyList", .seed = k77, .list = "0\r\n",
   .messages = listed(0, "The custom item list holds no items." + kNothing), .window = kRefused,
   .journal = Journal::on, .history = ""},  // wrote nothing: no run
  {.name = "ExecuteRefusesFewerDistinctItemsThanPerDrop", .seed = k77, .item_max = "2", .list = "7\r\n7\r\n7\r\n",
   .messages = listed(3, "Only 1 different items to draw from, fewer than the 2 items per drop." + kNothing),
   .window = kRefused},
  {.name = "ExecuteRefusesMoreThan32ItemsPerDrop", .seed = k77, .item_max = "33", .list = "1\r\n2\r\n3\r\n",
   .messages = listed(3, "At most 32 items fit in one drop (33 items per drop asked for)." + kNothing),
   .window = kRefused},
  {.name = "ExecuteRefusesAPercentBeyond16Bits", .seed = k77, .perc = "32768", .list = "1001\r\n",
   .messages = {"Percent of NPCs \"32768" + kOutOfRange}, .window = kRefused},
  {.name = "ExecuteQuotesTheFirst40BytesOfALongText", .seed = k77, .perc = std::string(100000, '9'), .list = "1001\r\n",
   .messages = {"Percent of NPCs \"" + std::string(40, '9') + "..." + kOutOfRange}, .window = kRefused},
  {.name = "ExecuteCutsNoCharacterInHalf", .seed = k77, .perc = "1e400" + std::string(34, ' ') + "\xE2\x82\xAC\xE2\x82\xAC",
   .list = "1001\r\n", .messages = {"Percent of NPCs \"1e400" + std::string(34, ' ') + "..." + kOutOfRange},
   .window = kRefused},
  {.name = "ExecuteRefusesAChanceBeyondDouble", .seed = k77, .chance = "1e400", .list = "1001\r\n",
   .messages = {"Chance per item \"1e400\" is no usable number." + kNothing}, .window = kRefused},
  {.name = "ExecuteRefusesAProbabilityBeyondSingle", .seed = k77, .probability = kBelow, .list = "1001\r\n",
   .messages = {"Loottable probability \"" + kBelow + "\" is no usable number." + kNothing}, .window = kRefused},
  {.name = "ExecuteWritesTheLargestSingle", .seed = k77, .chance = kLargest, .probability = "-" + kLargest,
   .list = "1001\r\n", .sql = Texts{kNpcQuery} + drop_sql(77, {"1001"}, kLargest, "-" + kLargest), .messages = kDone,
   .window = kListed},
  {.name = "ExecuteRoundsChanceAndProbability", .seed = k77, .chance = "2.5", .probability = "-2.5", .list = "1001\r\n",
   .sql = Texts{kNpcQuery} + drop_sql(77, {"1001"}, "2", "-3"), .messages = kDone, .window = kListed},
  {.name = "ExecuteWritesZeroForNoNumber", .seed = k77, .chance = "", .probability = "abc", .list = "1001\r\n",
   .sql = Texts{kNpcQuery} + drop_sql(77, {"1001"}, "0", "0"), .messages = kDone, .window = kListed},
  {.name = "ExecuteGivesChanceAndProbabilityNo16BitRange", .seed = k77, .chance = "1e9", .probability = "&HFFFF",
   .list = "1001\r\n", .sql = Texts{kNpcQuery} + drop_sql(77, {"1001"}, "1000000000", "65535"), .messages = kDone,
   .after = "0 / 1:lvl_01-10_CUSTOM_armour / 1:1001:1000000000 / - / 77:1:65535 / 1:77", .window = kListed},
  {.name = "ExecuteBelowOneItemPerDropWritesNoEntries", .seed = k77, .item_max = "-3", .list = "1001\r\n1002\r\n",
   .sql = Texts{kNpcQuery} + drop_sql(77, {}), .messages = listed(2, "Completed!"), .window = kListed},
  {.name = "ExecuteRefusesACandidateRoundingBeyond32Bits", .seed = k77, .list = "1001\r\n2147483647.5\r\n1002\r\n",
   .messages = listed(3, "The candidate list holds 2147483647.5, which is no valid item id." + kNothing),
   .window = kRefused},
  {.name = "ExecuteRefusesACandidateBelow32Bits", .seed = k77, .list = "-2147483649\r\n",
   .messages = listed(1, "The candidate list holds -2147483649, which is no valid item id." + kNothing),
   .window = kRefused},
  {.name = "ExecuteRefusesAnInfiniteCandidate", .seed = k77, .list = "1e400\r\n",
   .messages = listed(1, "The candidate list holds inf, which is no valid item id." + kNothing), .window = kRefused},
  {.name = "ExecuteRoundsCandidatesHalfToEven", .seed = k77, .item_max = "2", .list = "12.5\r\n13.5\r\n",
   .sql = Texts{kNpcQuery} + drop_sql(77, {"12", "14"}), .messages = listed(2, "Completed!"), .window = kListed},
  {.name = "ExecuteTakesCandidatesAtThe32BitEnds", .seed = k77, .item_max = "2", .list = "-2147483648.5\r\n2147483647.4\r\n",
   .sql = Texts{kNpcQuery} + drop_sql(77, {"-2147483648", "2147483647"}), .messages = listed(2, "Completed!"),
   .window = kListed},
  // Before the second NPC another range, list and count; before the third a column goes.
  {.name = "ExecuteReadsChangesMadeWhileEventsGoThrough", .seed = {npcs({77, 78, 79})}, .item_max = "2",
   .list = "1001\r\n1002\r\n",
   .ticks = {{2, [](ProgramState& s) {
                s.level_low = "11";
                s.level_high = "20";
                s.custom_item_ids[1] = s.custom_item_ids[2] = 3001;
                s.form1.set_text(Form1Control::item_max, "1");
              }},
             {3, [](ProgramState&) { fixture_sql("ALTER TABLE lootdrop_entries DROP COLUMN multiplier"); }}},
   .sql = Texts{kNpcQuery} + drop_sql(77, {"1001", "1002"}) + drop_sql(78, {"3001"}, "10", "50", 2, "lvl_11-20_CUSTOM_armour") +
     Texts{"SELECT MAX(id) FROM lootdrop", "INSERT INTO lootdrop (id,name) values (3,\"lvl_11-20_CUSTOM_armour\")", kLostEntry},
   .messages = listed(2, rejected("Column count doesn't match value count at row 1", kLostEntry)),
   .after = "0 / 1:lvl_01-10_CUSTOM_armour,2:lvl_11-20_CUSTOM_armour,3:lvl_11-20_CUSTOM_armour / "
     "1:1001:10,1:1002:10,2:3001:10 / - / 77:1:50,78:2:50 / 1:77,2:78,3:79", .window = kListed},
  // 0.4 is no empty slot, so the list counts 3 items; drawn, it is item 0 like any candidate.
  {.name = "ExecuteDrawsACandidateRoundingToZeroAsItemZero", .seed = {npcs({77})}, .item_max = "3",
   .list = "3907\r\n0.4\r\n8879\r\n", .sql = Texts{kNpcQuery} + drop_sql(77, {"0", "3907", "8879"}),
   .messages = listed(3, "Completed!"), .window = kListed, .journal = Journal::on,
   .history = "execute completed 5 undoable 3 items"},
  {.name = "TestQueryCountsOverAConnectionOfItsOwn", .seed = kItems, .command = Command::test_query,
   .rules = "reqlevel<=10 AND ac<=5", .sql = counted("reqlevel<=10 AND ac<=5"), .connections = 1, .messages = passed(2),
   .trace = Texts{"r3 Working..", "r3 Test Query", "msg rules= AND reqlevel<=10 AND ac<=5"},
   .state = " AND reqlevel<=10 AND ac<=5 | " + counted("reqlevel<=10 AND ac<=5")[0] + " | reqlevel<=10 AND ac<=5",
   .window = kQueried},
  {.name = "TestQueryKeepsLinesWhole", .seed = kItems, .command = Command::test_query, .op = 4,  // OR binds loosely
   .rules = "name like 'banded%' OR\r\nname like 'mesh%'",
   .sql = {"SELECT COUNT(id) from items WHERE ( itemtype=8) AND name like 'banded%' OR\r\nname like 'mesh%'"},
   .messages = passed(2), .window = kQueried},
  {.name = "TestQueryRejectedRuleEmptiesTheRulesAfterItsMessage", .seed = kItems, .command = Command::test_query,
   .rules = "colour='red'", .messages = {kQueryError},
   .trace = Texts{"r3 Working..", "r3 Test Query", "msg rules= AND colour='red'"}, .state = " |  | colour='red'",
   .window = kQueried},
  {.name = "TestQueryRunsNoSecondStatement", .seed = kItems, .command = Command::test_query,
   .rules = "1=1; DELETE FROM items", .messages = {kQueryError}, .after = "4 / - / - / - / - / -", .window = kQueried},
  {.name = "TestQueryEndsTheRuleAtANul", .seed = kItems, .command = Command::test_query,
   .rules = "ac>=5\0; DELETE FROM items"s, .sql = counted("ac>=5"), .messages = passed(2),
   .after = "4 / - / - / - / - / -", .window = kQueried},
  {.name = "TestQueryPassesBytesAsTheyAre", .seed = kItems, .command = Command::test_query,
   .rules = "name like 'x\xFF\xFE'", .sql = counted("name like 'x\xFF\xFE'"), .messages = passed(0),
   .window = kQueried},
  {.name = "TestQueryTakesALongRule", .seed = kItems, .command = Command::test_query, .rules = long_rule(),
   .sql = counted(long_rule()), .messages = passed(3), .window = kQueried},
  // The count has no row to be read from: an error while reading the result is
  // a rejected statement's: the caption back, the message, the rules emptied.
  {.name = "TestQueryWithoutARowToReadIsAnErrorInQuery",
   .seed = {"INSERT INTO items (id,name,itemtype,reqlevel,ac) VALUES (1,'banded mail',10,5,3)"},
   .command = Command::test_query, .rules = "reqlevel<=10 LIMIT 0", .sql = counted("reqlevel<=10 LIMIT 0"),
   .connections = 1, .messages = {kQueryError},
   .trace = Texts{"r3 Working..", "r3 Test Query", "msg rules= AND reqlevel<=10 LIMIT 0"},
   .state = " |  | reqlevel<=10 LIMIT 0", .window = kQueried},
  // No items per drop draws nothing, so a candidate that is no item id stops nothing.
  {.name = "ExecuteOfNoItemsPerDropWritesDropsOverACandidateBeyond32Bits", .seed = k77, .item_max = "0",
   .list = "3000000000\r\n", .sql = Texts{kNpcQuery} + drop_sql(77, {}), .messages = listed(1, "Completed!"),
   .after = "0 / 1:lvl_01-10_CUSTOM_armour / - / - / 77:1:50 / 1:77", .window = kListed},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Loot, Scenario, ::testing::ValuesIn(kLootRows), scenario_name);

TEST(Categories, ItemQueryTextAndNames) {
  auto state = std::make_unique<ProgramState>();
  // clang-format off
  const struct { int option; std::string rules, query, name; } cases[] = {
      {1, "", " itemtype=1 OR itemtype=2 OR itemtype=3 OR itemtype=4 OR itemtype=5 OR itemtype=45 OR itemtype=7 OR"
       " itemtype=0 OR itemtype=19 OR itemtype=35)", "weapon"},
      {0, "", " itemtype=10)", "armour"},  // after "weapon": no old types left
      {4, " AND reqlevel<=10 AND ac<=5", " itemtype=8) AND reqlevel<=10 AND ac<=5", "shields"},
      {9, "", " itemtype=37)", "Ales/Drinks"}, {10, "", " itemtype=52)", "idols charms trinkets"},
      {-1, "", " itemtype=-1)", "idols charms trinkets"}};  // none selected: the name stays
  // clang-format on
  for (const auto& c : cases) {
    state->form1.select_op(c.option);
    state->item_rules = c.rules;
    loot::Generate_item_class_sql(*state);
    EXPECT_EQ(std::tuple(loot::item_query(*state), state->category_name),
              std::tuple("SELECT id from items WHERE (" + c.query, c.name))
        << c.option;
  }
}

TEST(Candidates, TheItemQueryFillsSlotsUpToTheLast) {
  reset_world();
  std::vector<int> ids(32768);  // one more than the slots
  std::iota(ids.begin(), ids.end(), 1);
  fixture_sql(items(10, ids));
  auto state = std::make_unique<ProgramState>();
  configure(*state);
  RecordingUi ui;
  loot::Generate_item_class_sql(*state);
  ASSERT_EQ(loot::load_candidate_items(*state, ui), loot::CandidateLoad::ready);
  EXPECT_EQ(std::tuple(state->candidate_count, state->custom_item_ids[32767], ui.repaint_calls),
            std::tuple(32767, 32767.0, 1));
}

TEST(Draws, OrderedDistinctIdsFollowTheWholeSetRedraw) {
  // Weights 3, 2, 1, 1. The reference is the redraw itself: every ordered triple
  // of slots equally likely, kept only when its ids differ.
  using Ids = std::vector<std::int32_t>;
  const Ids candidates = {1, 1, 1, 2, 2, 3, 4};
  std::map<Ids, double> expected;
  double kept = 0;
  for (auto a : candidates)
    for (auto b : candidates)
      for (auto c : candidates)
        if (a != b && b != c && a != c) expected[{a, b, c}] += 1, kept += 1;
  const int trials = 120000;
  Random random(20261205);
  auto pool = loot::candidate_pool(candidates);
  std::map<Ids, int> observed;
  Ids out(3);
  for (int t = 0; t < trials && loot::draw_distinct_ids(pool, 3, random, out); ++t) ++observed[out];
  EXPECT_EQ(observed.size(), expected.size());  // no outcome the redraw cannot give
  double chi_square = 0;
  for (const auto& [outcome, weight] : expected)
    chi_square +=
        std::pow(observed[outcome] - weight / kept * trials, 2) / (weight / kept * trials);
  EXPECT_LT(chi_square, 49.7);  // 23 degrees of freedom, the 0.1 % point
  // All 32 ids of a full list where one id fills all but 31 slots: bounded work.
  Ids crowded(32767, 5), all(32);
  for (int i = 0; i < 31; ++i) crowded[i * 1000] = 1000 + i;
  auto crowded_pool = loot::candidate_pool(crowded);
  ASSERT_TRUE(loot::draw_distinct_ids(crowded_pool, 32, random, all));
  EXPECT_EQ(std::set<std::int32_t>(all.begin(), all.end()).size(), 32u);
}

std::string lines(int count, const std::string& tail = "\r\n") {
  std::string text;
  for (int id = 1; id <= count; ++id) text += std::to_string(id) + (id < count ? "\r\n" : tail);
  return text;
}

TEST(CustomList, GoParsesOneSlotPerLineAndARunCountsToTheFirstZero) {
  // clang-format off
  const struct { const char* name; std::string text; std::vector<double> slots; int created, run_count; } cases[] = {
      {"crlf", "1001\r\n1002\r\n1003\r\n", {1001, 1002, 1003, 0}, 3, 3},
      {"last line counted by the run only", "1001\r\n1002\r\n1003", {1001, 1002, 1003, 0}, 2, 3},
      {"blank line ends the run's list", "1001\r\n\r\n1003\r\n", {1001, 0, 1003, 0}, 3, 1},
      {"heading", "Item ID\r\n1001\r\n1002\r\n", {0, 1001, 1002, 0}, 3, 0},
      {"empty", "", {0}, 0, 0},
      {"cr alone", "1\r2\r3\r", {1, 2, 3, 0}, 3, 3},
      {"lf alone breaks no line", "1\n2\n3\n", {123, 0}, 0, 1},
      {"blanks, tabs, no rounding, hex", "10 01\r\nAxe\t1234\r\n1234\tAxe\r\na\t12\t13\r\n12.5\r\n&H10\r\n\t 77 \r\n12\n34\r\n",
       {1001, 1234, 0, 1213, 12.5, 16, 77, 1234, 0}, 8, 2},
      {"a nul ends the number", "12\0" "34\r\n\0" "56\r\n"s, {12, 0, 0}, 2, 1},
      {"beyond 32 bits kept as numbers", "99999999999999999999\r\n-5\r\n1e400\r\n", {1e20, -5, HUGE_VAL, 0}, 3, 3},
      {"blank lines behind a full list take no slot", lines(32767) + "\r\n \r\n", {32766, 32767}, 32769, 32767},
      {"a full list without a last line break", lines(32767, ""), {32766, 32767}, 32766, 32767}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto state = std::make_unique<ProgramState>();
    state->custom_item_ids[32767] = 55.0;  // an older, longer list
    RecordingUi ui;
    Controls windows;
    windows.list = c.text;
    custom_list::ok_Click(*state, ui, windows);
    const std::size_t first = c.created > 30000 ? 32766 : 1;
    std::vector<double> slots;
    for (std::size_t i = first; i < first + c.slots.size(); ++i)
      slots.push_back(state->custom_item_ids[i].value_or(-1));
    EXPECT_EQ(slots, c.slots);
    loot::load_candidate_items(*state, ui);
    const std::string created = "[" + std::to_string(c.created) + " items]";
    EXPECT_EQ(ui.messages,
              (Texts{"Custom List Created " + created,
                     "Using Your Custom Item List - [" + std::to_string(c.run_count) + " items]"}));
    EXPECT_EQ(std::tuple(state->form1.button(Form1Control::Command6).caption,
                         state->form1.button(Form1Control::Command5).enabled,
                         state->custom_list_active, windows.unloads, state->form1.lx()),
              std::tuple("Custom Item List - " + created, false, true, 1, "Using Custom List..."));
  }
}

TEST(CustomList, LongerListsAreRefusedBeforeAnythingChanges) {
  for (const int count : {32768, 40000}) {
    auto state = std::make_unique<ProgramState>();
    RecordingUi ui;
    Controls windows;
    windows.list = "5\r\n6\r\n";
    custom_list::ok_Click(*state, ui, windows);
    windows.list = lines(count);
    custom_list::ok_Click(*state, ui, windows);
    EXPECT_EQ(ui.messages.back(), "The list has " + std::to_string(count) +
                                      " lines, but at most 32767 fit. Shorten it and press GO "
                                      "again; nothing was changed.");
    EXPECT_EQ(std::tuple(windows.list == lines(count), windows.unloads, state->custom_item_ids[2],
                         state->custom_item_ids[3], state->custom_list_active,
                         state->form1.button(Form1Control::Command6).caption),
              std::tuple(true, 1, 6.0, 0.0, true, "Custom Item List - [2 items]"))
        << count;
  }
}

TEST(CustomList, ClearListNevermindAndRemoveItemList) {
  auto state = std::make_unique<ProgramState>();
  RecordingUi ui;
  Controls windows;
  const auto shown = [&] {
    return std::tuple(state->form1.button(Form1Control::Command6).caption,
                      state->form1.button(Form1Control::Command5).enabled,
                      state->custom_list_active, windows.unloads, state->custom_item_ids[1]);
  };
  windows.list = "1001\r\n";
  custom_list::ok_Click(*state, ui, windows);
  custom_list::Command1_Click(*state, windows);  // Clear List: the slots and Rules stay
  EXPECT_EQ(std::tuple(shown(), windows.list),
            std::tuple(std::tuple("Custom Item List - NOTHING", false, false, 1, 1001.0), ""));
  windows.list = "2001\r\n";
  custom_list::ok_Click(*state, ui, windows);
  custom_list::Command2_Click(windows);  // Nevermind
  EXPECT_EQ(shown(), std::tuple("Custom Item List - [1 items]", false, true, 3, 2001.0));
  decltype(shown()) at_message;  // the caption changes last
  ui.on_message = [&](const std::string&) { at_message = shown(); };
  custom_list::clearlist_Click(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Custom List Deleted!");
  EXPECT_EQ(at_message, std::tuple("Custom Item List - [1 items]", true, false, 3, 0.0));
  EXPECT_EQ(shown(), std::tuple("Custom Item List - NOTHING", true, false, 3, 0.0));
}

TEST(Rules, LoadOkLeavingTheBoxAndIgnore) {
  auto state = std::make_unique<ProgramState>();
  Controls windows;
  rules::Form_Load(*state, windows);
  rules::ok_Click(windows);
  EXPECT_EQ(std::tuple(windows.r, state->item_rules, windows.unloads),
            std::tuple("reqlevel<=10 AND ac<=5", " AND reqlevel<=10 AND ac<=5", 1));
  for (const char* text : {"ac>=20", ""}) {  // an emptied box keeps the rules it had
    windows.r = text;
    rules::r_LostFocus(*state, windows);
  }
  EXPECT_EQ(state->item_rules, " AND ac>=20");
  state->current_sql = "SELECT 1";
  rules::Command2_Click(*state, windows);  // Ignore
  EXPECT_EQ(std::tuple(state->item_rules, windows.r, state->current_sql, windows.unloads),
            std::tuple("", "", "", 2));
}

}  // namespace
}  // namespace vl::test
