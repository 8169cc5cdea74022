#pragma once
#include <string>

#include "skin/CWindowWnd.h"
#include "skin/INotifyUI.h"

namespace tembra {

// A short message in the program's own look ("MessageDlgSkin.xml"): a
// title, a text that says what to do, and "OK". Modal over its owner;
// "OK", Enter, Escape and the window manager's close all end it. The
// window grows taller when the text needs more lines than the layout
// holds. Without the layout the plain error box says the same. The text
// also goes to stderr, so a session log shows it.
class MessageDlg : public CWindowWnd, public INotifyUI {
  Q_OBJECT

 public:
  static constexpr const char* kLayout = "MessageDlgSkin.xml";

  // Restores a minimised owner, runs the message modally and returns when
  // it closes. An empty title is the program's caption text.
  static void Show(QWidget* owner, const std::u16string& title, const std::u16string& text);
  // Closes every open message (a termination signal arrived while one
  // waits for the user). GUI thread only.
  static void dismissOpen();

  QString title() const;
  QString text() const;

  void notify(const SkinNotification& msg) override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  explicit MessageDlg(QWidget* owner);
  ~MessageDlg() override;

  void setTexts(const QString& title, const QString& text);
  // Makes the window as much taller as the wrapped text needs.
  void fitText();
  const std::vector<std::u16string_view>& notCaptionClasses() const override;
};

}  // namespace tembra
