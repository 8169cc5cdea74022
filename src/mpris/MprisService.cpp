#include "mpris/MprisService.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

#include "mpris/MprisPlayerAdaptor.h"
#include "mpris/MprisRootAdaptor.h"

namespace tembra {

namespace {
// RequestName's flag and the answer that the name is ours.
constexpr uint kDoNotQueue = 4;
constexpr uint kPrimaryOwner = 1;
constexpr int kNameCallTimeoutMs = 5000;
}  // namespace

MprisService::MprisService(MprisRemote& remote, QDBusConnection bus, QObject* parent)
    : QObject(parent), remote_(remote), bus_(std::move(bus)) {}

MprisService::~MprisService() {
  if (!registered_) return;
  bus_.unregisterObject(QString::fromLatin1(kObjectPath));
  // Released without waiting: the bus drops the name with the connection
  // anyway when the program ends.
  if (owned_) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReleaseName"));
    call << QString::fromLatin1(kBusName);
    bus_.send(call);
  }
}

bool MprisService::start() {
  if (registered_) return true;
  if (!bus_.isConnected()) return false;
  object_ = new QObject(this);
  new MprisRootAdaptor(object_, *this);
  new MprisPlayerAdaptor(object_, *this);
  if (!bus_.registerObject(QString::fromLatin1(kObjectPath), object_, QDBusConnection::ExportAdaptors)) {
    delete object_;
    object_ = nullptr;
    return false;
  }
  registered_ = true;
  told_ = remote_.state();
  // Asked for, not waited on: QDBusConnection::registerService would block
  // the window's thread for the bus's answer.
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
  call << QString::fromLatin1(kBusName) << kDoNotQueue;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kNameCallTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<uint> reply = *w;
    owned_ = !reply.isError() && reply.value() == kPrimaryOwner;
    emit nameOwned(owned_);
  });
  return true;
}

void MprisService::changed() {
  if (!registered_) return;
  const MprisState now = remote_.state();
  QVariantMap props;
  if (now.status != told_.status) props.insert(QStringLiteral("PlaybackStatus"), now.status);
  if (now.metadata != told_.metadata) props.insert(QStringLiteral("Metadata"), now.metadata);
  if (now.volume != told_.volume) props.insert(QStringLiteral("Volume"), now.volume);
  if (now.canGoNext != told_.canGoNext) props.insert(QStringLiteral("CanGoNext"), now.canGoNext);
  if (now.canGoPrevious != told_.canGoPrevious) props.insert(QStringLiteral("CanGoPrevious"), now.canGoPrevious);
  if (now.canPlay != told_.canPlay) props.insert(QStringLiteral("CanPlay"), now.canPlay);
  if (now.canPause != told_.canPause) props.insert(QStringLiteral("CanPause"), now.canPause);
  told_ = now;
  if (props.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QString::fromLatin1(kPlayerInterface) << props << QStringList();
  bus_.send(signal);
}

}  // namespace tembra
