// The about dialog and the forced-upgrade dialog, run modally over a
// stand-in main window; each test acts from inside the modal loop.
#include <QApplication>
#include <QCloseEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

#include "app/LanguageTable.h"
#include "mainwnd/CAboutDlg.h"
#include "mainwnd/CForcedUpgrade.h"
#include "mainwnd/ErrorBoxCatcher.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/TrayRecordingTarget.h"
#include "mainwnd/TraySkinFolder.h"
#include "skin/SkinButton.h"
#include "skin/SkinLabel.h"

namespace tembra {
namespace {

using test::sentMsg;
using test::spinUntil;
using test::TrayMessage;
using test::TrayRecordingTarget;

QString text(const char16_t* key) {
  return QString::fromStdU16String(LanguageTable::GetTextIn(ModulePath::record(), key));
}

// Runs act once ready() holds (checked every 10 ms), from inside whatever
// modal loop is running then. A dialog left open after 10 s is closed, so
// a broken test fails instead of hanging.
class InsideModal {
 public:
  InsideModal(std::function<bool()> ready, std::function<void()> act)
      : ready_(std::move(ready)), act_(std::move(act)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      if (done_ || !ready_()) return;
      done_ = true;
      poll_.stop();
      act_();
    });
    poll_.start(10);
    QObject::connect(&guard_, &QTimer::timeout, [] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<CWindowWnd*>(w) != nullptr && w->isVisible()) w->close();
      }
    });
    guard_.setSingleShot(true);
    guard_.start(10000);
  }
  bool ran() const { return done_; }

 private:
  std::function<bool()> ready_;
  std::function<void()> act_;
  QTimer poll_, guard_;
  bool done_ = false;
};

void click(CWindowWnd* w, const char* name) {
  SkinControl* c = w->findControl(QString::fromLatin1(name));
  ASSERT_NE(c, nullptr) << name;
  QTest::mouseClick(c, Qt::LeftButton, {}, c->rect().center());
}

class TrayDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.resize(936, 529);
    owner.move(100, 50);
    owner.show();
  }
  void TearDown() override { spinUntil([] { return CAboutDlg::current() == nullptr; }, 2000); }

  // The about dialog is up. Its "windowinit" was queued before the modal
  // loop began, so it has run by the first poll.
  static bool aboutReady() { return CAboutDlg::current() != nullptr && CAboutDlg::current()->isVisible(); }

  test::TraySkinFolder skin;
  QWidget owner;
  TrayRecordingTarget target;
};

// --- About -----------------------------------------------------------------

TEST_F(TrayDialogsTest, AboutHomePageSendsItsMessageThenCloses) {
  bool openWhenSent = false;
  target.onSend = [&](const TrayMessage&) -> intptr_t {
    openWhenSent = CAboutDlg::current() != nullptr && CAboutDlg::current()->isVisible();
    return 0;
  };
  InsideModal inside(aboutReady, [] { click(CAboutDlg::current(), "homepage"); });
  CAboutDlg::Open(&owner, target);
  EXPECT_TRUE(inside.ran());
  EXPECT_EQ(target.messages, std::vector<TrayMessage>{sentMsg(WM_CMD_HOMEPAGE)});
  EXPECT_TRUE(openWhenSent) << "the home page opens, then the dialog closes";
  EXPECT_EQ(CAboutDlg::current(), nullptr);
}

TEST_F(TrayDialogsTest, AboutCloseButtonClosesWithoutAMessage) {
  QPoint centre;
  bool modal = false;
  InsideModal inside(aboutReady, [&] {
    CAboutDlg* d = CAboutDlg::current();
    centre = d->geometry().center();
    modal = QApplication::activeModalWidget() == d;
    // Clicks on the labels or anything else do nothing.
    click(d, "Text");
    d->notify({QStringLiteral("click"), QStringLiteral("aboutlogo"), nullptr, -1});
    d->notify({QStringLiteral("selectchanged"), QStringLiteral("homepage"), nullptr, -1});
    if (CAboutDlg::current() == d && d->isVisible()) click(d, "closebtn");
  });
  CAboutDlg::Open(&owner, target);
  EXPECT_TRUE(inside.ran());
  EXPECT_TRUE(modal);
  EXPECT_LE((centre - owner.frameGeometry().center()).manhattanLength(), 2) << "centred over the main window";
  EXPECT_TRUE(target.messages.empty());
  EXPECT_EQ(CAboutDlg::current(), nullptr);
}

