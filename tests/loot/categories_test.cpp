// The category table, the item query text and the candidate list.

#include "loot/categories.h"

#include <algorithm>
#include <numeric>

#include "loot/candidates.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

using loot::Generate_item_class_sql;
using loot::load_candidate_items;

TEST(Categories, ItemQueryTextNamesAndSlots) {
  auto state = std::make_unique<ProgramState>();
  state->category_itemtypes[0] = 99;  // never touched
  const struct {
    int option, types;
    std::string rules, query, name;
  } cases[] = {
      {1, 10, "",
       " itemtype=1 OR itemtype=2 OR itemtype=3 OR itemtype=4 OR itemtype=5 OR itemtype=45 OR"
       " itemtype=7 OR itemtype=0 OR itemtype=19 OR itemtype=35)",
       "weapon"},
      {0, 1, "", " itemtype=10)", "armour"},  // after "weapon": no old types left
      {4, 1, " AND reqlevel<=10 AND ac<=5", " itemtype=8) AND reqlevel<=10 AND ac<=5", "shields"},
      {10, 1, "", " itemtype=52)", "idols charms trinkets"},
      {-1, 0, "", " itemtype=-1)", "idols charms trinkets"},  // none selected: the name stays
  };
  for (const auto& c : cases) {
    state->form1.select_op(c.option);
    state->item_rules = c.rules;
    Generate_item_class_sql(*state);
    EXPECT_EQ(loot::item_query(*state), "SELECT id from items WHERE (" + c.query) << c.option;
    EXPECT_EQ(state->category_name, c.name);
    for (int slot = c.types + 1; slot <= 16; ++slot)
      EXPECT_EQ(state->category_itemtypes[slot], -1) << c.option << " slot " << slot;
  }
  EXPECT_EQ(state->category_itemtypes[0], 99);
}

class CategoryCandidates : public LootTest {};

TEST_F(CategoryCandidates, QueryIdsOrTheCustomList) {
  add_items(10, {1001, 1002});
  add_items(1, {3001});
  state->custom_item_ids[3] = 9.0;
  Texts lx;
  form().on_changed = [&](Form1Control c) {
    if (c == Form1Control::lx) lx.push_back(form().lx());
  };
  Generate_item_class_sql(*state);
  GeneralLog log;
  ASSERT_EQ(load_candidate_items(*state, ui), loot::CandidateLoad::ready);
  EXPECT_EQ(log.statement_texts(), Texts{"SELECT id from items WHERE ( itemtype=10)"});
  EXPECT_EQ(state->candidate_count, 2);
  EXPECT_EQ(std::minmax(*state->custom_item_ids[1], *state->custom_item_ids[2]),
            std::minmax(1001.0, 1002.0));
  EXPECT_EQ(state->custom_item_ids[3], 9.0);  // behind the ids: left alone
  EXPECT_EQ(lx, Texts{"Generating Items Lists"});
  EXPECT_EQ(ui.repaint_calls, 1);
  EXPECT_EQ(ui.process_events_calls, 1);

  std::vector<int> many(32768);
  std::iota(many.begin(), many.end(), 10000);
  add_items(10, many);
  load_candidate_items(*state, ui);
  EXPECT_EQ(state->candidate_count, 32767);

  // The custom list: no statement, counted up to its first empty or 0 slot.
  use_custom_list({11, 12, 13});
  state->custom_item_ids[5] = 14.0;
  GeneralLog quiet;
  load_candidate_items(*state, ui);
  EXPECT_EQ(state->candidate_count, 3);
  EXPECT_EQ(ui.messages, Texts{"Using Your Custom Item List - [3 items]"});
  EXPECT_EQ(lx.back(), "Using Custom List...");
  EXPECT_EQ(state->current_sql, "SELECT id from items WHERE ( itemtype=10)");
  EXPECT_TRUE(quiet.statement_texts().empty());
  state->custom_item_ids[1].reset();
  load_candidate_items(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Using Your Custom Item List - [0 items]");
  EXPECT_EQ(state->candidate_count, 0);
  for (int slot = 1; slot <= 32767; ++slot) state->custom_item_ids[slot] = slot;
  load_candidate_items(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Using Your Custom Item List - [32767 items]");
  EXPECT_EQ(state->candidate_count, 32767);
}

}  // namespace
}  // namespace vl::test
