// fake-tray-host: a notification area and a notification server on a
// private D-Bus session bus, so that a program's real QSystemTrayIcon
// registers, can be clicked and shows its balloons under test.
//
// It owns org.kde.StatusNotifierWatcher (/StatusNotifierWatcher: records
// RegisterStatusNotifierItem, reports IsStatusNotifierHostRegistered true)
// and org.freedesktop.Notifications (/org/freedesktop/Notifications: records
// Notify, numbering notifications from 1). It connects to the session bus
// named by DBUS_SESSION_BUS_ADDRESS, so start it on a bus of its own:
//
//   dbus-run-session -- fake-tray-host          (the bus ends with the host)
//   dbus-daemon --session --print-address ...   (then start the host with
//                                                that address in the variable)
//
// Qt takes the status-notifier path only when the watcher is present when
// the program's first tray icon is made, so start the program once "ready"
// has been read, with the same DBUS_SESSION_BUS_ADDRESS.
//
// Control protocol: commands on stdin, one per line, words separated by
// spaces; events and answers on stdout, one per line, fields separated by
// tabs, with \\ \t \n \r escaped inside a field (LineCodec.h). End of stdin
// ends the host, so a test that dies takes the host and bus with it.
//
// Events (unprompted):
//   ready <bus address>                 names owned, objects exported
//   registered <service> <path>         an item called RegisterStatusNotifierItem
//   unregistered <service> <path>       that item's bus name went away
//   host <service>                      someone called RegisterStatusNotifierHost
//   notify <id> <app> <summary> <body> <timeout ms> <actions, comma-joined>
//   close-requested <id>                the client called CloseNotification
//
// Commands (each answered by "ok <command>", "reply <command> ..." or
// "error <command> <message>"):
//   activate [X Y]      Activate(X, Y) on the newest item (a left click)
//   context [X Y]       ContextMenu(X, Y) (a right click)
//   secondary [X Y]     SecondaryActivate(X, Y) (a middle click)
//   invoke ID [ACTION]  signal ActionInvoked(ID, ACTION or "default"):
//                       the user clicked notification ID
//   dismiss ID [REASON] signal NotificationClosed(ID, REASON or 2)
//   tooltip             reply tooltip <title> <text> (the item's ToolTip)
//   status              reply status <Active|Passive|NeedsAttention>
//   items               reply items <service+path>...
//   quit                ok quit, then the host exits
//
// Shell example:
//   coproc HOST { dbus-run-session -- ./fake-tray-host; }
//   read -r ready address <&"${HOST[0]}"
//   DBUS_SESSION_BUS_ADDRESS=$address ./tembra-player &
//   read -r event service path <&"${HOST[0]}"   # registered ...
//   echo context >&"${HOST[1]}"
//
// Exit status: 0 after "quit" or end of stdin, 1 when the bus or a name
// cannot be had (an "error startup <why>" line says which).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <cstdio>
#include <cstring>

#include "HostConsole.h"
#include "NotificationServer.h"
#include "StatusNotifierWatcher.h"

using faketray::HostConsole;
using faketray::NotificationServer;
using faketray::StatusNotifierWatcher;

namespace {

int fail(const QString& why) {
  HostConsole::emitLine({"error", "startup", why});
  std::fprintf(stderr, "fake-tray-host: %s\n", why.toUtf8().constData());
  return 1;
}

// Takes name, refusing to queue behind an owner that already has it.
bool own(QDBusConnection& bus, const QString& name) {
  const auto reply = bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                      QDBusConnectionInterface::DontAllowReplacement);
  return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf("Usage: dbus-run-session -- fake-tray-host\n"
                  "A status-notifier watcher and notification server driven over stdin/stdout;\n"
                  "see the top of its main.cpp for the protocol.\n");
      return 0;
    }
  }
  QCoreApplication app(argc, argv);
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
    return fail(QStringLiteral("DBUS_SESSION_BUS_ADDRESS is not set: start it with dbus-run-session"));
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return fail("cannot connect to the session bus: " + bus.lastError().message());

  StatusNotifierWatcher watcher(bus);
  NotificationServer notes;
  HostConsole console(bus, watcher, notes);

  watcher.onItemRegistered = [](const StatusNotifierWatcher::Item& item) {
    HostConsole::emitLine({"registered", item.service, item.path});
  };
  watcher.onItemGone = [](const StatusNotifierWatcher::Item& item) {
    HostConsole::emitLine({"unregistered", item.service, item.path});
  };
  watcher.onHostRegistered = [](const QString& service) { HostConsole::emitLine({"host", service}); };
  notes.onNotify = [](const NotificationServer::Note& n) {
    HostConsole::emitLine({"notify", QString::number(n.id), n.app, n.summary, n.body, QString::number(n.timeoutMs),
                           n.actions.join(u',')});
  };
  notes.onCloseRequested = [](uint id) { HostConsole::emitLine({"close-requested", QString::number(id)}); };

  const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                        QDBusConnection::ExportAllProperties;
  if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher, exported) ||
      !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notes, exported)) {
    return fail(QStringLiteral("cannot export the objects"));
  }
  for (const char* name : {"org.kde.StatusNotifierWatcher", "org.freedesktop.Notifications"}) {
    if (!own(bus, QString::fromLatin1(name))) return fail(QStringLiteral("the name %1 is taken").arg(name));
  }
  HostConsole::emitLine({"ready", qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS")});
  return app.exec();
}
