#pragma once
#include <QObject>
#include <QString>

#include <cstdint>

class QSystemTrayIcon;
class QWidget;

namespace tembra {

class MessageTarget;
struct WindowState;

// The main window's notification-area icon. Qt's activations come back to
// the window as WM_TRAY_CALLBACK (wParam kIconId, lParam the mouse message
// below), so the window's message table decides, as it does for every other
// message; the window then calls callback(lParam).
//
// Without a notification area add() fails, trayIconAdded stays false and
// nothing else changes: the window is always reachable from the task bar.
class TrayIcon : public QObject {
  Q_OBJECT

 public:
  static constexpr int kIconId = 148;
  static constexpr int kMaxTip = 127;           // longer tips are not added
  static constexpr int kMaxBalloonTitle = 63;   // longer ones are cut
  static constexpr int kMaxBalloonText = 255;
  static constexpr int kBalloonTimeoutMs = 10000;
  // Mouse messages carried in lParam.
  static constexpr intptr_t kLeftButtonDown = 513;
  static constexpr intptr_t kRightButtonUp = 517;
  static constexpr intptr_t kBalloonUserClick = 0x405;

  TrayIcon(QWidget& window, WindowState& state, MessageTarget& target);
  ~TrayIcon() override;

  // Adds the icon with its tip; sets state.trayIconAdded to the result.
  bool add(const QString& tip);
  // Removes it when added; trayIconAdded becomes false.
  void remove();
  // Shows a balloon (title and text cut to their limits) and makes
  // state.balloonClickMessage WM_BALLOON_CLICKED.
  void showBalloon(const QString& title, const QString& text);
  // The icon's mouse rule: right button up opens the tray menu at the
  // cursor, left button down restores or raises the window, a balloon click
  // sends balloonClickMessage (-1: nothing). Returns 1.
  int callback(intptr_t mouseMessage);

  QSystemTrayIcon* icon() const { return icon_; }

 private:
  QWidget& window_;
  WindowState& state_;
  MessageTarget& target_;
  QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace tembra
