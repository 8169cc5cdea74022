#include "player/ScreenSaverInhibitor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace tembra {

namespace {
// Short enough that a desktop without the service never stalls the window.
constexpr int kCallTimeoutMs = 500;
}

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus) : bus_(std::move(bus)) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() { setInhibited(false); }

void ScreenSaverInhibitor::setInhibited(bool inhibited) {
  if (inhibited == this->inhibited() || !bus_.isConnected()) return;
  if (inhibited) {
    QDBusConnectionInterface* names = bus_.interface();
    if (!names || !names->isServiceRegistered(kService).value()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Inhibit");
    call << QStringLiteral("Tembra Player") << QStringLiteral("Playing live TV");
    QDBusReply<uint32_t> reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid()) return;
    cookie_ = reply.value();
    held_ = true;
  } else {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "UnInhibit");
    call << cookie_;
    held_ = false;
    bus_.call(call, QDBus::NoBlock);
  }
}

}  // namespace tembra
