#pragma once
#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>

#include <functional>

class QDBusServiceWatcher;

namespace faketray {

// org.kde.StatusNotifierWatcher at /StatusNotifierWatcher: takes every
// item's registration, always reports a host, and notices an item whose
// bus name goes away.
class StatusNotifierWatcher : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)

 public:
  struct Item {
    QString service;  // bus name the item lives on
    QString path;     // its object path
  };

  explicit StatusNotifierWatcher(const QDBusConnection& bus, QObject* parent = nullptr);

  QStringList registeredItems() const;
  bool isHostRegistered() const { return true; }
  int protocolVersion() const { return 0; }
  // Registration order; the last one is the newest.
  const QList<Item>& items() const { return items_; }

  std::function<void(const Item&)> onItemRegistered;
  std::function<void(const Item&)> onItemGone;
  std::function<void(const QString&)> onHostRegistered;

 public Q_SLOTS:
  // The argument is a bus name (the item at /StatusNotifierItem) or an
  // object path on the caller's own connection.
  void RegisterStatusNotifierItem(const QString& serviceOrPath);
  void RegisterStatusNotifierHost(const QString& service);

 Q_SIGNALS:
  void StatusNotifierItemRegistered(const QString& item);
  void StatusNotifierItemUnregistered(const QString& item);
  void StatusNotifierHostRegistered();

 private:
  void serviceGone(const QString& service);

  QDBusConnection bus_;
  QDBusServiceWatcher* owners_;
  QList<Item> items_;
};

}  // namespace faketray
