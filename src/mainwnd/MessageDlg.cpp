#include "mainwnd/MessageDlg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPointer>

#include <algorithm>
#include <cstdio>

#include "app/LanguageTable.h"
#include "mainwnd/ErrorMessage.h"
#include "platform/Utf.h"
#include "skin/SkinHitTest.h"
#include "skin/SkinLabel.h"

namespace tembra {

namespace {
constexpr int kMaxExtraHeight = 400;  // a text beyond this is cut, not the screen filled
}  // namespace

MessageDlg::MessageDlg(QWidget* owner) : CWindowWnd(owner, Qt::Dialog) {
  setObjectName(QStringLiteral("MessageDlgWnd"));
  setAttribute(Qt::WA_DeleteOnClose);
}

MessageDlg::~MessageDlg() = default;

void MessageDlg::Show(QWidget* owner, const std::u16string& title, const std::u16string& text) {
  std::u16string heading = title;
  if (heading.empty()) heading = LanguageTable::Instance().GetText(u"TV_WND_CAPTION_TEXT");
  if (owner != nullptr && owner->isMinimized()) owner->setWindowState(owner->windowState() & ~Qt::WindowMinimized);
  QPointer<MessageDlg> dlg = new MessageDlg(owner);
  if (!dlg->loadLayout(QString::fromLatin1(kLayout))) {
    delete dlg;
    ErrorMessage::show(owner, text);  // says it on stderr as well
    return;
  }
  std::fprintf(stderr, "%s: %s\n", ErrorMessage::caption().c_str(), toUtf8(text).c_str());
  std::fflush(stderr);
  dlg->setWindowTitle(QString::fromStdU16String(LanguageTable::Instance().GetText(u"TV_WND_CAPTION_TEXT")));
  dlg->addNotifier(dlg.data());
  dlg->setTexts(QString::fromStdU16String(heading), QString::fromStdU16String(text));
  dlg->centreOver(owner);
  dlg->runModal();
  // Closing deletes it; hidden some other way, it goes now as well.
  if (dlg) dlg->deleteLater();
}

void MessageDlg::dismissOpen() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* dlg = qobject_cast<MessageDlg*>(w)) dlg->close();
  }
}

QString MessageDlg::title() const {
  const SkinLabel* label = findText(QStringLiteral("messagetitle"));
  return label != nullptr ? label->text() : QString();
}

QString MessageDlg::text() const {
  const SkinLabel* label = findText(QStringLiteral("messagetext"));
  return label != nullptr ? label->text() : QString();
}

void MessageDlg::setTexts(const QString& title, const QString& text) {
  if (SkinLabel* label = findText(QStringLiteral("messagetitle")); label != nullptr && !title.isEmpty())
    label->setText(title);
  if (SkinLabel* label = findText(QStringLiteral("messagetext"))) label->setText(text);
  fitText();
}

void MessageDlg::fitText() {
  SkinLabel* label = findText(QStringLiteral("messagetext"));
  if (label == nullptr || label->text().isEmpty()) return;
  const QMargins pad = label->look().textPadding;
  const int textWidth = label->width() - pad.left() - pad.right();
  if (textWidth <= 0) return;
  const QFontMetrics fm(label->look().font);
  const QRect needed = fm.boundingRect(QRect(0, 0, textWidth, 1 << 20),
                                       Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label->text());
  const int extra = needed.height() + pad.top() + pad.bottom() - label->height();
  if (extra > 0) resize(width(), height() + std::min(extra, kMaxExtraHeight));
}

void MessageDlg::notify(const SkinNotification& msg) {
  if (msg.type == u"click" && msg.senderName == u"okbtn") close();
}

void MessageDlg::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      close();
      return;
    default:
      CWindowWnd::keyPressEvent(e);
  }
}

const std::vector<std::u16string_view>& MessageDlg::notCaptionClasses() const { return dialogNotCaption(); }

}  // namespace tembra
