#pragma once
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>

namespace faketray {

// org.freedesktop.Notifications at /org/freedesktop/Notifications: takes
// every notification, numbers them from 1, and sends the user's answers
// (an action invoked, a notification closed) when told to.
class NotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Note {
    uint id = 0;
    QString app;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    int timeoutMs = -1;
  };

  using QObject::QObject;

  void invokeAction(uint id, const QString& action) { emit ActionInvoked(id, action); }
  void closeNote(uint id, uint reason) { emit NotificationClosed(id, reason); }

  std::function<void(const Note&)> onNotify;
  std::function<void(uint)> onCloseRequested;

 public Q_SLOTS:
  uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout);
  void CloseNotification(uint id);
  QStringList GetCapabilities();
  QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);

 Q_SIGNALS:
  void NotificationClosed(uint id, uint reason);
  void ActionInvoked(uint id, const QString& actionKey);

 private:
  uint lastId_ = 0;
};

}  // namespace faketray
