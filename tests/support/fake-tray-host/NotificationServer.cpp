#include "NotificationServer.h"

namespace faketray {

uint NotificationServer::Notify(const QString& appName, uint replacesId, const QString& appIcon,
                                const QString& summary, const QString& body, const QStringList& actions,
                                const QVariantMap&, int expireTimeout) {
  Note n;
  n.id = replacesId != 0 ? replacesId : ++lastId_;
  n.app = appName;
  n.icon = appIcon;
  n.summary = summary;
  n.body = body;
  n.actions = actions;
  n.timeoutMs = expireTimeout;
  if (onNotify) onNotify(n);
  return n.id;
}

void NotificationServer::CloseNotification(uint id) {
  if (onCloseRequested) onCloseRequested(id);
  // The server confirms a close the client asked for (reason 3).
  emit NotificationClosed(id, 3);
}

QStringList NotificationServer::GetCapabilities() {
  return {QStringLiteral("actions"), QStringLiteral("body")};
}

QString NotificationServer::GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
  vendor = QStringLiteral("tembra tests");
  version = QStringLiteral("1");
  specVersion = QStringLiteral("1.2");
  return QStringLiteral("fake-tray-host");
}

}  // namespace faketray
