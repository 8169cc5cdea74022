#include "mainwnd/QuestionDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include "app/LanguageTable.h"
#include "skin/SkinButton.h"
#include "skin/SkinHitTest.h"
#include "skin/SkinLabel.h"

namespace tembra {

namespace {
constexpr int kYes = 1;
}  // namespace

QuestionDlg::QuestionDlg(QWidget* owner) : CWindowWnd(owner, Qt::Dialog) {
  setObjectName(QStringLiteral("QuestionDlgWnd"));
  setAttribute(Qt::WA_DeleteOnClose);
}

QuestionDlg::~QuestionDlg() = default;

bool QuestionDlg::Ask(QWidget* owner, const std::u16string& title, const std::u16string& text,
                      const std::u16string& yes, const std::u16string& no) {
  if (owner != nullptr && owner->isMinimized()) owner->setWindowState(owner->windowState() & ~Qt::WindowMinimized);
  QPointer<QuestionDlg> dlg = new QuestionDlg(owner);
  if (!dlg->loadLayout(QString::fromLatin1(kLayout))) {
    delete dlg;
    return false;
  }
  const QString caption = QString::fromStdU16String(LanguageTable::Instance().GetText(u"TV_WND_CAPTION_TEXT"));
  dlg->setWindowTitle(caption);
  dlg->addNotifier(dlg.data());
  if (SkinLabel* label = dlg->findText(QStringLiteral("messagetitle")))
    label->setText(title.empty() ? caption : QString::fromStdU16String(title));
  if (SkinLabel* label = dlg->findText(QStringLiteral("messagetext"))) label->setText(QString::fromStdU16String(text));
  if (SkinButton* b = dlg->findButton(QStringLiteral("yesbtn"))) b->setText(QString::fromStdU16String(yes));
  if (SkinButton* b = dlg->findButton(QStringLiteral("nobtn"))) b->setText(QString::fromStdU16String(no));
  dlg->centreOver(owner);
  const int result = dlg->runModal();
  if (dlg) dlg->deleteLater();
  return result == kYes;
}

QuestionDlg* QuestionDlg::open() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* dlg = qobject_cast<QuestionDlg*>(w); dlg != nullptr && dlg->isVisible()) return dlg;
  return nullptr;
}

QString QuestionDlg::text() const {
  const SkinLabel* label = findText(QStringLiteral("messagetext"));
  return label != nullptr ? label->text() : QString();
}

void QuestionDlg::answer(bool yes) {
  endModal(yes ? kYes : 0);
  close();
}

void QuestionDlg::notify(const SkinNotification& msg) {
  if (msg.type != u"click") return;
  if (msg.senderName == u"yesbtn") answer(true);
  else if (msg.senderName == u"nobtn") answer(false);
}

void QuestionDlg::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      answer(true);
      return;
    case Qt::Key_Escape:
      answer(false);
      return;
    default:
      CWindowWnd::keyPressEvent(e);
  }
}

const std::vector<std::u16string_view>& QuestionDlg::notCaptionClasses() const { return dialogNotCaption(); }

}  // namespace tembra
