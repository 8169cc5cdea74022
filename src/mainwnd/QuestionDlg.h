#pragma once
#include <string>

#include "skin/CWindowWnd.h"
#include "skin/INotifyUI.h"

namespace tembra {

// A question in the program's own look ("QuestionDlgSkin.xml"): a title, a
// text and two answers. Modal over its owner; the first answer ("yesbtn")
// or Enter says yes; the second ("nobtn"), Escape or the window manager's
// close say no. Without the layout the answer is no: nothing is given up
// on a question that could not be asked.
class QuestionDlg : public CWindowWnd, public INotifyUI {
  Q_OBJECT

 public:
  static constexpr const char* kLayout = "QuestionDlgSkin.xml";

  static bool Ask(QWidget* owner, const std::u16string& title, const std::u16string& text,
                  const std::u16string& yes, const std::u16string& no);
  // The open question, if any (tests answer it).
  static QuestionDlg* open();

  QString text() const;
  void answer(bool yes);

  void notify(const SkinNotification& msg) override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  explicit QuestionDlg(QWidget* owner);
  ~QuestionDlg() override;
  const std::vector<std::u16string_view>& notCaptionClasses() const override;
};

}  // namespace tembra
