// The tray icon's pop-up menu: where it opens, its four buttons, reuse
// while open, closing on a press outside it, and a missing layout.
#include "mainwnd/CTrayMenu.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "app/LanguageTable.h"
#include "mainwnd/ErrorBoxCatcher.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/TrayMenuPlacement.h"
#include "mainwnd/TrayRecordingTarget.h"
#include "mainwnd/TraySkinFolder.h"
#include "skin/SkinButton.h"

namespace tembra {
namespace {

using test::posted;
using test::spinUntil;
using test::TrayMessage;
using test::TrayRecordingTarget;

std::vector<TrayMessage> none() { return {}; }

// --- Placement -------------------------------------------------------------

TEST(TrayMenuPlacement, BottomRightCornerAtTheCursorAndKeptOnTheScreen) {
  const QRect screen(0, 0, 1280, 800);
  const QSize menu(186, 145);
  // A task bar at the bottom right: the menu spans up to the cursor.
  EXPECT_EQ(TrayMenuPlacement::topLeft({1200, 780}, menu, screen), QPoint(1014, 635));
  // A panel at the top: no room above, so the menu opens below the cursor.
  EXPECT_EQ(TrayMenuPlacement::topLeft({1200, 10}, menu, screen), QPoint(1014, 10));
  // At the left edge: it opens to the right of the cursor.
  EXPECT_EQ(TrayMenuPlacement::topLeft({20, 400}, menu, screen), QPoint(20, 255));
  // Flipped at the top but too near the bottom then: pulled back inside.
  EXPECT_EQ(TrayMenuPlacement::topLeft({600, 100}, QSize(186, 900), screen), QPoint(414, 0));
  // An area that does not start at the origin (a second screen, a panel).
  EXPECT_EQ(TrayMenuPlacement::topLeft({1300, 30}, menu, QRect(1280, 24, 1024, 744)), QPoint(1300, 30));
  // Nothing known of the screen: the plain rule.
  EXPECT_EQ(TrayMenuPlacement::topLeft({50, 50}, menu, QRect()), QPoint(-136, -95));
}

// --- The menu window -------------------------------------------------------

class TrayMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.resize(936, 529);
    owner.show();
  }
  void TearDown() override {
    if (CTrayMenu* m = CTrayMenu::current()) m->close();
    spinUntil([] { return menus() == 0; }, 2000);
  }

  // Menus still alive (closed ones go on the next event-loop turn).
  static int menus() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += qobject_cast<CTrayMenu*>(w) != nullptr;
    return n;
  }

  // The screen's centre, where nothing is flipped or pulled back.
  static QPoint middle() { return QGuiApplication::primaryScreen()->availableGeometry().center(); }

  test::TraySkinFolder skin;
  QWidget owner;
  TrayRecordingTarget target;
};

TEST_F(TrayMenuTest, EachButtonPostsItsMessageOnceAndTheMenuCloses) {
  const std::pair<const char*, uint32_t> rows[] = {
      {"aboutbtn", WM_CMD_ABOUT}, {"upgradebtn", WM_CMD_UPGRADE}, {"restorebtn", WM_CMD_RESTORE},
      {"sourcesbtn", WM_CMD_SOURCES}, {"closebtn", WM_CMD_CLOSE}};
  for (const auto& [button, message] : rows) {
    SCOPED_TRACE(button);
    target.messages.clear();
    CTrayMenu* menu = CTrayMenu::Open(&owner, target, middle());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->isVisible());
    SkinButton* b = menu->findButton(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr);
    bool hiddenWhenPosted = false;
    target.onPost = [&](const TrayMessage&) { hiddenWhenPosted = !menu->isVisible(); };
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    EXPECT_EQ(target.messages, std::vector<TrayMessage>{posted(message)});
    EXPECT_TRUE(hiddenWhenPosted) << "the menu hides before the command runs";
    EXPECT_EQ(CTrayMenu::current(), nullptr);
    EXPECT_TRUE(spinUntil([] { return menus() == 0; }, 2000));
    target.onPost = nullptr;
  }
}

