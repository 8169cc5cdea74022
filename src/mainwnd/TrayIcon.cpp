#include "mainwnd/TrayIcon.h"

#include <QCursor>
#include <QSystemTrayIcon>
#include <QWidget>

#include "mainwnd/AppIcon.h"
#include "mainwnd/BalloonText.h"
#include "mainwnd/CTrayMenu.h"
#include "mainwnd/WindowActivation.h"
#include "mainwnd/WindowState.h"
#include "platform/MessageTarget.h"

namespace tembra {

TrayIcon::TrayIcon(QWidget& window, WindowState& state, MessageTarget& target)
    : QObject(&window), window_(window), state_(state), target_(target) {}

TrayIcon::~TrayIcon() {
  if (icon_ != nullptr) icon_->hide();
}

bool TrayIcon::add(const QString& tip) {
  state_.trayIconAdded = false;
  if (tip.size() > kMaxTip) return false;
  // Checked at every add: a notification area that appears later (a panel
  // started after the program) is used from the next add on.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  if (icon_ == nullptr) {
    icon_ = new QSystemTrayIcon(this);
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
      // Only the two clicks the icon's rule knows; a double or a middle
      // click does nothing.
      if (reason == QSystemTrayIcon::Trigger) target_.post(WM_TRAY_CALLBACK, kIconId, kLeftButtonDown);
      else if (reason == QSystemTrayIcon::Context) target_.post(WM_TRAY_CALLBACK, kIconId, kRightButtonUp);
    });
    connect(icon_, &QSystemTrayIcon::messageClicked, this,
            [this] { target_.post(WM_TRAY_CALLBACK, kIconId, kBalloonUserClick); });
  }
  icon_->setIcon(AppIcon::load());
  icon_->setToolTip(tip);
  icon_->show();
  state_.trayIconAdded = icon_->isVisible();
  return state_.trayIconAdded;
}

void TrayIcon::remove() {
  if (!state_.trayIconAdded) return;
  if (icon_ != nullptr) icon_->hide();
  state_.trayIconAdded = false;
}

void TrayIcon::showBalloon(const QString& title, const QString& text) {
  if (!state_.trayIconAdded || icon_ == nullptr) return;
  icon_->showMessage(BalloonText::cut(title, kMaxBalloonTitle), BalloonText::cut(text, kMaxBalloonText),
                     QSystemTrayIcon::Information, kBalloonTimeoutMs);
  state_.balloonClickMessage = static_cast<int>(WM_BALLOON_CLICKED);
}

int TrayIcon::callback(intptr_t mouseMessage) {
  switch (mouseMessage) {
    case kRightButtonUp: CTrayMenu::Open(&window_, target_, QCursor::pos()); break;
    case kLeftButtonDown: WindowActivation::restoreOrRaise(&window_); break;
    case kBalloonUserClick:
      if (state_.balloonClickMessage != -1) target_.send(static_cast<uint32_t>(state_.balloonClickMessage), 0, 0);
      break;
    default: break;
  }
  return 1;
}

}  // namespace tembra
