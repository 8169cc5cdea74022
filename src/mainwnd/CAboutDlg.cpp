#include "mainwnd/CAboutDlg.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPointer>

#include <cmath>

#include "app/LanguageTable.h"
#include "mainwnd/ErrorMessage.h"
#include "platform/MessageTarget.h"
#include "skin/SkinHitTest.h"
#include "skin/SkinLabel.h"

namespace tembra {

namespace {

// The one about dialog of the process; cleared as soon as it starts
// closing, so asking again right after opens a new one. GUI thread only.
QPointer<CAboutDlg> openDialog;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* owner, MessageTarget& target) : CWindowWnd(owner, Qt::Dialog), target_(target) {
  setObjectName(QStringLiteral("AboutDlgWnd"));
  setWindowTitle(QString::fromStdU16String(LanguageTable::Instance().GetText(u"TV_WND_CAPTION_TEXT")));
  setAttribute(Qt::WA_DeleteOnClose);
}

CAboutDlg::~CAboutDlg() {
  if (openDialog == this) openDialog = nullptr;
}

CAboutDlg* CAboutDlg::current() { return openDialog.data(); }

void CAboutDlg::Open(QWidget* owner, MessageTarget& target) {
  if (owner != nullptr && owner->isMinimized()) owner->setWindowState(owner->windowState() & ~Qt::WindowMinimized);
  if (CAboutDlg* open = openDialog.data()) {
    open->raise();
    open->activateWindow();
    return;
  }
  auto* dlg = new CAboutDlg(owner, target);
  if (!dlg->loadLayout(QStringLiteral("AboutDlgSkin.xml"))) {
    delete dlg;
    ErrorMessage::show(owner, LanguageTable::Instance().GetText(u"TEMBRA_ABOUT_DLG_XMLFAIL"));
    return;
  }
  openDialog = dlg;
  dlg->addNotifier(dlg);
  dlg->centreOver(owner);
  dlg->runModal();
}

void CAboutDlg::notify(const SkinNotification& msg) {
  if (msg.type == u"windowinit") {
    centreLabel(QStringLiteral("Text"), kTextTop);
    centreLabel(QStringLiteral("homepage"), kHomePageTop);
    return;
  }
  if (msg.type != u"click") return;
  if (msg.senderName == u"closebtn") {
    close();
  } else if (msg.senderName == u"homepage") {
    target_.send(WM_CMD_HOMEPAGE, 0, 0);
    close();
  }
}

// Measured in the label's own font, the one it draws with, to the next
// whole pixel (an advance rounded down would make the label elide its last
// letters), plus its text padding: the text is never clipped and its middle
// is the dialog's middle, which puts a text wider than the dialog at a
// negative x.
QSize CAboutDlg::labelSize(const SkinLabel& label) {
  const QFontMetricsF fm(label.look().font);
  const QMargins pad = label.look().textPadding;
  return QSize(static_cast<int>(std::ceil(fm.horizontalAdvance(label.text()))) + pad.left() + pad.right(),
               static_cast<int>(std::ceil(fm.height())) + pad.top() + pad.bottom());
}

void CAboutDlg::centreLabel(const QString& name, int top) {
  SkinLabel* label = findText(name);
  if (label == nullptr) return;
  const QSize size = labelSize(*label);
  label->setPosition(QRect((width() - size.width()) / 2, top, size.width(), size.height()));
}

const std::vector<std::u16string_view>& CAboutDlg::notCaptionClasses() const { return dialogNotCaption(); }

void CAboutDlg::closeEvent(QCloseEvent* e) {
  if (openDialog == this) openDialog = nullptr;
  CWindowWnd::closeEvent(e);
}

void CAboutDlg::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    close();
    return;
  }
  CWindowWnd::keyPressEvent(e);
}

}  // namespace tembra
