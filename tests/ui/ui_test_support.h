#pragma once
// Shared helpers of the window tests: db.ini, the loaded main window with
// its secondary windows, and input as the window system delivers it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/program_state.h"
#include "support/recording_ui.h"
#include "support/test_db.h"
#include "ui/filter_windows.h"
#include "ui/form1_logic.h"
#include "ui/form1_window.h"
#include "ui/program.h"

namespace vl::test {

// Writes db.ini in the working folder (removes it when `contents` is empty);
// returns its path. The window tests hold the test server's lock, so they run one at a time.
inline std::string write_ini(const std::string& contents) {
  const std::string path = "ui_test_db.ini";
  std::filesystem::remove(path);
  if (!contents.empty()) std::ofstream(path, std::ios::binary) << contents;
  return path;
}

// A db.ini naming the test server.
inline std::string test_db_ini() {
  const DbSettings& db = db_settings();
  return write_ini("host=" + db.host + "\nuser=" + db.user + "\npassword=" + db.password +
                      "\ndatabase=" + db.name + "\n");
}

template <typename T = QWidget>
T* child(const QWidget* window, const std::string& name) {
  T* found = window->findChild<T*>(QString::fromStdString(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

inline void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Shows the window as the active one, so that it takes the focus.
inline void show_active(QWidget& window) {
  window.show();
  window.activateWindow();
  QApplication::processEvents();
}

// A real left click: the press moves the focus first, as the window system's does.
inline void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// Presses `button` on `target` at `from`, moves by `by` with `held` down, releases.
inline void drag(QWidget* target, QPoint from, QPoint by, Qt::MouseButton button = Qt::LeftButton,
                 Qt::MouseButtons held = Qt::LeftButton) {
  auto send = [target](QEvent::Type type, QPoint at, Qt::MouseButton b, Qt::MouseButtons h) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), b, h, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  };
  send(QEvent::MouseButtonPress, from, button, button);
  send(QEvent::MouseMove, from + by, Qt::NoButton, held);
  send(QEvent::MouseButtonRelease, from + by, button, Qt::NoButton);
}

// Names of the first `count` controls that Tab visits, starting at `first`.
inline std::vector<std::string> tab_order(QWidget* first, std::size_t count) {
  std::vector<std::string> order;
  QWidget* next = first;
  do {
    if (next->focusPolicy() & Qt::TabFocus) order.push_back(next->objectName().toStdString());
    next = next->nextInFocusChain();
  } while (next != first && order.size() < count);
  return order;
}

// The main window after a successful start-up; the program's end is recorded.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main = ui::load_main_window(*state, ui, test_db_ini());
    ASSERT_NE(main, nullptr);
    main->end_program = [this](int code) { exit_codes.push_back(code); };
    filters = main->findChild<ui::FilterWindows*>();
    ASSERT_NE(filters, nullptr);
  }
  void TearDown() override {
    main.reset();  // with the rules and custom item list windows
    flush_deletes();
  }
  template <typename T = QWidget>
  T* control(const std::string& name) {
    return child<T>(main.get(), name);
  }
  QPushButton* button(const std::string& name) { return control<QPushButton>(name); }
  // Click "Rules" or the custom list button, then make the window shown the active one.
  void open_rules() {
    flush_deletes();  // a closed window goes only when events run
    click(button("Command5"));
    rules = filters->rules_window();
    if (rules != nullptr) show_active(*rules);
  }
  void open_list() {
    flush_deletes();
    click(button("Command6"));
    list = filters->list_window();
    if (list != nullptr) show_active(*list);
  }

  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
  std::unique_ptr<ui::Form1Window> main;
  ui::FilterWindows* filters = nullptr;
  std::vector<int> exit_codes;
  QPointer<ui::RulesWindow> rules;
  QPointer<ui::CustomItemListWindow> list;
};

}  // namespace vl::test
