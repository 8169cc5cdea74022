#pragma once
#include <QPoint>

#include "skin/CWindowWnd.h"
#include "skin/INotifyUI.h"

namespace tembra {

class MessageTarget;

// The tray icon's skinned pop-up menu ("TrayMenuSkin.xml"): four buttons
// that post WM_CMD_ABOUT, WM_CMD_UPGRADE, WM_CMD_RESTORE and WM_CMD_CLOSE
// to the main window. A popup: a press outside it closes it. One at a time.
class CTrayMenu : public CWindowWnd, public INotifyUI {
  Q_OBJECT

 public:
  // Opens the menu with its bottom-right corner at cursor, or moves the
  // open one there. Null when "TrayMenuSkin.xml" cannot be loaded (its
  // message has been shown).
  static CTrayMenu* Open(QWidget* owner, MessageTarget& target, const QPoint& cursor);
  // The open menu, or null.
  static CTrayMenu* current();

  void notify(const SkinNotification& msg) override;

 private:
  CTrayMenu(QWidget* owner, MessageTarget& target);
  ~CTrayMenu() override;

  const std::vector<std::u16string_view>& notCaptionClasses() const override;
  void closeEvent(QCloseEvent* e) override;
  // Escape closes the menu, as it does any pop-up menu.
  void keyPressEvent(QKeyEvent* e) override;

  MessageTarget& target_;
};

}  // namespace tembra
