// vandril_loot end to end: the real program on the private X display that
// run-in-session brings up, driven with the mouse and the keyboard (xdotool)
// against the throwaway test server. What the windows show is read over the
// accessibility bus; what the program wrote is read from the tables.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <chrono>
#include <fstream>
#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/test_db.h"
#include "support/window_texts.h"

namespace vl::e2e {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

const QString kMainTitle = QStringLiteral("Vandril Like LOOT maker ver 1.1.0");
const QString kBoxTitle = QStringLiteral("vandril_loot");

// Reads the program's windows the way assistive technology does: over the
// accessibility bus (AT-SPI) of the private D-Bus session. A call fails with
// std::runtime_error after two seconds; a busy program answers between steps.
class AccessibilityBus {
 public:
  AccessibilityBus() : bus_(QDBusConnection::connectToBus(address(), QStringLiteral("e2e"))) {}

  // The non-empty names of everything inside the program's open window titled
  // `title`, depth first: labels, buttons, list entries. Empty if none is open.
  Texts texts(const QString& title) {
    Texts found;
    const Ref registry{QStringLiteral("org.a11y.atspi.Registry"), kRootPath};
    for (const Ref& application : children(registry)) {
      for (const Ref& window : children(application))
        if (name(window) == title) collect(window, found);
    }
    return found;
  }

 private:
  using Ref = std::pair<QString, QString>;  // bus name, object path
  static inline const QString kRootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
  static inline const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");

  static QString address() {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"));
    if (reply.type() != QDBusMessage::ReplyMessage) throw std::runtime_error("no a11y bus");
    return reply.arguments().value(0).toString();
  }

  QList<QVariant> call(const Ref& at, const QString& interface, const QString& method,
                       const QList<QVariant>& arguments = {}) {
    QDBusMessage request = QDBusMessage::createMethodCall(at.first, at.second, interface, method);
    request.setArguments(arguments);
    const QDBusMessage reply = bus_.call(request, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage)
      throw std::runtime_error(method.toStdString() + ": " + reply.errorMessage().toStdString());
    return reply.arguments();
  }

  QString name(const Ref& at) {
    const auto reply = call(at, "org.freedesktop.DBus.Properties", "Get", {kAccessible, "Name"});
    return reply.value(0).value<QDBusVariant>().variant().toString();
  }

  std::vector<Ref> children(const Ref& at) {
    std::vector<Ref> result;
    const auto list = call(at, kAccessible, "GetChildren").value(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
      QString service;
      QDBusObjectPath path;
      list.beginStructure();
      list >> service >> path;
      list.endStructure();
      result.emplace_back(service, path.path());
    }
    list.endArray();
    return result;
  }

  void collect(const Ref& at, Texts& found) {
    for (const Ref& child : children(at)) {
      if (const QString shown = name(child); !shown.isEmpty()) found.push_back(shown.toStdString());
      collect(child, found);
    }
  }

