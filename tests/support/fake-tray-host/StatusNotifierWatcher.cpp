#include "StatusNotifierWatcher.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>

namespace faketray {

StatusNotifierWatcher::StatusNotifierWatcher(const QDBusConnection& bus, QObject* parent)
    : QObject(parent),
      bus_(bus),
      owners_(new QDBusServiceWatcher(QString(), bus, QDBusServiceWatcher::WatchForUnregistration, this)) {
  connect(owners_, &QDBusServiceWatcher::serviceUnregistered, this, &StatusNotifierWatcher::serviceGone);
}

QStringList StatusNotifierWatcher::registeredItems() const {
  QStringList all;
  for (const Item& i : items_) all << i.service + i.path;
  return all;
}

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& serviceOrPath) {
  Item item;
  if (serviceOrPath.startsWith(u'/')) {
    item.service = message().service();
    item.path = serviceOrPath;
  } else {
    item.service = serviceOrPath;
    item.path = QStringLiteral("/StatusNotifierItem");
  }
  // A watcher that restarts is told about the same item again.
  for (qsizetype i = 0; i < items_.size(); ++i) {
    if (items_[i].service == item.service && items_[i].path == item.path) items_.removeAt(i--);
  }
  items_ << item;
  if (!owners_->watchedServices().contains(item.service)) owners_->addWatchedService(item.service);
  emit StatusNotifierItemRegistered(item.service + item.path);
  if (onItemRegistered) onItemRegistered(item);
}

void StatusNotifierWatcher::RegisterStatusNotifierHost(const QString& service) {
  emit StatusNotifierHostRegistered();
  if (onHostRegistered) onHostRegistered(service);
}

void StatusNotifierWatcher::serviceGone(const QString& service) {
  for (qsizetype i = 0; i < items_.size(); ++i) {
    if (items_[i].service != service) continue;
    const Item gone = items_.takeAt(i--);
    emit StatusNotifierItemUnregistered(gone.service + gone.path);
    if (onItemGone) onItemGone(gone);
  }
  owners_->removeWatchedService(service);
}

}  // namespace faketray
