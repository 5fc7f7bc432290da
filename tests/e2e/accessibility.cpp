#include "e2e/accessibility.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <stdexcept>

namespace vl::e2e {
namespace {

constexpr int kCallTimeoutMs = 2000;
const QString kAccessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");

QString bus_address() {
  QDBusMessage request = QDBusMessage::createMethodCall(
      QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
      QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
  const QDBusMessage reply = QDBusConnection::sessionBus().call(request, QDBus::Block, 10000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    throw std::runtime_error("no accessibility bus in this D-Bus session: " +
                             reply.errorMessage().toStdString());
  }
  return reply.arguments().first().toString();
}

}  // namespace

AccessibilityBus::AccessibilityBus()
    : bus_(QDBusConnection::connectToBus(bus_address(), QStringLiteral("vandril_e2e_a11y"))) {
  if (!bus_.isConnected()) {
    throw std::runtime_error("cannot connect to the accessibility bus: " +
                             bus_.lastError().message().toStdString());
  }
}

std::optional<Accessible> AccessibilityBus::application(pid_t pid) {
  const QStringList names = bus_.interface()->registeredServiceNames().value();
  for (const QString& name : names) {
    if (!name.startsWith(QLatin1Char(':'))) continue;
    if (bus_.interface()->servicePid(name).value() != static_cast<uint>(pid)) continue;
    Accessible root{name, QStringLiteral("/org/a11y/atspi/accessible/root")};
    try {
      if (role(root) == "application") return root;
    } catch (const std::runtime_error&) {
      // not (yet) answering as an application
    }
  }
  return std::nullopt;
}

QList<QVariant> AccessibilityBus::call(const Accessible& element, const QString& interface,
                                       const QString& method, const QList<QVariant>& arguments) {
  QDBusMessage request =
      QDBusMessage::createMethodCall(element.service, element.path, interface, method);
  request.setArguments(arguments);
  const QDBusMessage reply = bus_.call(request, QDBus::Block, kCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    throw std::runtime_error(method.toStdString() + " on " + element.path.toStdString() +
                             " failed: " + reply.errorMessage().toStdString());
  }
  return reply.arguments();
}

QVariant AccessibilityBus::property(const Accessible& element, const QString& name) {
  const QList<QVariant> reply = call(element, QStringLiteral("org.freedesktop.DBus.Properties"),
                                     QStringLiteral("Get"), {kAccessibleInterface, name});
  if (reply.isEmpty()) throw std::runtime_error("no property " + name.toStdString());
  return reply.first().value<QDBusVariant>().variant();
}

std::vector<Accessible> AccessibilityBus::children(const Accessible& element) {
  const QList<QVariant> reply = call(element, kAccessibleInterface, QStringLiteral("GetChildren"));
  std::vector<Accessible> result;
  const auto list = reply.value(0).value<QDBusArgument>();
  list.beginArray();
  while (!list.atEnd()) {
    QString service;
    QDBusObjectPath path;
    list.beginStructure();
    list >> service >> path;
    list.endStructure();
    result.push_back({service, path.path()});
  }
  list.endArray();
  return result;
}

std::string AccessibilityBus::name(const Accessible& element) {
  return property(element, QStringLiteral("Name")).toString().toStdString();
}

std::string AccessibilityBus::role(const Accessible& element) {
  return call(element, kAccessibleInterface, QStringLiteral("GetRoleName"))
      .value(0)
      .toString()
      .toStdString();
}

ScreenRect AccessibilityBus::extents(const Accessible& element) {
  const QList<QVariant> reply = call(element, QStringLiteral("org.a11y.atspi.Component"),
                                     QStringLiteral("GetExtents"), {QVariant::fromValue(0u)});
  ScreenRect rect;
  const auto box = reply.value(0).value<QDBusArgument>();
  box.beginStructure();
  box >> rect.x >> rect.y >> rect.width >> rect.height;
  box.endStructure();
  return rect;
}

bool AccessibilityBus::has_state(const Accessible& element, AccessibleState state) {
  const QList<QVariant> reply = call(element, kAccessibleInterface, QStringLiteral("GetState"));
  std::vector<std::uint32_t> words;
  const auto set = reply.value(0).value<QDBusArgument>();
  set.beginArray();
  while (!set.atEnd()) {
    std::uint32_t word = 0;
    set >> word;
    words.push_back(word);
  }
  set.endArray();
  const auto bit = static_cast<unsigned>(state);
  return bit / 32 < words.size() && ((words[bit / 32] >> (bit % 32)) & 1u) != 0;
}

std::string AccessibilityBus::text(const Accessible& element) {
  return call(element, QStringLiteral("org.a11y.atspi.Text"), QStringLiteral("GetText"), {0, -1})
      .value(0)
      .toString()
      .toStdString();
}

}  // namespace vl::e2e
