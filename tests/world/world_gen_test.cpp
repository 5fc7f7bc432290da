// The sample-world generator: its output is reproducible, its options are
// checked, and the world it writes loads into the test server with what the
// commands need to find there.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "loot/categories.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

struct GeneratorRun {
  int status = -1;
  std::string out;
};

// Runs the generator with the given arguments; `streams` picks what is read
// ("2>/dev/null" for standard output, "2>&1 >/dev/null" for the errors).
GeneratorRun run_generator(const std::string& args, const std::string& streams = "2>/dev/null") {
  const std::string command = std::string(VL_WORLD_GEN) + " " + args + " " + streams;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  GeneratorRun run;
  std::array<char, 65536> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string without_first_line(const std::string& text) { return text.substr(text.find('\n')); }

// Loads generated SQL over the fixture connection, statement by statement: a
// statement ends at a line that ends in ";".
void load_world(const std::string& sql) {
  reset_world();
  std::istringstream in(sql);
  std::string line, statement;
  int statements = 0;
  while (std::getline(in, line)) {
    if (line.rfind("--", 0) == 0) continue;
    statement += line + "\n";
    if (!line.empty() && line.back() == ';') {
      statement.resize(statement.size() - 2);
      fixture_sql(statement);
      statement.clear();
      ++statements;
    }
  }
  ASSERT_TRUE(statement.empty()) << "unterminated statement: " << statement.substr(0, 200);
  ASSERT_GT(statements, 2);
}

long count(const std::string& sql) { return std::stol(fixture_value(sql)); }

struct Range {
  const char* text;
  int low, high;
};
constexpr std::array<Range, 8> kRanges{{{"01-10", 1, 10},
                                        {"11-20", 11, 20},
                                        {"21-30", 21, 30},
                                        {"31-40", 31, 40},
                                        {"41-50", 41, 50},
                                        {"51-60", 51, 60},
                                        {"61-99", 61, 99},
                                        {"65-99", 65, 99}}};

TEST(WorldGen, SameOptionsGiveTheSameBytesAndAnotherSeedAnotherWorld) {
  const GeneratorRun first = run_generator("");
  const GeneratorRun again = run_generator("");
  const GeneratorRun seed_one = run_generator("--seed 1");
  const GeneratorRun seed_two = run_generator("--seed 2");
  ASSERT_EQ(first.status, 0);
  ASSERT_GT(first.out.size(), 10000u);
  EXPECT_EQ(first.out, again.out);
  EXPECT_EQ(first.out, seed_one.out);
  ASSERT_EQ(seed_two.status, 0);
  EXPECT_NE(without_first_line(first.out), without_first_line(seed_two.out));

  // Custom drops come after the ordinary world, which stays the same.
  const GeneratorRun with_custom = run_generator("--custom-drops 3");
  ASSERT_EQ(with_custom.status, 0);
  EXPECT_NE(with_custom.out.find("_CUSTOM_"), std::string::npos);
  EXPECT_EQ(first.out.find("_CUSTOM_"), std::string::npos);
}

TEST(WorldGen, RejectsBadOptionsWithAMessageAndNoOutput) {
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"--items 5", "--items needs a whole number of at least"},
      {"--npcs 0", "--npcs needs a whole number of at least 1"},
      {"--lootdrops many", "--lootdrops needs a whole number"},
      {"--seed -1", "--seed needs a whole number"},
      {"--loottables 12x", "--loottables needs a whole number"},
      {"--custom-drops", "--custom-drops needs a value"},
      {"--colour red", "unknown option --colour"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const GeneratorRun errors = run_generator(c.args, "2>&1 >/dev/null");
    EXPECT_EQ(errors.status, 2);
    EXPECT_NE(errors.out.find(c.message), std::string::npos) << errors.out;
    EXPECT_NE(errors.out.find("usage: vandril_world_gen"), std::string::npos);
    EXPECT_EQ(run_generator(c.args).out, "");
  }
  const GeneratorRun help = run_generator("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: vandril_world_gen", 0), 0u);
}

