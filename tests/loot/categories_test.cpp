// The category table, the item query text and the candidate list.

#include "loot/categories.h"

#include "db/database.h"
#include "loot/candidates.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

using loot::Generate_item_class_sql;
using loot::item_query;
using loot::item_query_clause;

TEST(Categories, ItemQueryTextPerCategory) {
  auto state = std::make_unique<ProgramState>();

  state->form1.select_op(0);
  Generate_item_class_sql(*state);
  EXPECT_EQ(item_query(*state), "SELECT id from items WHERE ( itemtype=10)");
  EXPECT_EQ(state->category_name, "armour");

  state->form1.select_op(1);
  Generate_item_class_sql(*state);
  EXPECT_EQ(item_query(*state),
            "SELECT id from items WHERE ( itemtype=1 OR itemtype=2 OR itemtype=3 OR itemtype=4 OR"
            " itemtype=5 OR itemtype=45 OR itemtype=7 OR itemtype=0 OR itemtype=19 OR"
            " itemtype=35)");
  EXPECT_EQ(state->category_name, "weapon");

  // Rules go behind the parenthesis unchanged; the count query reuses the clause.
  state->form1.select_op(4);
  state->item_rules = " AND reqlevel<=10 AND ac<=5";
  Generate_item_class_sql(*state);
  EXPECT_EQ(item_query(*state),
            "SELECT id from items WHERE ( itemtype=8) AND reqlevel<=10 AND ac<=5");
  EXPECT_EQ("SELECT COUNT(id) from items WHERE (" + item_query_clause(*state),
            "SELECT COUNT(id) from items WHERE ( itemtype=8) AND reqlevel<=10 AND ac<=5");
}

TEST(Categories, NamesDifferFromCaptionsWhereListed) {
  auto state = std::make_unique<ProgramState>();
  const std::vector<std::pair<int, std::string>> expected = {
      {2, "higher lvl misc"},
      {3, "All lvl misc"},
      {5, "General Food Items"},
      {7, "Potions"},
      {9, "Ales/Drinks"},
      {10, "idols charms trinkets"},
      {11, "high level augment items/Solvents"}};
  for (const auto& [option, name] : expected) {
    state->form1.select_op(option);
    Generate_item_class_sql(*state);
    EXPECT_EQ(state->category_name, name) << "option " << option;
  }
  EXPECT_EQ(loot::loot_categories()[9].caption, "Drinks/Ales");
  EXPECT_EQ(loot::loot_categories()[10].caption, "idols,charms,trinkets");
}

TEST(Categories, SwitchingCategoryLeavesNoOldItemTypes) {
  auto state = std::make_unique<ProgramState>();
  state->category_itemtypes[0] = 99;  // never touched
  state->form1.select_op(1);
  Generate_item_class_sql(*state);
  EXPECT_EQ(state->category_itemtypes[10], 35);
  EXPECT_EQ(state->category_itemtypes[11], -1);

  state->form1.select_op(0);
  Generate_item_class_sql(*state);
  EXPECT_EQ(state->category_itemtypes[1], 10);
  for (int slot = 2; slot <= 16; ++slot) EXPECT_EQ(state->category_itemtypes[slot], -1) << slot;
  EXPECT_EQ(state->category_itemtypes[0], 99);

  // Without a selection every slot is empty and the name stays.
  state->form1.select_op(-1);
  Generate_item_class_sql(*state);
  EXPECT_EQ(state->category_itemtypes[1], -1);
  EXPECT_EQ(state->category_name, "armour");
  EXPECT_EQ(item_query(*state), "SELECT id from items WHERE ( itemtype=-1)");
}

class CandidateList : public LootTest {};

TEST_F(CandidateList, CategoryPathStoresTheQueryIdsAndKeepsLaterSlots) {
  add_items(10, {1001, 1002});
  add_items(1, {3001});
  for (int slot = 1; slot <= 4; ++slot) state->custom_item_ids[slot] = 9.0;
  std::vector<std::string> lx_seen;
  form().on_changed = [&](Form1Control c) {
    if (c == Form1Control::lx) lx_seen.push_back(form().lx());
  };
  Generate_item_class_sql(*state);
  GeneralLog log;
  ASSERT_EQ(loot::load_candidate_items(*state, ui), loot::CandidateLoad::ready);

  EXPECT_EQ(state->candidate_count, 2);
  std::vector<double> stored = {*state->custom_item_ids[1], *state->custom_item_ids[2]};
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (std::vector<double>{1001, 1002}));
  EXPECT_EQ(state->custom_item_ids[3], 9.0);
  EXPECT_EQ(lx_seen, std::vector<std::string>{"Generating Items Lists"});
  EXPECT_EQ(ui.repaint_calls, 1);
  EXPECT_EQ(ui.process_events_calls, 1);
  EXPECT_EQ(log.statement_texts(),
            std::vector<std::string>{"SELECT id from items WHERE ( itemtype=10)"});
  EXPECT_FALSE(state->db_recordset->is_open());
}

TEST_F(CandidateList, CategoryPathCapsAtTheLastSlot) {
  std::vector<int> ids;
  for (int id = 1; id <= 32770; ++id) ids.push_back(id);
  add_items(10, ids);
  Generate_item_class_sql(*state);
  ASSERT_EQ(loot::load_candidate_items(*state, ui), loot::CandidateLoad::ready);
  EXPECT_EQ(state->candidate_count, 32767);
  EXPECT_TRUE(state->custom_item_ids[32767].has_value());
}

TEST_F(CandidateList, RejectedItemQueryIsReported) {
  state->item_rules = " AND no_such_column=1";
  Generate_item_class_sql(*state);
  state->candidate_count = 7;
  EXPECT_EQ(loot::load_candidate_items(*state, ui), loot::CandidateLoad::item_query_failed);
  EXPECT_EQ(state->record_count, -1);
  EXPECT_EQ(state->candidate_count, 7);
}

TEST_F(CandidateList, CustomPathCountsUpToTheFirstEmptySlot) {
  use_custom_list({11, 12, 13});
  state->custom_item_ids[5] = 14.0;  // behind the end: not part of the list
  state->current_sql = "left alone";
  GeneralLog log;
  ASSERT_EQ(loot::load_candidate_items(*state, ui), loot::CandidateLoad::ready);
  EXPECT_EQ(state->candidate_count, 3);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Using Your Custom Item List - [3 items]"});
  EXPECT_EQ(form().lx(), "Using Custom List...");
  EXPECT_EQ(state->current_sql, "left alone");
  EXPECT_EQ(ui.process_events_calls, 0);
  EXPECT_TRUE(log.statement_texts().empty());

  // Slot 1 empty: no items.
  state->custom_item_ids[1].reset();
  loot::load_candidate_items(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Using Your Custom Item List - [0 items]");
  EXPECT_EQ(state->candidate_count, 0);

  // Every slot used: the whole list counts.
  for (int slot = 1; slot <= 32767; ++slot) state->custom_item_ids[slot] = slot;
  loot::load_candidate_items(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Using Your Custom Item List - [32767 items]");
  EXPECT_EQ(state->candidate_count, 32767);
}

}  // namespace
}  // namespace vl::test
