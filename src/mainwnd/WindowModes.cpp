#include "mainwnd/WindowModes.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "mainwnd/PanelModes.h"
#include "mainwnd/WindowState.h"
#include "skin/CWindowWnd.h"
#include "skin/SkinControl.h"

namespace tembra {

namespace {
// How long a restore size is defended against the window manager's own.
constexpr int kRestoreSettleMs = 500;

PixelSize sizeOf(const QWidget& w) { return {w.width(), w.height()}; }
}  // namespace

WindowModes::WindowModes(CWindowWnd& window, WindowState& state, std::function<void()> relayout)
    : window_(window), state_(state), relayout_(std::move(relayout)) {}

void WindowModes::setShown(const char* name, bool shown) {
  if (SkinControl* c = window_.findControl(QString::fromLatin1(name))) c->setVisible(shown);
}

// The window is not hidden around the change as the program this one
// replaces did: unmapping a window here makes the window manager forget
// its place. Holding back repaints avoids the flicker just as well.
void WindowModes::HidePanel() {
  const bool maximised = window_.isMaximized();
  const auto change = PanelModes::hidePanel(state_, sizeOf(window_), maximised);
  if (!change) return;
  window_.setUpdatesEnabled(false);
  setShown("showbtn", true);
  setShown("normalbtn", true);
  setShown("hidebtn", false);
  setShown("cutbtn", false);
  setShown("infolayout", false);
  window_.setMinimumSize(change->minimum.width, change->minimum.height);
  if (!maximised) window_.resize(change->window.width, change->window.height);
  relayout_();
  window_.setUpdatesEnabled(true);
}

void WindowModes::ShowPanel() {
  const bool maximised = window_.isMaximized();
  const auto change = PanelModes::showPanel(state_, sizeOf(window_), maximised);
  if (!change) return;
  window_.setUpdatesEnabled(false);
  setShown("showbtn", false);
  setShown("normalbtn", false);
  setShown("hidebtn", true);
  setShown("cutbtn", true);
  setShown("infolayout", true);
  window_.setMinimumSize(change->minimum.width, change->minimum.height);
  if (!maximised) window_.resize(change->window.width, change->window.height);
  relayout_();
  window_.setUpdatesEnabled(true);
}

void WindowModes::Maximise() {
  if (window_.isMaximized()) return;
  PanelModes::rememberRestoreSize(state_, sizeOf(window_));
  normalGeometry_ = window_.geometry();
  window_.showMaximized();
}

void WindowModes::Restore() {
  if (window_.isMaximized()) window_.showNormal();
}

void WindowModes::Minimise() { window_.showMinimized(); }

void WindowModes::ToggleMaximise() {
  if (window_.isMaximized()) Restore();
  else Maximise();
}

// Set on the native window where there is one, which changes the hint in
// place; a widget's own flag change would unmap and map the window.
void WindowModes::SetTopmost(bool on) {
  if (QWindow* handle = window_.windowHandle()) handle->setFlag(Qt::WindowStaysOnTopHint, on);
  else window_.setWindowFlag(Qt::WindowStaysOnTopHint, on);
  topmost_ = on;
  setShown("topbtn", !on);
  setShown("notopbtn", on);
}

QRect WindowModes::maximisedGeometry() const {
  const QScreen* screen = window_.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

void WindowModes::onStateChanged(Qt::WindowStates old) {
  const bool was = old.testFlag(Qt::WindowMaximized);
  const bool is = window_.isMaximized();
  if (is && !was) AfterMaximise();
  else if (was && !is) AfterRestore();
}

void WindowModes::AfterMaximise() {
  PanelModes::afterMaximise(state_);
  setShown("maxbtn", false);
  setShown("resbtn", true);
  restoreSize_.reset();
  // Without a window manager the request alone changes nothing. Set on the
  // native window: the widget's own setGeometry would drop the maximised
  // state again.
  const QRect area = maximisedGeometry();
  if (area.isEmpty() || window_.geometry() == area) return;
  if (QWindow* handle = window_.windowHandle()) handle->setGeometry(area);
  else window_.setGeometry(area);
}

void WindowModes::AfterRestore() {
  setShown("maxbtn", true);
  setShown("resbtn", false);
  if (normalGeometry_.isValid() && window_.geometry() == maximisedGeometry())
    window_.setGeometry(normalGeometry_);
  if (const auto size = PanelModes::afterRestore(state_)) {
    restoreSize_ = QSize(size->width, size->height);
    window_.resize(*restoreSize_);
    QTimer::singleShot(kRestoreSettleMs, &window_, [this] { restoreSize_.reset(); });
  }
}

void WindowModes::onResized() {
  if (!restoreSize_ || window_.isMaximized() || window_.size() == *restoreSize_) return;
  const QSize size = *restoreSize_;
  restoreSize_.reset();
  window_.resize(size);
}

}  // namespace tembra