TEST_F(TrayDialogsTest, AboutOneAtATime) {
  CAboutDlg* first = nullptr;
  int dialogs = 0;
  InsideModal inside(aboutReady, [&] {
    first = CAboutDlg::current();
    // Asked again while open: returns at once, no second dialog.
    CAboutDlg::Open(&owner, target);
    for (QWidget* w : QApplication::topLevelWidgets()) dialogs += qobject_cast<CAboutDlg*>(w) != nullptr;
    EXPECT_EQ(CAboutDlg::current(), first);
    first->close();
  });
  CAboutDlg::Open(&owner, target);
  EXPECT_TRUE(inside.ran());
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(CAboutDlg::current(), nullptr);
  // Closed, it opens again.
  InsideModal again(aboutReady, [] { CAboutDlg::current()->close(); });
  CAboutDlg::Open(&owner, target);
  EXPECT_TRUE(again.ran());
}

TEST_F(TrayDialogsTest, AboutRestoresAMinimisedMainWindowFirst) {
  owner.setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(owner.isMinimized());
  bool minimisedWhileOpen = true;
  InsideModal inside(aboutReady, [&] {
    minimisedWhileOpen = owner.isMinimized();
    QTest::keyClick(CAboutDlg::current(), Qt::Key_Escape);
  });
  CAboutDlg::Open(&owner, target);
  EXPECT_TRUE(inside.ran());
  EXPECT_FALSE(minimisedWhileOpen);
  EXPECT_EQ(CAboutDlg::current(), nullptr) << "Escape closes it";
}

// What a centred label must be: at its row, as wide as its text (to the
// next whole pixel, so nothing is elided), its x (dialog width - its width)
// / 2 with C++'s division, as the dialog computes it.
void expectCentred(const SkinLabel& label, int dialogWidth, int top) {
  SCOPED_TRACE(label.name().toStdString());
  const QRect at = label.position();
  const QFontMetrics fm(label.look().font);
  EXPECT_EQ(at.top(), top);
  EXPECT_GE(at.width(), label.textSize().width());
  EXPECT_LE(at.width(), label.textSize().width() + 1);
  EXPECT_EQ(fm.elidedText(label.text(), Qt::ElideRight, at.width()), label.text()) << "drawn whole";
  EXPECT_EQ(at.height(), fm.height());
  EXPECT_EQ(at.left(), (dialogWidth - at.width()) / 2);
  EXPECT_LE(std::abs(at.left() + at.width() / 2 - dialogWidth / 2), 1);
}

TEST_F(TrayDialogsTest, AboutLabelsCentredByTheirMeasuredText) {
  int width = 0;
  InsideModal inside(aboutReady, [&] {
    CAboutDlg* d = CAboutDlg::current();
    width = d->width();
    expectCentred(*d->findText("Text"), width, 110);
    expectCentred(*d->findText("homepage"), width, 130);
    EXPECT_LT(d->findText("homepage")->position().width(), 200) << "moved from where the layout put it";
    d->close();
  });
  CAboutDlg::Open(&owner, target);
  ASSERT_TRUE(inside.ran());
  EXPECT_EQ(width, 360);
}

TEST(TrayDialogsLayout, AboutLabelWiderThanTheDialogGetsANegativeX) {
  test::TraySkinFolder skin(std::vector<std::string>{});
  const QString wide = QString("Tembra Player ") + QString(60, u'W');
  ASSERT_TRUE(skin.edit("AboutDlgSkin.xml", "text=\"Tembra Player 1.0.2\"", "text=\"" + wide + "\""));
  // No "homepage" label: it is skipped.
  ASSERT_TRUE(skin.edit("AboutDlgSkin.xml", "name=\"homepage\"", "name=\"elsewhere\""));
  QWidget owner;
  owner.resize(936, 529);
  owner.show();
  TrayRecordingTarget target;
  QRect at, other;
  InsideModal inside(
      [] { return CAboutDlg::current() != nullptr && CAboutDlg::current()->isVisible(); },
      [&] {
        CAboutDlg* d = CAboutDlg::current();
        expectCentred(*d->findText("Text"), d->width(), 110);
        at = d->findText("Text")->position();
        other = d->findText("elsewhere")->position();
        d->close();
      });
  CAboutDlg::Open(&owner, target);
  ASSERT_TRUE(inside.ran());
  EXPECT_GT(at.width(), 360);
  EXPECT_LT(at.left(), 0);
  EXPECT_EQ(other, QRect(QPoint(80, 130), QPoint(279, 145))) << "a label of another name stays where the layout put it";
}

