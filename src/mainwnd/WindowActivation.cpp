#include "mainwnd/WindowActivation.h"

#include <QApplication>
#include <QWidget>

namespace tembra {

namespace {
// One caption flash; the window manager's urgency hint ends with it.
constexpr int kAlertMs = 1000;
}

WindowActivation::Done WindowActivation::restoreOrRaise(QWidget* w) {
  if (w->isMinimized()) {
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    if (!w->isVisible()) return Done::StillHidden;
    w->activateWindow();
    return Done::Restored;
  }
  if (!w->isVisible()) return Done::StillHidden;
  w->raise();
  w->activateWindow();
  QApplication::alert(w, kAlertMs);
  return Done::Raised;
}

}  // namespace tembra