  QDBusConnection bus_;
};

// Runs xdotool on the display; its output. Throws if it fails or hangs.
QString xdotool(const QStringList& arguments) {
  QProcess tool;
  tool.start(QStringLiteral("xdotool"), arguments);
  if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
    throw std::runtime_error("xdotool " + arguments.join(' ').toStdString() + " failed");
  return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// Polls `done` every 100 ms until it holds or `timeout` runs out; a poll that
// throws counts as "not yet".
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 30s) {
  for (const auto deadline = std::chrono::steady_clock::now() + timeout;;) {
    try {
      if (done()) return true;
    } catch (const std::exception&) {
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(100ms);
  }
}

int number(const std::string& sql) { return std::stoi(test::fixture_value(sql)); }

class EndToEndTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure() && program_.state() == QProcess::Running)
      QProcess::execute("import", {"-window", "root", work_ + "-failure.png"});
  }

  // Starts the program in a fresh work folder whose db.ini names the test
  // server at `host`, and waits until its main window is on the screen.
  void start(const std::string& host) {
    QDir(work_).removeRecursively();
    QDir().mkpath(work_);
    const auto& db = test::db_settings();
    std::ofstream(work_.toStdString() + "/db.ini")
        << "host=" << host << "\nuser=" << db.user << "\npassword=" << db.password
        << "\ndatabase=" << db.name << "\n";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    program_.setProcessEnvironment(environment);
    program_.setWorkingDirectory(work_);
    program_.setProcessChannelMode(QProcess::ForwardedChannels);
    program_.start(QStringLiteral(VL_E2E_PROGRAM), {});
    window_ = xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + kMainTitle + "$"});
  }

  // A left click at (x, y) of the main window, or of `window`.
  void click(int x, int y, const QString& window = {}) {
    xdotool({"mousemove", "--window", window.isEmpty() ? window_ : window, QString::number(x),
             QString::number(y), "click", "1"});
  }

  // The texts of the message box, once it is open.
  Texts message_box() {
    Texts shown;
    eventually([&] { return !(shown = bus_.texts(kBoxTitle)).empty(); }, 60s);
    return shown;
  }

  // Presses Return until `done` holds; a Return that came before the box had
  // the focus is lost, so it is pressed again every two seconds.
  bool press_return_until(const std::function<bool()>& done) {
    for (int tries = 0; tries < 10; ++tries) {
      xdotool({"key", "Return"});
      if (eventually(done, 2s)) return true;
    }
    return false;
  }

  QString work_ = QString::fromStdString(
      std::string("e2e-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  AccessibilityBus bus_;
  QProcess program_;
  QString window_;
};

// Load a sample world, Execute, Show Stats, and quit.
TEST_F(EndToEndTest, ExecuteShowStatsAndQuit) {
  const QString world = "{ cat " VL_SOURCE_DIR "/world/schema.sql; " VL_E2E_WORLD_GEN
                        " --items 400 --npcs 120 --loottables 40 --lootdrops 60"
                        " --custom-drops 12 --seed 3; } | " VL_SOURCE_DIR "/scripts/test-db sql ";
  const QString load = world + QString::fromStdString(test::db_settings().dir);
  ASSERT_EQ(QProcess::execute("bash", {"-o", "pipefail", "-c", load}), 0);
  const std::string drops = "SELECT COUNT(*) FROM lootdrop WHERE name='lvl_01-10_CUSTOM_armour'";
  const std::string entries = "SELECT COUNT(*) FROM lootdrop_entries";
  const int drops_before = number(drops);
  const int entries_before = number(entries);
  const int tables = number(
      "SELECT COUNT(DISTINCT loottable_id) FROM npc_types WHERE level<=10 AND loottable_id<>0");
  ASSERT_GT(tables, 1);
  ASSERT_NO_FATAL_FAILURE(start(test::db_settings().host));

  // Armour for the levels 01-10, both in force from the start, for every NPC
  // (a roll of 1 to 100 lies below 101): one new drop of five items per
  // loottable.
  click(336, 89);  // the share of NPCs
  xdotool({"key", "ctrl+a", "type", "101"});
  click(484, 72);  // Execute
  EXPECT_EQ(message_box(), (Texts{"Completed!", "OK"}));
  ASSERT_TRUE(press_return_until([&] { return bus_.texts(kBoxTitle).empty(); }));
  EXPECT_EQ(number(drops), drops_before + tables);
  EXPECT_EQ(number(entries), entries_before + 5 * tables);

  // Show Stats: one column per level range, one count per category.
  Texts expected;
  for (const std::string_view range : test::kLevelEntries) {
    std::string column;
    for (const std::string_view word : test::kStatsWords)
      column += test::fixture_value("SELECT COUNT(id) FROM lootdrop WHERE name='lvl_" +
                                    std::string(range) + "_CUSTOM_" + std::string(word) + "'") +
                "\n";
    expected.push_back(column);
  }
  const auto shown_columns = [&] {
    Texts columns;
    for (const std::string& text : bus_.texts(kMainTitle))
      if (std::regex_match(text, std::regex("([0-9]+\n){12}"))) columns.push_back(text);
    return columns;
  };
  click(172, 344);  // Show Stats
  eventually([&] { return shown_columns() == expected; });
  EXPECT_EQ(shown_columns(), expected);

  // The background menu's first entry opens the Preview, which plans the same
  // settings; "Write all at once" writes them once asked (Alt+Y: No is the default).
  xdotool({"mousemove", "--window", window_, "300", "606", "click", "3"});
  xdotool({"key", "Down", "Return"});
  const QString preview = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Preview$"});
  ASSERT_TRUE(eventually([&] {
    for (const std::string& text : bus_.texts("Preview"))
      if (text.starts_with("Drops named lvl_01-10_CUSTOM_armour")) return true;
    return false;
  }));
  const QString size = xdotool({"getwindowgeometry", "--shell", preview});
  const int height = QRegularExpression("HEIGHT=(\\d+)").match(size).captured(1).toInt();
  const int width = QRegularExpression("WIDTH=(\\d+)").match(size).captured(1).toInt();
  click(60, height - 26, preview);  // Write all at once, bottom left
  const std::string question = "Write " + std::to_string(tables) + " drops with " +
                               std::to_string(5 * tables) + " entries in one transaction?";
  EXPECT_EQ(message_box().front(), question);
  xdotool({"key", "alt+y"});
  const std::string written = "Written in one transaction: " + std::to_string(tables) +
                              " drops with " + std::to_string(5 * tables) + " entries in ";
  ASSERT_TRUE(eventually([&] {
    const Texts shown = bus_.texts(kBoxTitle);
    return !shown.empty() && shown.front().starts_with(written);
  }));
  ASSERT_TRUE(press_return_until([&] { return bus_.texts(kBoxTitle).empty(); }));
  EXPECT_EQ(number(drops), drops_before + 2 * tables);
  click(width - 50, height - 26, preview);  // Close, bottom right
  ASSERT_TRUE(eventually([&] { return bus_.texts("Preview").empty(); }));

  // The hot spot over the painted close dot ends the program.
  click(752, 8);
  ASSERT_TRUE(program_.waitForFinished(15000));
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0);
}

// A server that cannot be reached: the first command shows the four-line
// message, and Return ends the program with status 2; nothing reaches the
// test server.
TEST_F(EndToEndTest, UnreachableServerEndsTheProgramAfterItsMessage) {
  test::GeneralLog log;
  ASSERT_NO_FATAL_FAILURE(start("127.0.0.254"));  // nothing listens there
  click(484, 72);                                 // Execute
  EXPECT_EQ(message_box(), (Texts{"MYSQL Connection FAILED - Did you remember to:\nEdit db.ini "
                                  "for correct mysql user data?\nUse 127.0.0.1 IP for "
                                  "minilogin?\nInstall myODBC drivers?",
                                  "OK"}));
  ASSERT_TRUE(press_return_until([&] {
    program_.waitForFinished(100);
    return program_.state() == QProcess::NotRunning;
  }));
  EXPECT_EQ(program_.exitCode(), 2);
  EXPECT_EQ(log.entries().size(), 0u) << "something reached the test server";
}

}  // namespace
}  // namespace vl::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);  // for the D-Bus connection
  return RUN_ALL_TESTS();
}