TEST(TrayDialogsLayout, AboutMissingLayoutShowsItsMessageAndNoDialog) {
  test::TraySkinFolder skin({"AboutDlgSkin.xml"});
  QWidget owner;
  TrayRecordingTarget target;
  test::ErrorBoxCatcher boxes;
  CAboutDlg::Open(&owner, target);
  EXPECT_EQ(CAboutDlg::current(), nullptr);
  EXPECT_EQ(boxes.texts, QStringList{text(u"TEMBRA_ABOUT_DLG_XMLFAIL")});
  EXPECT_FALSE(boxes.texts.value(0).isEmpty());
  EXPECT_TRUE(target.messages.empty());
}

// --- Forced upgrade --------------------------------------------------------

bool upgradeShown(CForcedUpgrade& d) { return d.isVisible(); }

TEST_F(TrayDialogsTest, ForcedUpgradeUpgradeButtonSendsUpgradeWithItsForcedFlag) {
  CForcedUpgrade dlg(&owner, target);
  ASSERT_TRUE(dlg.create());
  EXPECT_EQ(dlg.objectName(), "ForcedUpgradeWnd");
  EXPECT_EQ(dlg.resultMessage(), WM_CMD_CLOSE);
  bool modal = false;
  InsideModal inside([&] { return upgradeShown(dlg); }, [&] {
    modal = QApplication::activeModalWidget() == &dlg;
    click(&dlg, "upgradebtn");
  });
  EXPECT_EQ(dlg.run(), WM_CMD_UPGRADE);
  EXPECT_TRUE(inside.ran());
  EXPECT_TRUE(modal);
  EXPECT_EQ(target.messages, std::vector<TrayMessage>{sentMsg(WM_CMD_UPGRADE, 1)});
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(TrayDialogsTest, ForcedUpgradeCloseButtonSendsClose) {
  CForcedUpgrade dlg(&owner, target);
  ASSERT_TRUE(dlg.create());
  InsideModal inside([&] { return upgradeShown(dlg); }, [&] {
    // Other controls and notifications change nothing.
    click(&dlg, "upgradetitle");
    dlg.notify({QStringLiteral("windowinit"), QStringLiteral("upgraderoot"), nullptr, -1});
    dlg.notify({QStringLiteral("selectchanged"), QStringLiteral("upgradebtn"), nullptr, -1});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(target.messages.empty());
    click(&dlg, "closebtn");
  });
  EXPECT_EQ(dlg.run(), WM_CMD_CLOSE);
  EXPECT_TRUE(inside.ran());
  EXPECT_EQ(target.messages, std::vector<TrayMessage>{sentMsg(WM_CMD_CLOSE, 0)});
}

TEST_F(TrayDialogsTest, ForcedUpgradeSystemCloseActsAsTheCloseButton) {
  CForcedUpgrade dlg(&owner, target);
  ASSERT_TRUE(dlg.create());
  QPoint centre;
  InsideModal inside([&] { return upgradeShown(dlg); }, [&] {
    centre = dlg.geometry().center();
    // The window manager's close: through the platform window, as a click
    // on a title bar's close button or Alt+F4 arrives.
    dlg.windowHandle()->close();
  });
  EXPECT_EQ(dlg.run(), WM_CMD_CLOSE);
  EXPECT_TRUE(inside.ran());
  EXPECT_LE((centre - owner.frameGeometry().center()).manhattanLength(), 2);
  EXPECT_EQ(target.messages, std::vector<TrayMessage>{sentMsg(WM_CMD_CLOSE, 0)});
  // A second close request (a window manager that asks twice) sends
  // nothing more.
  QCloseEvent again;
  QApplication::sendEvent(&dlg, &again);
  EXPECT_EQ(target.messages.size(), 1u);
}

TEST(TrayDialogsLayout, ForcedUpgradeMissingLayoutShowsItsMessageAndSendsNothing) {
  test::TraySkinFolder skin({"ForcedUpgradeSkin.xml"});
  QWidget owner;
  TrayRecordingTarget target;
  test::ErrorBoxCatcher boxes;
  {
    CForcedUpgrade dlg(&owner, target);
    EXPECT_FALSE(dlg.create());
    EXPECT_EQ(boxes.texts, QStringList{text(u"TEMBRA_FORCEDUPGRADE_DLG_XMLFAIL")});
    EXPECT_FALSE(boxes.texts.value(0).isEmpty());
    EXPECT_EQ(dlg.run(), 0u) << "nothing to run";
    EXPECT_FALSE(dlg.isVisible());
    dlg.close();
  }
  EXPECT_TRUE(target.messages.empty()) << "the program goes on";
}

}  // namespace
}  // namespace tembra
