#include "support/scenario.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <ranges>
#include <regex>
#include <sstream>

#include "app/window/command_guard.h"
#include "app/window/custom_list_handlers.h"
#include "app/window/delete_button.h"
#include "app/window/form1_logic.h"
#include "app/window/generation_run.h"
#include "app/window/repair_button.h"
#include "app/window/rules_handlers.h"
#include "app/window/stats_button.h"
#include "app/window/window_journal.h"
#include "db/database.h"
#include "journal/run_settings.h"
#include "support/recording_ui.h"
#include "support/window_texts.h"

namespace vl::test {
namespace {

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

const std::string kSummary =
    "SELECT CONCAT_WS(' / ',(SELECT COUNT(*) FROM items),"
    "IFNULL((SELECT GROUP_CONCAT(id,':',name ORDER BY id) FROM lootdrop),'-'),"
    "IFNULL((SELECT GROUP_CONCAT(lootdrop_id,':',item_id,':',chance ORDER BY lootdrop_id,item_id)"
    " FROM lootdrop_entries),'-'),"
    "IFNULL((SELECT GROUP_CONCAT(id ORDER BY id) FROM loottable),'-'),"
    "IFNULL((SELECT GROUP_CONCAT(loottable_id,':',lootdrop_id,':',probability ORDER BY "
    "loottable_id,lootdrop_id)"
    " FROM loottable_entries),'-'),"
    "IFNULL((SELECT GROUP_CONCAT(IFNULL(id,'NULL'),':',IFNULL(loottable_id,'NULL') ORDER BY id)"
    " FROM npc_types),'-'))";

template <typename T>
void check_if(const char* what, const T& actual, const std::optional<T>& expected) {
  if (!expected) return;
  EXPECT_EQ(actual, *expected) << what;
}

app::Command command_of(Command command, Controls& controls) {
  if (command == Command::execute) return loot::Command2_Click;
  if (command == Command::stats) return maintenance::Command3_Click;
  if (command == Command::remove) return maintenance::Command1_Click;
  if (command == Command::repair) return maintenance::Command4_Click;
  return [&controls](ProgramState& s, UiPort& u) { rules::Command3_Click(s, u, controls); };
}

app::Command journaled(app::WindowJournal& journal, Command command) {
  return command == Command::execute  ? journal.execute()
         : command == Command::remove ? journal.delete_drops()
                                      : journal.repair();
}

void drop_journal_rows(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  EXPECT_EQ(sqlite3_exec(db, "DROP TABLE rows", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

std::string newest_run(const std::string& path) {
  const auto runs = journal::Store(path).runs();
  if (runs.empty()) return "";
  const std::string list = journal::setting_of(runs[0].settings, "list_size");
  return runs[0].command + " " + journal::shown_outcome(runs[0]) + " " +
         std::to_string(runs[0].rows) +
         (journal::why_not_undoable(runs[0]).empty() ? " undoable" : " not undoable") +
         (list.empty() ? "" : " " + list + " items");
}

}  // namespace

std::string window(const std::string& enabled, const std::string& connection, const std::string& lx,
                   const std::string& delete_caption, const std::string& repair_caption) {
  return enabled + " | " + connection + " | " + lx + " | " + delete_caption + " | " +
         repair_caption;
}

Texts stats_counts(std::size_t ranges) {
  Texts sql;
  for (std::size_t r = 0; r < ranges; ++r)
    for (const auto& word : kStatsWords)
      sql.push_back("select count(id) from lootdrop where lootdrop.name = 'lvl_" +
                    std::string(kLevelEntries[r]) + "_CUSTOM_" + std::string(word) + "'");
  return sql;
}

Texts drop_sql(long long loottable, const Texts& items, const std::string& chance,
               const std::string& probability, int id, const std::string& name) {
  const std::string d = std::to_string(id);
  Texts sql = {"SELECT MAX(id) FROM lootdrop",
               "INSERT INTO lootdrop (id,name) values (" + d + ",\"" + name + "\")"};
  for (const auto& item : items)
    sql.push_back("INSERT INTO lootdrop_entries values (" + d + "," + item + ",1,1," + chance +
                  ",0,127,1)");
  sql.push_back("INSERT INTO loottable_entries values (" + std::to_string(loottable) + "," + d +
                ",1," + probability + ",1,0)");
  return sql;
}

Texts deletion_sql(const std::string& range, const std::vector<int>& ids) {
  Texts sql = {"SELECT id from lootdrop WHERE lootdrop.name like 'lvl_" + range + "%'",
               "DELETE FROM lootdrop WHERE lootdrop.name like 'lvl_" + range + "%'"};
  for (int id : ids) {
    sql.push_back("DELETE FROM lootdrop_entries WHERE lootdrop_id=" + std::to_string(id));
    sql.push_back("DELETE FROM loottable_entries WHERE lootdrop_id=" + std::to_string(id));
  }
  return sql;
}

Texts repair_sql(int id, const Texts& items, int table, const Texts& npcs) {
  const std::string d = std::to_string(id);
  Texts sql = {"SELECT id FROM npc_types WHERE loottable_id=0",
               "SELECT id FROM items WHERE name LIKE 'cloth%' OR name LIKE 'rusty%'",
               "SELECT max(id) FROM lootdrop",
               "INSERT INTO LOOTDROP values (" + d + ",'fixed_by_KORVATH')"};
  for (const auto& item : items)
    sql.push_back("INSERT INTO LOOTDROP_ENTRIES values (" + d + "," + item + ",1,1,1,0,127,1)");
  for (const auto& npc : npcs) {
    const std::string t = std::to_string(table++);
    sql.insert(sql.end(),
               {"SELECT max(id) FROM loottable",
                "INSERT INTO LOOTTABLE values (" + t + ",'fixed_by_KORVATH',100,1000,0)",
                "INSERT INTO LOOTTABLE_ENTRIES values (" + t + "," + d + ",1,50,1,0)",
                "UPDATE npc_types SET loottable_id=" + t + " WHERE npc_types.id=" + npc});
  }
  return sql;
}

Texts operator+(Texts a, const Texts& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
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
  state->level_high = row.level.substr(dash + 1);
  form.select_op(row.op);
  form.set_text(Form1Control::perc_of_npcs, row.perc);
  form.set_text(Form1Control::lootdrop_percentx, row.chance);
  form.set_text(Form1Control::loottable_percentx, row.probability);
  form.set_text(Form1Control::item_max, row.item_max);
  for (int column = 1; column <= 8; ++column) form.set_lvls(column, "stale\r\n");
  Controls controls;
  controls.list = row.list.value_or("");
  if (row.list) custom_list::ok_Click(*state, ui, controls);
  controls.r = row.rules.value_or("");
  if (row.rules) rules::r_LostFocus(*state, controls);
  if (row.random) state->random.seed(*row.random);
  ui.messages.clear();
  const std::string journal_path = row.journal == Journal::unwritable
                                       ? "/dev/null/journal.sqlite3"
                                       : "journal_" + row.name + ".sqlite3";
  std::error_code not_there;
  for (const char* suffix : {"", "-wal", "-shm"})
    std::filesystem::remove(journal_path + suffix, not_there);
  std::optional<app::WindowJournal> journal;
  if (row.journal != Journal::off) journal.emplace(journal_path);
  const std::string before = row.undone ? world_checksums() : "";

  // What the window showed as it changed, and when events went through.
  Texts trace;
  const Form1Control buttons[] = {Form1Control::Command1, Form1Control::Command2,
                                  Form1Control::Command3, Form1Control::Command4,
                                  Form1Control::Command5};
  form.on_changed = [&](Form1Control control) {
    if (control == Form1Control::lx) trace.push_back("lx " + form.lx());
    if (control == Form1Control::progress) trace.push_back("x2 " + number(form.progress().x2));
    const ButtonState& button = form.button(std::clamp(control, buttons[0], buttons[4]));
    const std::string text = button.caption + (button.enabled ? "" : " (off)");
    if (std::ranges::count(buttons, control) && (trace.empty() || trace.back() != text))
      trace.push_back(text);
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
    if (row.fault == Fault::journal && row.at == tick) drop_journal_rows(journal_path);
    if (row.midway && tick == 3) {
      const auto runs = journal::Store(journal_path).runs();
      check_if("midway", runs[0].command + " " + journal::shown_outcome(runs[0]), row.midway);
      app::undo_run(*journal->store(), *state, runs[0].id, ui, [](const auto&) { return true; });
    }
    if (row.fault == Fault::lock_kill && row.at == tick)
      killer = std::make_unique<KillWhenWaiting>(row.table, row.head);
  };
  ui.on_repaint = [&] { on_tick("rp"); };
  ui.on_process_events = [&] {
    const auto stale = std::ranges::count_if(
        std::views::iota(1, 9), [&](int column) { return form.lvls(column) == "stale\r\n"; });
    on_tick(row.command == Command::stats ? "ev s" + std::to_string(stale) : "ev");
  };

  GeneralLog log;
  if (row.fault == Fault::rename) fixture_sql("RENAME TABLE " + row.table + " TO away");
  if (row.fault == Fault::password) state->db_password = "not_the_password";
  if (row.fault == Fault::stopped) stop_server();
  if (row.fault == Fault::lock_kill && row.at == 0)
    killer = std::make_unique<KillWhenWaiting>(row.table, row.head);
  std::vector<int> exits;
  app::run_command(*state, ui,
                   journal ? journaled(*journal, row.command) : command_of(row.command, controls),
                   [&](int code) { exits.push_back(code); });
  EXPECT_EQ(killer ? killer->join() : "", row.waited);

  // The log before the server comes back: reading it needs none.
  const auto connections = log.connections();
  Texts sql;
  std::string on;
  for (const auto& statement : log.statements()) {
    sql.push_back(statement.argument);
    const auto index = std::ranges::find(connections, statement.connection) - connections.begin();
    on += static_cast<char>('0' + index);
  }
  // A drop's entries come in the order drawn: compared sorted.
  for (auto first = sql.begin(); first != sql.end(); ++first) {
    const auto is_entry = [](const std::string& s) {
      return s.starts_with("INSERT INTO lootdrop_entries values (");
    };
    std::sort(first, std::find_if_not(first, sql.end(), is_entry));
  }
  EXPECT_EQ(sql, row.sql);
  EXPECT_EQ(log.last_request(), sql.empty() ? "" : sql.back());  // nothing refused after it
  if (row.fault == Fault::kill || row.fault == Fault::lock_kill || row.fault == Fault::stopped)
    restart_server();
  if (row.fault == Fault::rename) fixture_sql("RENAME TABLE away TO " + row.table);
  if (ui.beeps) trace.push_back("beeps " + std::to_string(ui.beeps));

  Texts messages, columns;
  const std::string pid = "(process " + std::to_string(getpid()) + ")";
  for (std::string message : ui.messages) {
    if (const auto at = message.find(pid); at != std::string::npos)
      message.replace(at, pid.size(), "(process {pid})");
    messages.push_back(without_version_tags(message));
  }
  for (int column = 1; column <= 8; ++column) columns.push_back(form.lvls(column));
  std::string enabled;
  for (auto button : buttons) enabled += form.button(button).enabled ? '1' : '0';
  const auto& link = state->db_connection;
  const char* connection = !link ? "none" : link->is_open() ? "open" : "closed";
  EXPECT_EQ(window(enabled, connection, form.lx() + " " + number(form.progress().x2),
                   form.button(Form1Control::Command1).caption,
                   form.button(Form1Control::Command4).caption),
            row.window.value_or(window()));
  EXPECT_EQ(messages, row.messages);
  EXPECT_EQ(exits, row.exits);
  if (row.trace && !row.trace->empty() && row.trace->front() == "...") {  // the end only
    trace.erase(trace.begin(), trace.end() - std::min(trace.size(), row.trace->size() - 1));
    trace.insert(trace.begin(), "...");
  }
  const std::string r = row.command == Command::test_query ? " | " + controls.r : "";
  check_if("on", on, row.on);
  check_if("connections", static_cast<int>(connections.size()), row.connections);
  check_if("trace", trace, row.trace);
  check_if("columns", columns, row.columns);
  check_if("state", state->item_rules + " | " + state->current_sql + r, row.state);
  if (row.history) check_if("history", newest_run(journal_path), row.history);
  if (row.after)
    check_if("after", fixture_value(row.after_query.empty() ? kSummary : row.after_query),
             row.after);
  if (row.undone) {
    const auto ran = journal::Store(journal_path).runs();
    ASSERT_FALSE(ran.empty());
    EXPECT_TRUE(app::undo_run(*journal->store(), *state, ran[0].id, ui,
                              [](const std::string&) { return true; }));
    EXPECT_EQ(world_checksums(), before);
  }
}

TEST_P(Scenario, Runs) { run_row(GetParam()); }
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Scenario);  // the window tests run no rows

}  // namespace vl::test
