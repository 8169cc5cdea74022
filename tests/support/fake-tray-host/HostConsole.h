#pragma once
#include <QByteArray>
#include <QDBusConnection>
#include <QObject>
#include <QStringList>

class QSocketNotifier;

namespace faketray {

class NotificationServer;
class StatusNotifierWatcher;

// The host's control line: commands read from stdin, events and answers
// written to stdout (the protocol is described at the top of main.cpp).
class HostConsole : public QObject {
  Q_OBJECT

 public:
  HostConsole(const QDBusConnection& bus, StatusNotifierWatcher& watcher, NotificationServer& notes,
              QObject* parent = nullptr);

  // Writes one event line and flushes it at once.
  static void emitLine(const QStringList& fields);

 private:
  void readInput();
  void run(const QStringList& words);
  // Calls method on the newest item with (x, y); answers when it returns.
  void callItem(const QString& command, const QString& method, const QStringList& words);
  void readToolTip();
  void readStatus();

  QDBusConnection bus_;
  StatusNotifierWatcher& watcher_;
  NotificationServer& notes_;
  QSocketNotifier* input_;
  QByteArray pending_;
};

}  // namespace faketray
