#pragma once
// Reads a running program's windows the way assistive technology does: over
// the accessibility bus (AT-SPI on D-Bus) of the session. This is how the
// test reads what the window shows: captions, texts, message boxes, states.

#include <sys/types.h>

#include <QDBusConnection>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vl::e2e {

struct Accessible {
  QString service;  // bus name of the program
  QString path;     // object path of the element
};

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// The accessibility states the test looks at (AT-SPI state numbers).
enum class AccessibleState { kChecked = 4, kEnabled = 8, kSelected = 23 };

// Every call fails with std::runtime_error after a short timeout: a program
// busy with a command answers only between its steps, so callers poll.
class AccessibilityBus {
 public:
  // Connects to the accessibility bus of the current D-Bus session.
  AccessibilityBus();

  // The root of the program with process id `pid`, once it has registered.
  std::optional<Accessible> application(pid_t pid);

  std::vector<Accessible> children(const Accessible& element);
  std::string name(const Accessible& element);
  std::string role(const Accessible& element);    // "push button", "label", "alert", ...
  ScreenRect extents(const Accessible& element);  // screen coordinates
  bool has_state(const Accessible& element, AccessibleState state);
  std::string text(const Accessible& element);  // the content of a text box

 private:
  QList<QVariant> call(const Accessible& element, const QString& interface, const QString& method,
                       const QList<QVariant>& arguments = {});
  QVariant property(const Accessible& element, const QString& name);

  QDBusConnection bus_;
};

}  // namespace vl::e2e