TEST(WorldGenLoaded, DefaultWorldHoldsWhatTheCommandsLookFor) {
  const GeneratorRun world = run_generator("");
  ASSERT_EQ(world.status, 0);
  load_world(world.out);

  EXPECT_EQ(count("SELECT COUNT(*) FROM items"), 400);
  EXPECT_EQ(count("SELECT COUNT(*) FROM npc_types"), 300);
  EXPECT_EQ(count("SELECT COUNT(*) FROM loottable"), 120);
  EXPECT_EQ(count("SELECT COUNT(*) FROM lootdrop"), 180);

  // Every item type of every category, and types no category takes.
  std::set<int> category_types;
  for (const auto& category : loot::loot_categories()) {
    for (const auto type : category.itemtypes) {
      category_types.insert(type);
      EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE itemtype=" + std::to_string(type)), 0)
          << "item type " << type << " of " << category.name;
    }
  }
  EXPECT_EQ(category_types.size(), 33u);
  std::string listed;
  for (const int t : category_types) listed += (listed.empty() ? "" : ",") + std::to_string(t);
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE itemtype NOT IN (" + listed + ")"), 0);

  // The repair's pool and the help window's example rules find items.
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE name LIKE 'cloth%'"), 0);
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE name LIKE 'rusty%'"), 0);
  for (const char* material : {"banded", "mesh", "bronze", "rubicite"}) {
    EXPECT_GT(count(std::string("SELECT COUNT(*) FROM items WHERE name like '") + material + "%'"),
              0)
        << material;
  }
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE (itemtype=10) AND reqlevel<=10 AND ac<=5"), 0);
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE itemtype IN (1,2,3,4,5,45,7,0,19,35) "
                  "AND reqlevel<=10 AND damage<=5"),
            0);
  EXPECT_GT(count("SELECT COUNT(*) FROM items WHERE itemtype=10 AND ac>=15 AND ac<=20"), 0);

  // NPCs over every level, most with a loottable, some sharing one, some with none.
  EXPECT_EQ(count("SELECT MIN(level) FROM npc_types"), 1);
  EXPECT_EQ(count("SELECT MAX(level) FROM npc_types"), 99);
  EXPECT_EQ(count("SELECT COUNT(DISTINCT level) FROM npc_types"), 99);
  const long without = count("SELECT COUNT(*) FROM npc_types WHERE loottable_id=0");
  EXPECT_GT(without, 0);
  EXPECT_LT(without, 300 / 4);
  EXPECT_GT(count("SELECT COUNT(*) FROM (SELECT loottable_id FROM npc_types WHERE loottable_id<>0 "
                  "GROUP BY loottable_id HAVING COUNT(*)>1) shared"),
            10);
  for (const auto& r : kRanges) {
    EXPECT_GT(count("SELECT COUNT(*) FROM npc_types WHERE level>=" + std::to_string(r.low) +
                    " AND level<=" + std::to_string(r.high) + " AND loottable_id<>0"),
              2)
        << r.text;
  }

  // Rows that point somewhere point at rows that exist.
  EXPECT_EQ(count("SELECT COUNT(*) FROM npc_types n LEFT JOIN loottable t ON t.id=n.loottable_id "
                  "WHERE n.loottable_id<>0 AND t.id IS NULL"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM loottable_entries e LEFT JOIN lootdrop d "
                  "ON d.id=e.lootdrop_id WHERE d.id IS NULL"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM loottable_entries e LEFT JOIN loottable t "
                  "ON t.id=e.loottable_id WHERE t.id IS NULL"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM lootdrop_entries e LEFT JOIN items i ON i.id=e.item_id "
                  "WHERE i.id IS NULL"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM lootdrop d WHERE NOT EXISTS "
                  "(SELECT 1 FROM lootdrop_entries e WHERE e.lootdrop_id=d.id)"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM loottable t WHERE NOT EXISTS "
                  "(SELECT 1 FROM loottable_entries e WHERE e.loottable_id=t.id)"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM (SELECT lootdrop_id, item_id FROM lootdrop_entries "
                  "GROUP BY lootdrop_id, item_id HAVING COUNT(*)>1) twice"),
            0);

  // Ordinary drops never look like the program's own: neither the deletion's
  // pattern nor the repair's name takes them.
  EXPECT_EQ(count("SELECT COUNT(*) FROM lootdrop WHERE name LIKE 'lvl%'"), 0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM lootdrop WHERE name='fixed_by_KORVATH'"), 0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM loottable WHERE name='fixed_by_KORVATH'"), 0);
}

TEST(WorldGenLoaded, CustomDropsAreShapedLikeThoseTheProgramWrites) {
  const GeneratorRun world = run_generator("--custom-drops 40 --seed 7");
  ASSERT_EQ(world.status, 0);
  load_world(world.out);

  const auto drops =
      fixture_rows("SELECT id, name FROM lootdrop WHERE name LIKE 'lvl%' ORDER BY id");
  ASSERT_EQ(drops.size(), 40u);
  EXPECT_EQ(count("SELECT MIN(id) FROM lootdrop WHERE name LIKE 'lvl%'"),
            count("SELECT MAX(id) FROM lootdrop WHERE name NOT LIKE 'lvl%'") + 1);

  std::set<std::string> categories_seen;
  for (const auto& drop : drops) {
    const std::string& id = drop[0];
    const std::string& name = drop[1];
    SCOPED_TRACE(name);
    const Range* range = nullptr;
    for (const auto& r : kRanges) {
      if (name.rfind(std::string("lvl_") + r.text + "_CUSTOM_", 0) == 0) range = &r;
    }
    ASSERT_NE(range, nullptr);
    const std::string category_name = name.substr(std::string("lvl_01-10_CUSTOM_").size());
    const loot::LootCategory* category = nullptr;
    for (const auto& c : loot::loot_categories()) {
      if (c.name == category_name) category = &c;
    }
    ASSERT_NE(category, nullptr);
    categories_seen.insert(category_name);

    std::string types;
    for (const auto t : category->itemtypes) {
      types += (types.empty() ? "" : ",") + std::to_string(t);
    }
    EXPECT_EQ(count("SELECT COUNT(*) FROM lootdrop_entries WHERE lootdrop_id=" + id), 5);
    EXPECT_EQ(count("SELECT COUNT(*) FROM lootdrop_entries e JOIN items i ON i.id=e.item_id "
                    "WHERE e.lootdrop_id=" +
                    id + " AND i.itemtype IN (" + types +
                    ") AND e.item_charges=1 AND e.equip_item=1 AND e.chance=10 AND "
                    "e.minlevel=0 AND e.maxlevel=127 AND e.multiplier=1"),
              5);
    EXPECT_EQ(count("SELECT COUNT(*) FROM loottable_entries WHERE lootdrop_id=" + id +
                    " AND multiplier=1 AND probability=50 AND droplimit=1 AND mindrop=0"),
              1);
    // Linked into the loottable of an NPC of its own range.
    EXPECT_GT(count("SELECT COUNT(*) FROM loottable_entries e JOIN npc_types n "
                    "ON n.loottable_id=e.loottable_id WHERE e.lootdrop_id=" +
                    id + " AND n.level>=" + std::to_string(range->low) +
                    " AND n.level<=" + std::to_string(range->high)),
              0);
  }
  EXPECT_GT(categories_seen.size(), 6u);
}

}  // namespace
}  // namespace vl::test
