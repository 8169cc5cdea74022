// The skinned message, run modally over a stand-in main window; each test
// acts from inside the modal loop.
#include "mainwnd/MessageDlg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

#include "app/LanguageTable.h"
#include "mainwnd/ErrorBoxCatcher.h"
#include "mainwnd/ErrorMessage.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/TraySkinFolder.h"
#include "skin/SkinButton.h"
#include "skin/SkinLabel.h"

namespace tembra {
namespace {

MessageDlg* openMessage() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* dlg = qobject_cast<MessageDlg*>(w);
    if (dlg != nullptr && dlg->isVisible()) return dlg;
  }
  return nullptr;
}

// What the open message showed, read from inside its modal loop.
struct Seen {
  QString title, text;
  QSize size;
  QRect textRect;       // "messagetext" in client pixels
  int textNeeds = 0;    // the wrapped text's height in that label's font and width
  QPoint centreOffset;  // dialog centre less owner centre
};

class MessageDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.resize(936, 529);
    owner.move(100, 50);
    owner.show();
  }
  void TearDown() override { test::spinUntil([] { return openMessage() == nullptr; }, 2000); }

  // Shows the message and, once it is up, records it and lets act end it.
  // A message still open after 10 s is closed, so a broken test fails
  // instead of hanging.
  bool show(const std::u16string& title, const std::u16string& text, const std::function<void(MessageDlg&)>& act) {
    bool acted = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      MessageDlg* dlg = openMessage();
      if (acted || dlg == nullptr) return;
      acted = true;
      seen.title = dlg->title();
      seen.text = dlg->text();
      seen.size = dlg->size();
      SkinLabel* label = dlg->findText(QStringLiteral("messagetext"));
      seen.textRect = label->position();
      const QMargins pad = label->look().textPadding;
      seen.textNeeds = QFontMetrics(label->look().font)
                           .boundingRect(QRect(0, 0, label->width() - pad.left() - pad.right(), 1 << 20),
                                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, dlg->text())
                           .height() +
                       pad.top() + pad.bottom();
      seen.centreOffset = dlg->frameGeometry().center() - owner.frameGeometry().center();
      act(*dlg);
    });
    poll.start(10);
    QTimer::singleShot(10000, [] { MessageDlg::dismissOpen(); });
    MessageDlg::Show(&owner, title, text);
    return acted;
  }

  test::TraySkinFolder skin;
  QWidget owner;
  Seen seen;
};

void clickOk(MessageDlg& dlg) {
  SkinButton* ok = dlg.findButton(QStringLiteral("okbtn"));
  ASSERT_NE(ok, nullptr);
  QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
}

TEST_F(MessageDlgTest, ShowsTitleAndTextCentredOverTheOwnerUntilOk) {
  ASSERT_TRUE(show(u"The updater is not installed", u"Install it.", clickOk));
  EXPECT_EQ(seen.title, "The updater is not installed");
  EXPECT_EQ(seen.text, "Install it.");
  EXPECT_EQ(seen.size, QSize(440, 176)) << "a short text fits the layout as it is";
  EXPECT_LE(std::abs(seen.centreOffset.x()), 1);
  EXPECT_LE(std::abs(seen.centreOffset.y()), 1);
  EXPECT_EQ(openMessage(), nullptr);
}

TEST_F(MessageDlgTest, KeysEndItAndAnEmptyTitleIsTheProgramsCaption) {
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
    ASSERT_TRUE(show(u"", u"Text", [key](MessageDlg& dlg) { QTest::keyClick(&dlg, key); })) << key;
    EXPECT_EQ(seen.title, QString::fromStdU16String(LanguageTable::Instance().GetText(u"TV_WND_CAPTION_TEXT")));
    EXPECT_EQ(openMessage(), nullptr) << key;
  }
}

// The window grows by what the wrapped text needs, so no line is cut off;
// the layout's text area keeps its width.
TEST_F(MessageDlgTest, ALongTextMakesTheWindowTaller) {
  std::u16string text;
  for (int i = 0; i < 30; ++i) text += u"Install the updater into the program folder. ";
  ASSERT_TRUE(show(u"Title", text, clickOk));
  EXPECT_EQ(seen.size.width(), 440);
  EXPECT_GT(seen.size.height(), 176);
  EXPECT_GE(seen.textRect.height(), seen.textNeeds);
  EXPECT_LE(seen.textRect.bottom(), seen.size.height() - 18 - 32) << "above the button row";
}

// A termination signal closes whatever message waits for the user.
TEST_F(MessageDlgTest, DismissingClosesAnOpenMessage) {
  ASSERT_TRUE(show(u"Title", u"Text", [](MessageDlg&) { ErrorMessage::dismissOpen(); }));
  EXPECT_EQ(openMessage(), nullptr);
}

TEST(MessageDlgLayout, WithoutItsLayoutThePlainBoxSaysTheSame) {
  test::TraySkinFolder skin({MessageDlg::kLayout});
  QWidget owner;
  test::ErrorBoxCatcher boxes;
  MessageDlg::Show(&owner, u"Title", u"No web browser is set up on this computer.");
  EXPECT_EQ(boxes.texts, QStringList{"No web browser is set up on this computer."});
  EXPECT_EQ(openMessage(), nullptr);
}

}  // namespace
}  // namespace tembra