TEST_F(TrayMenuTest, OtherClicksCloseWithoutPostingAndOtherNotificationsAreIgnored) {
  CTrayMenu* menu = CTrayMenu::Open(&owner, target, middle());
  ASSERT_NE(menu, nullptr);
  menu->notify({QStringLiteral("windowinit"), QStringLiteral("menu"), nullptr, -1});
  menu->notify({QStringLiteral("selectchanged"), QStringLiteral("aboutbtn"), nullptr, -1});
  EXPECT_EQ(CTrayMenu::current(), menu);
  EXPECT_TRUE(menu->isVisible());
  menu->notify({QStringLiteral("click"), QStringLiteral("menuline"), nullptr, -1});
  EXPECT_EQ(CTrayMenu::current(), nullptr);
  EXPECT_TRUE(spinUntil([] { return menus() == 0; }, 2000));
  EXPECT_EQ(target.messages, none());
}

TEST_F(TrayMenuTest, SecondOpenReusesTheMenuAndMovesItToTheNewCursor) {
  const QPoint first = middle();
  CTrayMenu* menu = CTrayMenu::Open(&owner, target, first);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->size(), QSize(186, 175)) << "the layout gives the size";
  EXPECT_EQ(menu->geometry().bottomRight(), first - QPoint(1, 1));
  EXPECT_EQ(menu->objectName(), "TrayMenuWnd");

  const QPoint second = first + QPoint(37, 21);
  EXPECT_EQ(CTrayMenu::Open(&owner, target, second), menu);
  EXPECT_EQ(CTrayMenu::current(), menu);
  EXPECT_EQ(menu->geometry().bottomRight(), second - QPoint(1, 1));
  EXPECT_TRUE(menu->isVisible());
  QApplication::processEvents();
  EXPECT_EQ(menus(), 1);
}

TEST_F(TrayMenuTest, OpensInsideTheScreenNearItsTopLeftCorner) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  CTrayMenu* menu = CTrayMenu::Open(&owner, target, area.topLeft() + QPoint(5, 5));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->pos(), area.topLeft() + QPoint(5, 5));
  EXPECT_TRUE(area.contains(menu->geometry()));
}

TEST_F(TrayMenuTest, APressOutsideClosesItAndAPressInsideDoesNot) {
  CTrayMenu* menu = CTrayMenu::Open(&owner, target, middle());
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(QApplication::activePopupWidget(), menu);
  // Inside, on the menu's margin where no button is.
  QTest::mousePress(menu->windowHandle(), Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseRelease(menu->windowHandle(), Qt::LeftButton, {}, QPoint(3, 3));
  QApplication::processEvents();
  EXPECT_EQ(CTrayMenu::current(), menu);
  EXPECT_TRUE(menu->isVisible());
  // On the main window, away from the menu: the press reaches the open
  // pop-up first, which closes.
  const QPoint outside = owner.mapFromGlobal(menu->geometry().topLeft() - QPoint(40, 40));
  QTest::mousePress(owner.windowHandle(), Qt::LeftButton, {}, outside);
  EXPECT_EQ(CTrayMenu::current(), nullptr);
  EXPECT_TRUE(spinUntil([] { return menus() == 0; }, 2000));
  QTest::mouseRelease(owner.windowHandle(), Qt::LeftButton, {}, outside);
  EXPECT_EQ(target.messages, none()) << "closing from outside runs no command";
}

TEST_F(TrayMenuTest, EscapeClosesIt) {
  CTrayMenu* menu = CTrayMenu::Open(&owner, target, middle());
  ASSERT_NE(menu, nullptr);
  QTest::keyClick(menu, Qt::Key_Escape);
  EXPECT_EQ(CTrayMenu::current(), nullptr);
  EXPECT_EQ(target.messages, none());
}

TEST(TrayMenuLayout, MissingFileShowsItsMessageAndOpensNothing) {
  test::TraySkinFolder skin({"TrayMenuSkin.xml"});
  QWidget owner;
  TrayRecordingTarget target;
  test::ErrorBoxCatcher boxes;
  EXPECT_EQ(CTrayMenu::Open(&owner, target, {300, 300}), nullptr);
  EXPECT_EQ(CTrayMenu::current(), nullptr);
  const QString expected =
      QString::fromStdU16String(LanguageTable::GetTextIn(ModulePath::record(), u"TV_TRAY_MENU_XMLFAIL"));
  ASSERT_FALSE(expected.isEmpty());
  EXPECT_EQ(boxes.texts, QStringList{expected});
  EXPECT_EQ(boxes.icons, QList<QMessageBox::Icon>{QMessageBox::Critical});
  EXPECT_TRUE(target.messages.empty());
  // The skin comes back: the menu opens again.
  test::TraySkinFolder shipped;
  EXPECT_NE(CTrayMenu::Open(&owner, target, {300, 300}), nullptr);
  CTrayMenu::current()->close();
}

}  // namespace
}  // namespace tembra
