// The sample-world generator: reproducible output, checked options, and a
// world that loads into the test server with what the commands look for.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <tuple>

#include "loot/categories.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

// The exit status, standard output and standard error of one run.
std::tuple<int, std::string, std::string> run_generator(const std::string& args) {
  return run_shell(VL_WORLD_GEN " " + args);
}

// Generates a world and loads it statement by statement (each ends at a line ending in ";").
void load_world(const std::string& args) {
  const auto [status, out, errors] = run_generator(args);
  ASSERT_EQ(status, 0) << errors;
  reset_world();
  std::istringstream in(out);
  ASSERT_EQ(run_statements(in), "");
}

long count(const std::string& sql) { return std::stol(fixture_value(sql)); }

TEST(WorldGen, SameSeedSameBytesAndOptionsChecked) {
  const auto [status, first, errors] = run_generator("");
  const std::string other = std::get<1>(run_generator("--seed 2"));
  EXPECT_EQ(std::tuple(status, std::get<1>(run_generator(""))), std::tuple(0, first));
  EXPECT_NE(first.substr(first.find('\n')), other.substr(other.find('\n')));
  // clang-format off
  for (const auto& [args, message] : std::initializer_list<std::pair<const char*, const char*>>{
           {"--items 5", "--items needs a whole number of at least"}, {"--npcs 0", "--npcs needs a whole number of at least 1"},
           {"--seed -1", "--seed needs a whole number"}, {"--loottables 12x", "--loottables needs a whole number"},
           {"--custom-drops", "--custom-drops needs a value"}, {"--colour red", "unknown option --colour"}}) {
    // clang-format on
    const auto [status, out, errors] = run_generator(args);
    EXPECT_EQ(std::tuple(status, out, errors.find(message) != std::string::npos,
                         errors.find("usage: vandril_world_gen") != std::string::npos),
              std::tuple(2, "", true, true))
        << args << ": " << errors;
  }
  EXPECT_EQ(std::get<1>(run_generator("--help")).rfind("usage: vandril_world_gen", 0), 0u);
}

TEST(WorldGenLoaded, DefaultWorldHoldsWhatTheCommandsLookFor) {
  load_world("");
  // Every item type of every category, and types no category takes.
  std::set<int> category_types;
  for (const auto& category : loot::kLootCategories)
    category_types.insert(category.itemtypes.begin(), category.itemtypes.end());
  std::string types = "-1";
  for (const int type : category_types) types += "," + std::to_string(type);
  EXPECT_EQ(count("SELECT COUNT(DISTINCT itemtype) FROM items WHERE itemtype IN (" + types + ")"),
            static_cast<long>(category_types.size()));
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE itemtype NOT IN (" + types + ")"), 0);
  // The repair's pool and the help window's example rules find items.
  for (const char* word : {"cloth", "rusty", "banded", "mesh", "bronze", "rubicite"})
    EXPECT_GT(count(std::string("SELECT COUNT(*) FROM items WHERE name LIKE '") + word + "%'"), 0);
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE itemtype=10 AND reqlevel<=10 AND ac<=5"), 0);
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE itemtype=10 AND ac>=15 AND ac<=20"), 0);

  // NPCs over every level, most with a loottable, some sharing one, some with none.
  EXPECT_EQ(fixture_value("SELECT CONCAT_WS(',',MIN(level),MAX(level),COUNT(DISTINCT level)) "
                          "FROM npc_types"),
            "1,99,99");
  EXPECT_EQ(count("SELECT SUM(loottable_id=0) BETWEEN 1 AND COUNT(*)/4 FROM npc_types"), 1);
  EXPECT_GT(count("SELECT COUNT(*) FROM (SELECT 1 FROM npc_types WHERE loottable_id<>0 "
                  "GROUP BY loottable_id HAVING COUNT(*)>1) shared"),
            10);
  // Rows point at rows that exist, nothing is empty, and no ordinary row looks
  // like one the program writes.
  for (const char* broken :
       {"npc_types n LEFT JOIN loottable t ON t.id=n.loottable_id WHERE n.loottable_id<>0 AND "
        "t.id IS NULL",
        "loottable_entries e LEFT JOIN lootdrop d ON d.id=e.lootdrop_id WHERE d.id IS NULL",
        "loottable_entries e LEFT JOIN loottable t ON t.id=e.loottable_id WHERE t.id IS NULL",
        "lootdrop_entries e LEFT JOIN items i ON i.id=e.item_id WHERE i.id IS NULL",
        "lootdrop d WHERE NOT EXISTS (SELECT 1 FROM lootdrop_entries e WHERE e.lootdrop_id=d.id)",
        "loottable t WHERE NOT EXISTS (SELECT 1 FROM loottable_entries e WHERE "
        "e.loottable_id=t.id)",
        "lootdrop WHERE name LIKE 'lvl%' OR name='fixed_by_KORVATH'",
        "loottable WHERE name='fixed_by_KORVATH'"}) {
    EXPECT_EQ(count(std::string("SELECT COUNT(*) FROM ") + broken), 0) << broken;
  }
}

