// Bad input on the way to the server: percentage boxes, custom lists and rule
// texts of every kind. Each case ends in exact rows and statements, or in a
// refusal with its message before anything reaches the server.

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "loot/candidates.h"
#include "loot/custom_list.h"
#include "loot/generation_run.h"
#include "loot/rules.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

using namespace std::string_literals;  // texts with NUL characters inside
using loot::Command2_Click;

constexpr const char* kNothingWritten = "\r\nNothing was written.";
constexpr const char* kNpcQuery =
    "SELECT id,loottable_id FROM npc_types WHERE level>=01 AND level<=10";

// A text for test names and failure output: long ones cut, NULs visible.
std::string shown(const std::string& text) {
  std::string visible = text.size() > 40 ? text.substr(0, 40) + "..." : text;
  for (char& c : visible)
    if (c == '\0') c = '@';
  return visible;
}

class BadInput : public FilterWindowsTest {
 protected:
  // The statements of a drop for loottable `loottable` as the k-th of a run of
  // one item per drop (item 1001).
  static Texts drop_statements(int k, long long loottable, const std::string& chance,
                               const std::string& probability) {
    const std::string id = std::to_string(k);
    return {"SELECT MAX(id) FROM lootdrop",
            "INSERT INTO lootdrop (id,name) values (" + id + ",\"lvl_01-10_CUSTOM_armour\")",
            "INSERT INTO lootdrop_entries values (" + id + ",1001,1,1," + chance + ",0,127,1)",
            "INSERT INTO loottable_entries values (" + std::to_string(loottable) + "," + id +
                ",1," + probability + ",1,0)"};
  }
  // Every drop written: its loottable, id, name, item and the two percentages.
  static Rows drops() {
    return fixture_rows(
        "SELECT t.loottable_id, d.id, d.name, e.item_id, CAST(e.chance AS CHAR), "
        "CAST(t.probability AS CHAR) FROM lootdrop d "
        "LEFT JOIN lootdrop_entries e ON e.lootdrop_id=d.id "
        "LEFT JOIN loottable_entries t ON t.lootdrop_id=d.id ORDER BY d.id");
  }
  // No drops, so that the next run's lootdrop ids start at 1 again.
  static void clear_drops() {
    for (const char* table : {"lootdrop", "lootdrop_entries", "loottable_entries"})
      fixture_sql("DELETE FROM " + std::string(table));
  }
  void expect_items_intact() {
    EXPECT_EQ(fixture_rows("SELECT COUNT(*), SUM(id) FROM items"), (Rows{{"3", "6003"}}));
  }
};

