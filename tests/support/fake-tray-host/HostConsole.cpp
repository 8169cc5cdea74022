#include "HostConsole.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

#include "LineCodec.h"
#include "NotificationServer.h"
#include "StatusNotifierWatcher.h"

namespace faketray {

namespace {
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
}  // namespace

HostConsole::HostConsole(const QDBusConnection& bus, StatusNotifierWatcher& watcher, NotificationServer& notes,
                         QObject* parent)
    : QObject(parent),
      bus_(bus),
      watcher_(watcher),
      notes_(notes),
      input_(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this)) {
  connect(input_, &QSocketNotifier::activated, this, &HostConsole::readInput);
}

void HostConsole::emitLine(const QStringList& fields) {
  const QByteArray line = encodeLine(fields);
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
  std::fflush(stdout);
}

void HostConsole::readInput() {
  char buf[4096];
  const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
  if (n <= 0) {
    // The test that drives the host has gone: so does the host (and with
    // dbus-run-session, its bus).
    input_->setEnabled(false);
    QCoreApplication::quit();
    return;
  }
  pending_.append(buf, n);
  qsizetype nl;
  while ((nl = pending_.indexOf('\n')) >= 0) {
    const QString line = QString::fromUtf8(pending_.left(nl)).trimmed();
    pending_.remove(0, nl + 1);
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    if (!words.isEmpty()) run(words);
  }
}

void HostConsole::run(const QStringList& words) {
  const QString& cmd = words[0];
  if (cmd == u"activate") return callItem(cmd, QStringLiteral("Activate"), words);
  if (cmd == u"context") return callItem(cmd, QStringLiteral("ContextMenu"), words);
  if (cmd == u"secondary") return callItem(cmd, QStringLiteral("SecondaryActivate"), words);
  if (cmd == u"tooltip") return readToolTip();
  if (cmd == u"status") return readStatus();
  if (cmd == u"invoke" || cmd == u"dismiss") {
    bool ok = false;
    const uint id = words.value(1).toUInt(&ok);
    if (!ok) return emitLine({"error", cmd, "usage: " + cmd + (cmd == u"invoke" ? " ID [ACTION]" : " ID [REASON]")});
    if (cmd == u"invoke") {
      notes_.invokeAction(id, words.value(2, QStringLiteral("default")));
    } else {
      notes_.closeNote(id, words.value(2, QStringLiteral("2")).toUInt());
    }
    return emitLine({"ok", cmd});
  }
  if (cmd == u"items") {
    QStringList reply{"reply", "items"};
    for (const auto& item : watcher_.items()) reply << item.service + item.path;
    return emitLine(reply);
  }
  if (cmd == u"quit") {
    emitLine({"ok", cmd});
    QCoreApplication::quit();
    return;
  }
  emitLine({"error", cmd, "unknown command"});
}

void HostConsole::callItem(const QString& command, const QString& method, const QStringList& words) {
  if (watcher_.items().isEmpty()) return emitLine({"error", command, "no item registered"});
  const auto& item = watcher_.items().last();
  QDBusMessage call = QDBusMessage::createMethodCall(item.service, item.path, kItemInterface, method);
  call << words.value(1, QStringLiteral("0")).toInt() << words.value(2, QStringLiteral("0")).toInt();
  auto* watch = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watch, &QDBusPendingCallWatcher::finished, this, [command](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (w->isError()) emitLine({"error", command, w->error().message()});
    else emitLine({"ok", command});
  });
}

// ToolTip is (icon name, [(width, height, ARGB32 bytes)], title, text).
void HostConsole::readToolTip() {
  if (watcher_.items().isEmpty()) return emitLine({"error", "tooltip", "no item registered"});
  const auto& item = watcher_.items().last();
  QDBusMessage get = QDBusMessage::createMethodCall(item.service, item.path, kProperties, QStringLiteral("Get"));
  get << kItemInterface << QStringLiteral("ToolTip");
  const QDBusMessage reply = bus_.call(get, QDBus::Block, 5000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return emitLine({"error", "tooltip", reply.errorMessage()});
  }
  const QVariant v = qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
  const QDBusArgument arg = qvariant_cast<QDBusArgument>(v);
  QString icon, title, text;
  arg.beginStructure();
  arg >> icon;
  arg.beginArray();
  while (!arg.atEnd()) {
    int w = 0, h = 0;
    QByteArray pixels;
    arg.beginStructure();
    arg >> w >> h >> pixels;
    arg.endStructure();
  }
  arg.endArray();
  arg >> title >> text;
  arg.endStructure();
  emitLine({"reply", "tooltip", title, text});
}

void HostConsole::readStatus() {
  if (watcher_.items().isEmpty()) return emitLine({"error", "status", "no item registered"});
  const auto& item = watcher_.items().last();
  QDBusMessage get = QDBusMessage::createMethodCall(item.service, item.path, kProperties, QStringLiteral("Get"));
  get << kItemInterface << QStringLiteral("Status");
  const QDBusMessage reply = bus_.call(get, QDBus::Block, 5000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return emitLine({"error", "status", reply.errorMessage()});
  }
  emitLine({"reply", "status", qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toString()});
}

}  // namespace faketray
