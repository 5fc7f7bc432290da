#include "support/scenario.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "db/database.h"
#include "loot/custom_list.h"
#include "loot/generation_run.h"
#include "loot/rules.h"
#include "maintenance/delete_drops.h"
#include "maintenance/repair.h"
#include "maintenance/stats.h"
#include "support/recording_ui.h"
#include "ui/command_guard.h"
#include "ui/form1_logic.h"

namespace vl::test {
namespace {

class Controls : public rules::RulesControls, public custom_list::ListControls {
 public:
  std::string r_text() const override { return r; }
  void set_r_text(const std::string& text) override { r = text; }
  void set_Command3_caption(const std::string& caption) override { on_caption(caption); }
  std::string customlist_text() const override { return list; }
  void set_customlist_text(const std::string& text) override { list = text; }
  void unload() override {}
  std::string r, list;
  std::function<void(const std::string&)> on_caption;
};

std::string number(double value) {
  std::ostringstream out;
  out.precision(12);
  out << value;
  return out.str();
}

// The driver's and the server's version tags ("[name-1.2.3][10.11.6-MariaDB]")
// go: a message is matched on the server's own words.
std::string without_version_tags(const std::string& message) {
  static const std::regex tags(R"((\[[^\]\s]+\])+)");
  return std::regex_replace(message, tags, "");
}

ui::Command command_of(Command command, Controls& controls) {
  switch (command) {
    case Command::execute:
      return loot::Command2_Click;
    case Command::stats:
      return maintenance::Command3_Click;
    case Command::remove:
      return maintenance::Command1_Click;
    case Command::repair:
      return maintenance::Command4_Click;
    case Command::test_query:
      break;
  }
  return [&controls](ProgramState& s, UiPort& u) { rules::Command3_Click(s, u, controls); };
}

}  // namespace

std::string window(const std::string& enabled, const std::string& connection, const std::string& lx,
                   const std::string& delete_caption, const std::string& repair_caption) {
  return enabled + " | " + connection + " | " + lx + " | " + delete_caption + " | " +
         repair_caption;
}

std::string summary() {
  return fixture_value(
      "SELECT CONCAT_WS(' / ',(SELECT COUNT(*) FROM items),"
      "IFNULL((SELECT GROUP_CONCAT(id,':',name ORDER BY id) FROM lootdrop),'-'),"
      "IFNULL((SELECT GROUP_CONCAT(lootdrop_id,':',item_id,':',chance ORDER BY lootdrop_id,item_id)"
      " FROM lootdrop_entries),'-'),"
      "IFNULL((SELECT GROUP_CONCAT(id ORDER BY id) FROM loottable),'-'),"
      "IFNULL((SELECT GROUP_CONCAT(loottable_id,':',lootdrop_id,':',probability ORDER BY "
      "loottable_id,lootdrop_id)"
      " FROM loottable_entries),'-'),"
      "IFNULL((SELECT GROUP_CONCAT(IFNULL(id,'NULL'),':',IFNULL(loottable_id,'NULL') ORDER BY id)"
      " FROM npc_types),'-'))");
}

Texts stats_counts(std::size_t ranges) {
  static const Texts levels = {"01-10", "11-20", "21-30", "31-40",
                               "41-50", "51-60", "61-99", "65-99"};
  static const Texts words = {"armour",
                              "weapon",
                              "higher lvl misc",
                              "All lvl misc",
                              "shields",
                              "General Food Items",
                              "Spells/Songs",
                              "potions",
                              "Drums/Arrows/Crafted Rings",
                              "Ales/Drinks",
                              "idols charms trinkets",
                              "high level augment items/Solvents"};
  Texts sql;
  for (std::size_t r = 0; r < ranges; ++r)
    for (const auto& word : words)
      sql.push_back("select count(id) from lootdrop where lootdrop.name = 'lvl_" + levels[r] +
                    "_CUSTOM_" + word + "'");
  return sql;
}

std::string rejected(const std::string& server_text, const std::string& sql) {
  return "The database rejected a statement, and the command was stopped.\r\n\r\n" + server_text +
         "\r\n\r\nStatement: " + sql;
}

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

std::string scenario_name(const ::testing::TestParamInfo<Row>& info) { return info.param.name; }

void run_row(const Row& row) {
  if (!server_answers()) restart_server();
  reset_world();
  for (const auto& sql : row.seed) fixture_sql(sql);
  auto state = std::make_unique<ProgramState>();
  RecordingUi ui;
  ASSERT_TRUE(form1::Form_Load(*state, ui, write_db_ini(db_settings().dir + "/db.ini")));
  Form1Model& form = state->form1;
  const auto dash = row.level.find('-');
  state->level_low = row.level.substr(0, dash);
  state->level_high = dash == std::string::npos ? "" : row.level.substr(dash + 1);
  form.select_op(row.op);
  form.set_text(Form1Control::perc_of_npcs, row.perc);
  form.set_text(Form1Control::lootdrop_percentx, row.chance);
  form.set_text(Form1Control::loottable_percentx, row.probability);
  form.set_text(Form1Control::item_max, row.item_max);
  for (int column = 1; column <= 8; ++column) form.set_lvls(column, "stale\r\n");
  Controls controls;
  if (row.list) {
    controls.list = *row.list;
    custom_list::ok_Click(*state, ui, controls);
  }
  if (row.rules) {
    controls.r = *row.rules;
    rules::r_LostFocus(*state, controls);
  }
  if (row.random) state->random.seed(*row.random);
  ui.messages.clear();

  // What the window showed as it changed.
  Texts trace;
  const Form1Control buttons[] = {Form1Control::Command1, Form1Control::Command2,
                                  Form1Control::Command3, Form1Control::Command4,
                                  Form1Control::Command5};
  form.on_changed = [&](Form1Control control) {
    if (control == Form1Control::lx) trace.push_back("lx " + form.lx());
    if (control == Form1Control::progress) trace.push_back("x2 " + number(form.progress().x2));
    for (auto button : buttons) {
      const std::string text =
          form.button(button).caption + (form.button(button).enabled ? "" : " (off)");
      if (control == button && (trace.empty() || trace.back() != text)) trace.push_back(text);
    }
  };
  controls.on_caption = [&](const std::string& caption) { trace.push_back("r3 " + caption); };
  ui.on_message = [&](const std::string&) {
    trace.push_back(row.command == Command::test_query ? "msg rules=" + state->item_rules : "msg");
  };
  int tick = 0;
  std::unique_ptr<KillWhenWaiting> killer;
  const auto on_tick = [&](const std::string& what) {
    trace.push_back(what);
    ++tick;
    for (const auto& [at, act] : row.ticks)
      if (at == tick) act(*state);
    if (row.fault == Fault::kill && row.at == tick) kill_server();
    if (row.fault == Fault::lock_kill && row.at == tick)
      killer = std::make_unique<KillWhenWaiting>(row.table, row.head);
  };
  ui.on_repaint = [&] { on_tick("rp"); };
  ui.on_process_events = [&] {
    int stale = 0;
    for (int column = 1; column <= 8; ++column) stale += form.lvls(column) == "stale\r\n";
    on_tick(row.command == Command::stats ? "ev s" + std::to_string(stale) : "ev");
  };

  GeneralLog log;
  if (row.fault == Fault::rename) fixture_sql("RENAME TABLE " + row.table + " TO away");
  if (row.fault == Fault::password) state->db_password = "not_the_password";
  if (row.fault == Fault::stopped) stop_server();
  if (row.fault == Fault::lock_kill && row.at == 0)
    killer = std::make_unique<KillWhenWaiting>(row.table, row.head);
  std::vector<int> exits;
  ui::run_command(*state, ui, command_of(row.command, controls),
                  [&](int code) { exits.push_back(code); });
  const std::string waited = killer ? killer->join() : "";

  // The log first: reading it needs no server.
  const auto statements = log.statements();
  const auto connections = log.connections();
  const std::string log_last = log.last_request();
  Texts sql;
  std::string on;
  for (std::size_t i = 0; i < statements.size(); ++i) {
    const auto& statement = statements[i];
    sql.push_back(statement.argument);
    // A drop's entries come in the order drawn: compared sorted.
    const std::string entry = "INSERT INTO lootdrop_entries values (";
    for (auto k = sql.size() - 1;
         k > 0 && sql[k].starts_with(entry) && sql[k - 1].starts_with(entry) && sql[k] < sql[k - 1];
         --k)
      std::swap(sql[k], sql[k - 1]);
    const auto at = std::find(connections.begin(), connections.end(), statement.connection);
    const auto index = at - connections.begin();
    on += at == connections.end() ? '?' : index < 10 ? char('0' + index) : char('a' + index - 10);
  }
  if (row.fault == Fault::kill || row.fault == Fault::lock_kill || row.fault == Fault::stopped)
    restart_server();
  if (row.fault == Fault::rename) fixture_sql("RENAME TABLE away TO " + row.table);
  if (ui.beeps) trace.push_back("beeps " + std::to_string(ui.beeps));

  Texts messages, columns;
  for (const auto& message : ui.messages) messages.push_back(without_version_tags(message));
  std::string enabled;
  for (auto button : buttons) enabled += form.button(button).enabled ? '1' : '0';
  const std::string connection = !state->db_connection             ? "none"
                                 : state->db_connection->is_open() ? "open"
                                                                   : "closed";
  const std::string shown = window(
      enabled, connection, form.lx() + " " + number(form.progress().x2),
      form.button(Form1Control::Command1).caption, form.button(Form1Control::Command4).caption);
  for (int column = 1; column <= 8; ++column) columns.push_back(form.lvls(column));
  std::string rules_state = state->item_rules + " | " + state->current_sql;
  if (row.command == Command::test_query) rules_state += " | " + controls.r;
  const std::string after = row.after_query.empty() ? summary() : fixture_value(row.after_query);
  if (std::getenv("VL_SCENARIO_DUMP")) {
    std::ostringstream out;
    const auto list = [&out](const char* name, const Texts& texts) {
      out << name << " = {";
      for (const auto& t : texts) out << "\n  " << ::testing::PrintToString(t) << ",";
      out << "}\n";
    };
    out << "==== " << row.name << "\n";
    list("sql", sql);
    out << "on = " << on << "\nconnections = " << connections.size() << "\n";
    list("messages", messages);
    list("trace", trace);
    list("columns", columns);
    out << "window = " << ::testing::PrintToString(shown)
        << "\nstate = " << ::testing::PrintToString(rules_state)
        << "\nafter = " << ::testing::PrintToString(after) << "\nwaited = " << waited
        << "\nexits = " << exits.size() << "\n";
    std::fputs(out.str().c_str(), stderr);
  }
  EXPECT_EQ(sql, row.sql);
  EXPECT_EQ(log_last, sql.empty() ? "" : sql.back());  // nothing refused after it
  if (row.on) {
    EXPECT_EQ(on, *row.on);
  }
  if (row.connections) {
    EXPECT_EQ(static_cast<int>(connections.size()), *row.connections);
  }
  EXPECT_EQ(messages, row.messages);
  EXPECT_EQ(exits, row.exits);
  EXPECT_EQ(shown, row.window.value_or(window()));
  if (row.trace && !row.trace->empty() && row.trace->front() == "...") {
    const Texts tail(row.trace->begin() + 1, row.trace->end());
    EXPECT_EQ(Texts(trace.end() - std::min(trace.size(), tail.size()), trace.end()), tail);
  } else if (row.trace) {
    EXPECT_EQ(trace, *row.trace);
  }
  if (row.columns) {
    EXPECT_EQ(columns, *row.columns);
  }
  if (row.state) {
    EXPECT_EQ(rules_state, *row.state);
  }
  if (row.after) {
    EXPECT_EQ(after, *row.after);
  }
  EXPECT_EQ(waited, row.waited);
}

TEST_P(Scenario, Runs) { run_row(GetParam()); }

}  // namespace vl::test