TEST_F(BadInput, PercentageBoxesWriteTheirWholeNumbersOrRefuseTheRun) {
  // NPC 1 (loottable 77) and NPC 2 (88) roll first; NPC 3 has no loottable.
  struct Case {
    std::string perc, chance = "10", probability = "50";
    std::vector<int> rolls{};         // the first percent rolls, before any drop
    std::vector<long long> chosen{};  // loottables given a drop, in order
    std::string chance_text = "10", probability_text = "50";
    std::string refusal{};  // the run refused with this message
  };
  const std::string huge(100000, '9');  // beyond the double range
  // A message quotes a long text's first 40 bytes, never half a character.
  const std::string cut = std::string(40, '9') + "...";
  const std::string spaced_euro = "1e400" + std::string(34, ' ') + "\xE2\x82\xAC\xE2\x82\xAC";
  const std::string perc_refused = "\" is out of range (-32768 to 32767).";
  const std::vector<int> two_then_one = {2, 1};
  const auto none = [](std::string perc, std::vector<int> rolls = {}) {
    return Case{.perc = std::move(perc), .rolls = std::move(rolls)};
  };
  const auto all = [](std::string perc, std::string chance = "10", std::string probability = "50",
                      std::string chance_text = "10", std::string probability_text = "50") {
    return Case{.perc = std::move(perc),
                .chance = std::move(chance),
                .probability = std::move(probability),
                .chosen = {77, 88},
                .chance_text = std::move(chance_text),
                .probability_text = std::move(probability_text)};
  };
  const auto refused = [](std::string perc, std::string chance, std::string probability,
                          std::string refusal) {
    return Case{.perc = std::move(perc),
                .chance = std::move(chance),
                .probability = std::move(probability),
                .refusal = std::move(refusal)};
  };
  // clang-format off
  const std::vector<Case> cases = {
      // Below 2 no roll can pass; floor, not rounding: 1.5 is 1 and 2.5 is 2.
      none(""), none("   "), none("abc"), none("-1"), none("0"), none("1,000"), none("-32768"),
      none("1.5", two_then_one), none("1\0" "01"s), none("\0" "101"s),
      none("\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x91"),  // full-width digits
      none("1\r01"),  // a carriage return ends the number
      Case{.perc = "2.5", .rolls = two_then_one, .chosen = {88}},
      // 100 chooses a roll of 99 but not one of 100.
      Case{.perc = "100", .rolls = {100, 99}, .chosen = {88}},
      all("101"), all("32767"), all("&O777"), all("1\t0\n1"),
      all(std::string(100000, ' ') + "101"), all(std::string(99997, '0') + "101"),
      all("101\xE2\x82\xAC"),
      // The chance and the probability: whole numbers, no range of their own.
      all("101", "", "   ", "0", "0"), all("101", "-1", "abc", "-1", "0"),
      all("101", "1e9", "&HFFFF", "1000000000", "65535"), all("101", "2.5", "-2.5", "2", "-3"),
      all("101", "&O777", "1,000", "511", "1"), all("101", "32768", "1\t2\n3", "32768", "123"),
      all("101", "1\0" "2"s, "\xEF\xBC\x95", "1", "0"),
      // Refused before anything reaches the server.
      refused("1e9", "10", "50", "Percent of NPCs \"1e9" + perc_refused),
      refused("32768", "10", "50", "Percent of NPCs \"32768" + perc_refused),
      refused("-32769", "10", "50", "Percent of NPCs \"-32769" + perc_refused),
      refused("&HFFFF", "10", "50", "Percent of NPCs \"&HFFFF" + perc_refused),
      refused("1e400", "10", "50", "Percent of NPCs \"1e400" + perc_refused),
      refused("-1e400", "10", "50", "Percent of NPCs \"-1e400" + perc_refused),
      refused(huge, "10", "50", "Percent of NPCs \"" + cut + perc_refused),
      refused("1e400" + std::string(35, ' '), "10", "50",  // 40 bytes: whole
              "Percent of NPCs \"1e400" + std::string(35, ' ') + perc_refused),
      refused(spaced_euro, "10", "50",
              "Percent of NPCs \"1e400" + std::string(34, ' ') + "..." + perc_refused),
      refused("101", "1e400", "50", "Chance per item \"1e400\" is no usable number."),
      refused("101", "-1e400", "50", "Chance per item \"-1e400\" is no usable number."),
      refused("101", huge, "50", "Chance per item \"" + cut + "\" is no usable number."),
      refused("101", "10", "1e400", "Loottable probability \"1e400\" is no usable number."),
      refused("101", "10", "-" + huge,
              "Loottable probability \"-" + cut.substr(1) + "\" is no usable number.")};
  // clang-format on
  use_custom_list({1001});
  state->item_max_count = 1;
  add_npcs({77, 88, 0});
  for (const Case& c : cases) {
    SCOPED_TRACE("perc \"" + shown(c.perc) + "\" chance \"" + shown(c.chance) +
                 "\" probability \"" + shown(c.probability) + "\"");
    clear_drops();
    if (!c.rolls.empty()) {
      state->random.seed(seed_for_rolls(
          2, [&](const auto& rolls) { return rolls[0] == c.rolls[0] && rolls[1] == c.rolls[1]; }));
    }
    form().set_text(Form1Control::perc_of_npcs, c.perc);
    form().set_text(Form1Control::lootdrop_percentx, c.chance);
    form().set_text(Form1Control::loottable_percentx, c.probability);
    ui.messages.clear();
    GeneralLog log;
    Command2_Click(*state, ui);

    if (!c.refusal.empty()) {
      EXPECT_EQ(ui.messages, Texts{c.refusal + kNothingWritten});
      EXPECT_EQ(std::tuple(log.connections().size(), log.statement_texts()),
                std::tuple(0u, Texts{}));
    } else {
      EXPECT_EQ(ui.messages, (Texts{"Using Your Custom Item List - [1 items]", "Completed!"}));
      Texts expected = {kNpcQuery};
      Rows rows;
      for (std::size_t k = 1; k <= c.chosen.size(); ++k) {
        const Texts drop = drop_statements(k, c.chosen[k - 1], c.chance_text, c.probability_text);
        expected.insert(expected.end(), drop.begin(), drop.end());
        rows.push_back({std::to_string(c.chosen[k - 1]), std::to_string(k),
                        "lvl_01-10_CUSTOM_armour", "1001", c.chance_text, c.probability_text});
      }
      EXPECT_EQ(log.statement_texts(), expected);
      EXPECT_EQ(drops(), rows);
    }
    EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), std::to_string(c.chosen.size()));
    expect_window_usable();
  }
}

