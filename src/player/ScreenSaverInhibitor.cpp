#include "player/ScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace tembra {

struct ScreenSaverInhibitor::Shared {
  QDBusConnection bus;
  bool wanted = false;
  bool held = false;
  bool pending = false;
  // The desktop refused (or never answered) the last hold; cleared by a
  // release so the next play asks again.
  bool refused = false;
  uint32_t cookie = 0;
};

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus)
    : shared_(std::make_shared<Shared>(Shared{std::move(bus)})) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() { setInhibited(false); }

void ScreenSaverInhibitor::setInhibited(bool inhibited) {
  shared_->wanted = inhibited;
  if (!inhibited) shared_->refused = false;
  settle(shared_);
}

bool ScreenSaverInhibitor::inhibited() const { return shared_->held; }

bool ScreenSaverInhibitor::pending() const { return shared_->pending; }

// Brings the desktop in line with what is wanted, one request at a time:
// the answer to a hold in flight decides what comes next.
void ScreenSaverInhibitor::settle(const std::shared_ptr<Shared>& shared) {
  Shared& s = *shared;
  if (s.pending || !s.bus.isConnected()) return;
  if (!s.wanted && s.held) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "UnInhibit");
    call << s.cookie;
    s.held = false;
    s.bus.send(call);
    return;
  }
  if (!s.wanted || s.held || s.refused) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Inhibit");
  call << QStringLiteral("Tembra Player") << QStringLiteral("Playing live TV");
  s.pending = true;
  auto* watcher = new QDBusPendingCallWatcher(s.bus.asyncCall(call, kCallTimeoutMs));
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [shared](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<uint32_t> reply = *w;
    shared->pending = false;
    if (reply.isError()) {
      // No desktop service (or one that does not answer): the window
      // still swallows the screen-saver commands it receives.
      shared->refused = true;
    } else {
      shared->held = true;
      shared->cookie = reply.value();
    }
    settle(shared);
  });
}

}  // namespace tembra
