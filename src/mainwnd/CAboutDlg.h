#pragma once
#include "skin/CWindowWnd.h"
#include "skin/INotifyUI.h"

namespace tembra {

class MessageTarget;
class SkinLabel;

// The about dialog ("AboutDlgSkin.xml"): its two labels centred, a home
// page link that sends WM_CMD_HOMEPAGE to the main window. At most one at a
// time, modal over the main window.
class CAboutDlg : public CWindowWnd, public INotifyUI {
  Q_OBJECT

 public:
  // Restores a minimised owner, then runs the dialog modally and returns
  // when it closes; does nothing while one is already open.
  static void Open(QWidget* owner, MessageTarget& target);
  // The open dialog, or null.
  static CAboutDlg* current();

  void notify(const SkinNotification& msg) override;

 private:
  static constexpr int kTextTop = 110;      // where "Text" is centred
  static constexpr int kHomePageTop = 130;  // and "homepage"

  CAboutDlg(QWidget* owner, MessageTarget& target);
  ~CAboutDlg() override;

  static QSize labelSize(const SkinLabel& label);
  void centreLabel(const QString& name, int top);
  const std::vector<std::u16string_view>& notCaptionClasses() const override;
  void closeEvent(QCloseEvent* e) override;
  // Escape closes the dialog, like its close button.
  void keyPressEvent(QKeyEvent* e) override;

  MessageTarget& target_;
};

}  // namespace tembra