TEST_F(BadInput, ChancesBeyondSinglePrecisionAreRefusedAndItsLargestNumberIsWritten) {
  use_custom_list({1001});
  state->item_max_count = 1;
  add_npcs({77});
  // 2^128, just above the largest single-precision number, in both signs.
  const std::string beyond = "&H1" + std::string(32, '0');
  const std::string below = "-340282366920938463463374607431768211456";
  for (const auto& [chance, probability, refusal] :
       {std::tuple{beyond, "50"s, "Chance per item \"" + beyond + "\" is no usable number."},
        std::tuple{"10"s, below, "Loottable probability \"" + below + "\" is no usable number."}}) {
    SCOPED_TRACE(refusal);
    clear_drops();
    form().set_text(Form1Control::perc_of_npcs, "101");
    form().set_text(Form1Control::lootdrop_percentx, chance);
    form().set_text(Form1Control::loottable_percentx, probability);
    ui.messages.clear();
    GeneralLog log;
    Command2_Click(*state, ui);
    EXPECT_EQ(ui.messages, Texts{refusal + kNothingWritten});
    EXPECT_EQ(std::tuple(log.connections().size(), log.statement_texts()), std::tuple(0u, Texts{}));
    EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");
    expect_window_usable();
  }
  // The largest single-precision number itself fits the columns.
  clear_drops();
  const std::string largest = "340282346638528859811704183484516925440";
  form().set_text(Form1Control::lootdrop_percentx, largest);
  form().set_text(Form1Control::loottable_percentx, "-" + largest);
  ui.messages.clear();
  GeneralLog log;
  Command2_Click(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Completed!");
  const Texts drop = drop_statements(1, 77, largest, "-" + largest);
  Texts expected = {kNpcQuery};
  expected.insert(expected.end(), drop.begin(), drop.end());
  EXPECT_EQ(log.statement_texts(), expected);
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop_entries WHERE chance > 3.4e38"), "1");
  expect_window_usable();
}

TEST_F(BadInput, ItemsPerDropBelowOneWriteDropsWithoutEntries) {
  use_custom_list({1001, 1002});
  add_npcs({77});
  for (const std::int16_t per_drop : {-3, -32768}) {
    SCOPED_TRACE(per_drop);
    clear_drops();
    state->item_max_count = per_drop;  // the box takes negative numbers as they are
    GeneralLog log;
    Command2_Click(*state, ui);
    EXPECT_EQ(ui.messages.back(), "Completed!");
    EXPECT_EQ(log.statement_texts(),
              (Texts{kNpcQuery, "SELECT MAX(id) FROM lootdrop",
                     "INSERT INTO lootdrop (id,name) values (1,\"lvl_01-10_CUSTOM_armour\")",
                     "INSERT INTO loottable_entries values (77,1,1,50,1,0)"}));
    EXPECT_EQ(drops(), (Rows{{"77", "1", "lvl_01-10_CUSTOM_armour", "NULL", "NULL", "50"}}));
    expect_window_usable();
  }
}

TEST_F(BadInput, CustomListsOfOddTextAndWhatARunMakesOfThem) {
  const struct {
    std::string text;
    std::vector<double> slots;  // slots 1.., the next one 0
    int shown, run_count;
  } cases[] = {
      {"1\r2\r3\r", {1, 2, 3}, 3, 3},                // CR alone
      {"1\n2\n3\n", {123}, 0, 1},                    // LF alone breaks no line: one number
      {"1\r\n\r\n\r\n2\r\n", {1, 0, 0, 2}, 4, 1},    // blank lines are 0
      {"12abc\r\n13 x\r\n", {12, 13}, 2, 2},         // the number at the start
      {"a\t\t5\r\n5\t\r\n\t\r\n", {5, 0, 0}, 3, 1},  // after the first TAB only
      {"12\0"
       "34\r\n\0"
       "56\r\n"s,
       {12, 0},
       2,
       1},  // a NUL ends the number
      {"99999999999999999999\r\n1e30\r\n-5\r\n&HFFFFFFFF\r\n1e400\r\n-1e400\r\n",
       {1e20, 1e30, -5, 4294967295.0, HUGE_VAL, -HUGE_VAL},
       6,
       6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(shown(c.text));
    unloads = 0;
    go(c.text);
    std::vector<double> stored;
    for (std::size_t i = 1; i <= c.slots.size() + 1; ++i)
      stored.push_back(state->custom_item_ids[i].value_or(-1));
    std::vector<double> expected = c.slots;
    expected.push_back(0);
    EXPECT_EQ(stored, expected);
    const std::string n = std::to_string(c.shown);
    EXPECT_EQ(std::tuple(ui.messages.back(), form().button(Form1Control::Command6).caption,
                         state->custom_list_active, unloads),
              std::tuple("Custom List Created [" + n + " items]",
                         "Custom Item List - [" + n + " items]", true, 1));
    loot::load_candidate_items(*state, ui);
    EXPECT_EQ(state->candidate_count, c.run_count);
  }

  // A list of 40 000 lines is refused; the list before it, the box and the window stay.
  go("5\r\n6\r\n");
  std::string long_list;
  for (int i = 1; i <= 40000; ++i) long_list += std::to_string(i) + "\r\n";
  unloads = 0;
  ui.messages.clear();
  go(long_list);
  EXPECT_EQ(ui.messages, Texts{"The list has 40000 lines, but at most 32767 fit. Shorten it and "
                               "press GO again; nothing was changed."});
  EXPECT_EQ(
      std::tuple(list == long_list, unloads, state->custom_item_ids[1], state->custom_item_ids[2],
                 state->custom_item_ids[3], state->custom_item_ids[40000 % 32768],
                 state->custom_list_active, form().button(Form1Control::Command6).caption,
                 form().button(Form1Control::Command5).enabled),
      std::tuple(true, 0, 5.0, 6.0, 0.0, 0.0, true, "Custom Item List - [2 items]", false));

  // Exactly 32767 lines, the last without a line break: every slot taken, none 0.
  std::string full;
  for (int i = 1; i <= 32767; ++i) full += std::to_string(i) + (i < 32767 ? "\r\n" : "");
  go(full);
  loot::load_candidate_items(*state, ui);
  EXPECT_EQ(std::tuple(state->custom_item_ids[32767], state->candidate_count, ui.messages.back()),
            std::tuple(32767.0, 32767, "Using Your Custom Item List - [32767 items]"));
}

TEST_F(BadInput, CandidatesThatAreNoItemIdRefuseTheRunBeforeAnyStatement) {
  add_npcs({77});
  state->item_max_count = 1;
  const struct {
    std::string line, held;
  } refused[] = {{"99999999999999999999", "100000000000000000000"},
                 {"1e30", "1000000000000000019884624838656"},
                 {"&HFFFFFFFF", "4294967295"},
                 {"2147483647.5", "2147483647.5"},  // rounds to 2^31
                 {"-2147483649", "-2147483649"},
                 {"1e400", "inf"},
                 {"-1e400", "-inf"}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.line);
    ui.messages.clear();
    go("1001\r\n" + c.line + "\r\n1002\r\n");  // good ids around it change nothing
    GeneralLog log;
    Command2_Click(*state, ui);
    EXPECT_EQ(ui.messages,
              (Texts{"Custom List Created [3 items]", "Using Your Custom Item List - [3 items]",
                     "The candidate list holds " + c.held + ", which is no valid item id." +
                         kNothingWritten}));
    EXPECT_EQ(std::tuple(log.connections().size(), log.statement_texts()), std::tuple(0u, Texts{}));
    expect_window_usable();
  }
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");

  // What fits 32 bits is an id, negative or not, rounded half to even.
  const struct {
    std::string line;
    std::string item;
  } accepted[] = {{"-5", "-5"},
                  {"2147483647.4", "2147483647"},
                  {"-2147483648.5", "-2147483648"},
                  {"12.5", "12"},
                  {"13.5", "14"}};
  for (const auto& c : accepted) {
    SCOPED_TRACE(c.line);
    clear_drops();
    go(c.line + "\r\n");
    GeneralLog log;
    Command2_Click(*state, ui);
    EXPECT_EQ(ui.messages.back(), "Completed!");
    ASSERT_EQ(log.statement_texts().size(), 5u);
    EXPECT_EQ(log.statement_texts()[3],
              "INSERT INTO lootdrop_entries values (1," + c.item + ",1,1,10,0,127,1)");
    EXPECT_EQ(fixture_rows("SELECT lootdrop_id, item_id FROM lootdrop_entries"),
              (Rows{{"1", c.item}}));
  }
}

TEST_F(BadInput, RuleTextsThatAreNoConditionAreRejectedAndTheRunWritesNothing) {
  add_items(10, {1001, 2001, 3001});
  add_npcs({77, 88});
  state->item_max_count = 1;
  const std::string long_valid = [] {
    std::string text = "ac>=0";
    while (text.size() < 10000) text += " AND ac>=0";
    return text;
  }();
  // The server prepares each statement whole: a second statement behind a ";" is
  // a syntax error, so neither part runs. A rejected statement leaves no entry
  // in the general log.
  // clang-format off
  const std::string rejected[] = {
      "DROP TABLE items", "1=1; DELETE FROM items", "1=1; DELETE FROM items;",
      "name='abc", "name=\"abc", "(ac>1", "ac>1)", "\r\n", "\r\n\r\n", " ", "\0"s,
      std::string(10000, 'x') + "=1", long_valid + " AND ("};
  // clang-format on
  for (const std::string& rule : rejected) {
    SCOPED_TRACE(shown(rule));
    // The test query: its own message; the rules are gone, the box keeps the text.
    r = rule;
    rules::r_LostFocus(*state, *this);
    ui.messages.clear();
    captions.clear();
    GeneralLog test_log;
    rules::Command3_Click(*state, ui, *this);
    EXPECT_EQ(std::tuple(ui.messages, captions, state->item_rules, state->current_sql, r),
              std::tuple(Texts{"Error in Query - check the field names and syntax"},
                         Texts{"Working..", "Test Query"}, "", "", rule));
    EXPECT_EQ(std::tuple(test_log.connections().size(), test_log.statement_texts()),
              std::tuple(1u, Texts{}));

    // Execute with the same rule: the item query fails, nothing is written.
    rules::r_LostFocus(*state, *this);
    ui.messages.clear();
    GeneralLog run_log;
    Command2_Click(*state, ui);
    EXPECT_EQ(ui.messages, Texts{"The item query failed - check the rules for wrong field names "
                                 "and syntax." +
                                 std::string(kNothingWritten)});
    EXPECT_EQ(std::tuple(run_log.connections().size(), run_log.statement_texts()),
              std::tuple(1u, Texts{}));
    expect_window_usable();
    expect_items_intact();
    EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");
  }

  // Accepted by the server: the statement it ran, the count, and the run's end.
  // The server reads a statement only up to a NUL character: what follows in
  // the rule is dropped, a second statement included.
  const struct {
    std::string rule, condition_run, count, run_message;
  } accepted[] = {
      {"ac>=5\0 OR 1=1"s, "ac>=5", "0", "No items match the selected category and rules."},
      {"ac>=5\0; DELETE FROM items"s, "ac>=5", "0",
       "No items match the selected category and rules."},
      {"name like 'x\xFF\xFE'", "name like 'x\xFF\xFE'", "0",
       "No items match the selected category and rules."},
      {long_valid, long_valid, "3", "Completed!"}};
  for (const auto& c : accepted) {
    SCOPED_TRACE(shown(c.rule));
    r = c.rule;
    rules::r_LostFocus(*state, *this);
    ui.messages.clear();
    GeneralLog log;
    rules::Command3_Click(*state, ui, *this);
    rules::r_LostFocus(*state, *this);
    Command2_Click(*state, ui);
    const std::string run_message =
        c.run_message + (c.count == "0" ? std::string(kNothingWritten) : std::string());
    EXPECT_EQ(ui.messages,
              (Texts{"Query Passed: " + c.count + " items match criteria", run_message}));
    const Texts texts = log.statement_texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(Texts(texts.begin(), texts.begin() + 2),
              (Texts{"SELECT COUNT(id) from items WHERE ( itemtype=10) AND " + c.condition_run,
                     "SELECT id from items WHERE ( itemtype=10) AND " + c.condition_run}));
    expect_items_intact();
  }
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM loottable_entries"), "2");
}

}  // namespace
}  // namespace vl::test