// The spawn tables hold every case items per hour must handle, in both layouts:
// each query counts the rows of one case and must find some.
TEST(WorldGenLoaded, SpawnTablesHoldEveryCaseInBothLayouts) {
  const char* const kCases[] = {
      "(SELECT 1 FROM spawnentry GROUP BY spawngroupID HAVING COUNT(*)>=3) several_npcs",
      "(SELECT 1 FROM spawnentry GROUP BY spawngroupID HAVING SUM(chance)<>100) not_100",
      "spawnentry WHERE chance=0",
      "spawnentry WHERE min_time BETWEEN 1 AND 24 AND max_time>=1",
      "spawnentry WHERE max_time>=1 AND max_time<min_time",
      "spawnentry e LEFT JOIN npc_types n ON n.id=e.npcID WHERE n.id IS NULL",
      "spawn2 WHERE variance>0 AND variance<=2*respawntime",
      "spawn2 WHERE variance>2*respawntime",
      "spawn2 WHERE _condition<>0",
      "spawngroup WHERE spawn_limit>0",
      "npc_types n WHERE NOT EXISTS (SELECT 1 FROM spawnentry e WHERE e.npcID=n.id)"};
  for (const std::string layout : {"newer", "older"}) {
    load_world("--spawn-layout " + layout);
    for (const char* rows : kCases)
      EXPECT_GT(count(std::string("SELECT COUNT(*) FROM ") + rows), 0) << layout << ": " << rows;
    EXPECT_GT(count(layout == "newer"
                        ? "SELECT COUNT(*) FROM spawn2_disabled WHERE instance_id=0 AND disabled=1"
                        : "SELECT COUNT(*) FROM spawn2 WHERE enabled=0"),
              0)
        << layout;
  }
  reset_world();
}

// Named as the program names its drops, five entries with the program's values
// from the category's item types, linked once into a loottable of an NPC of
// the drop's range.
TEST(WorldGenLoaded, CustomDropsAreShapedLikeThoseTheProgramWrites) {
  load_world("--custom-drops 40 --seed 7");
  const std::string custom = " FROM lootdrop d WHERE d.name LIKE 'lvl%'";
  EXPECT_EQ(
      count("SELECT COUNT(*)" + custom +
            " AND d.name REGEXP '^lvl_(01-10|11-20|21-30|31-40|41-50|51-60|61-99|65-99)_CUSTOM_' "
            "AND (SELECT COUNT(*) FROM lootdrop_entries e WHERE e.lootdrop_id=d.id AND "
            "CONCAT_WS(',',item_charges,equip_item,chance,minlevel,maxlevel,multiplier)="
            "'1,1,10,0,127,1')=5 AND (SELECT COUNT(*) FROM loottable_entries e WHERE "
            "e.lootdrop_id=d.id AND CONCAT_WS(',',multiplier,probability,droplimit,mindrop)="
            "'1,50,1,0' AND EXISTS (SELECT 1 FROM npc_types n WHERE n.loottable_id="
            "e.loottable_id AND n.level BETWEEN SUBSTRING(d.name,5,2) AND "
            "SUBSTRING(d.name,8,2)))=1"),
      40);
  EXPECT_GT(count("SELECT COUNT(DISTINCT SUBSTRING(d.name,18))" + custom), 6);
  for (const auto& category : loot::kLootCategories) {
    std::string types = "-1";
    for (const auto t : category.itemtypes) types += "," + std::to_string(t);
    EXPECT_EQ(count("SELECT COUNT(*) FROM lootdrop d JOIN lootdrop_entries e ON e.lootdrop_id=d.id "
                    "JOIN items i ON i.id=e.item_id WHERE d.name LIKE '%CUSTOM_" +
                    std::string(category.name) + "' AND i.itemtype NOT IN (" + types + ")"),
              0)
        << category.name;
  }
}

}  // namespace
}  // namespace vl::test
