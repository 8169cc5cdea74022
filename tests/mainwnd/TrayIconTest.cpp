// The tray icon without a notification area (offscreen has none), its
// mouse rule, the balloon's text limits and the program icon. The real
// status-notifier path is in TrayOnBusTest.cpp.
#include "mainwnd/TrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QSystemTrayIcon>
#include <QWidget>
#include <gtest/gtest.h>

#include "TempDir.h"
#include "mainwnd/AppIcon.h"
#include "mainwnd/BalloonText.h"
#include "mainwnd/CTrayMenu.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/TrayRecordingTarget.h"
#include "mainwnd/TraySkinFolder.h"
#include "mainwnd/WindowState.h"

namespace tembra {
namespace {

using test::spinUntil;
using test::TrayRecordingTarget;

class TrayIconTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (CTrayMenu* m = CTrayMenu::current()) m->close();
    QApplication::processEvents();
  }
  test::TraySkinFolder skin;
  QWidget window;
  WindowState state;
  TrayRecordingTarget target;
};

TEST_F(TrayIconTest, WithoutANotificationAreaNothingIsAddedAndTheRestDoesNothing) {
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "this test needs a desktop without a tray";
  TrayIcon tray(window, state, target);
  state.trayIconAdded = true;  // whatever it was, add() says what is true now
  EXPECT_FALSE(tray.add(QStringLiteral("Tembra Player")));
  EXPECT_FALSE(state.trayIconAdded);
  EXPECT_EQ(tray.icon(), nullptr);
  tray.showBalloon(QStringLiteral("Notice"), QStringLiteral("Maintenance tonight"));
  EXPECT_EQ(state.balloonClickMessage, -1) << "no balloon was shown, so none can be clicked";
  tray.remove();
  EXPECT_FALSE(state.trayIconAdded);
  EXPECT_EQ(tray.callback(TrayIcon::kBalloonUserClick), 1);
  EXPECT_TRUE(target.messages.empty());
}

TEST_F(TrayIconTest, LeftButtonDownRestoresAMinimisedWindow) {
  window.resize(936, 529);
  window.setWindowState(Qt::WindowMinimized);
  window.show();
  ASSERT_TRUE(window.isMinimized());
  TrayIcon tray(window, state, target);
  EXPECT_EQ(tray.callback(TrayIcon::kLeftButtonDown), 1);
  EXPECT_FALSE(window.isMinimized());
  EXPECT_TRUE(window.isVisible());
  // A shown window stays shown (it is raised).
  EXPECT_EQ(tray.callback(TrayIcon::kLeftButtonDown), 1);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
  EXPECT_EQ(CTrayMenu::current(), nullptr);
  EXPECT_TRUE(target.messages.empty());
}

TEST_F(TrayIconTest, RightButtonUpOpensTheMenuAtTheCursorAndASecondMovesIt) {
  window.show();
  TrayIcon tray(window, state, target);
  const QPoint first(520, 430);
  QCursor::setPos(first);
  ASSERT_EQ(QCursor::pos(), first);
  EXPECT_EQ(tray.callback(TrayIcon::kRightButtonUp), 1);
  CTrayMenu* menu = CTrayMenu::current();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->geometry().bottomRight(), first - QPoint(1, 1));
  const QPoint second(610, 470);
  QCursor::setPos(second);
  tray.callback(TrayIcon::kRightButtonUp);
  EXPECT_EQ(CTrayMenu::current(), menu);
  EXPECT_EQ(menu->geometry().bottomRight(), second - QPoint(1, 1));
  EXPECT_TRUE(target.messages.empty()) << "opening the menu runs no command";
}

TEST_F(TrayIconTest, BalloonClickBeforeAnyBalloonSendsNothing) {
  TrayIcon tray(window, state, target);
  ASSERT_EQ(state.balloonClickMessage, -1);
  EXPECT_EQ(tray.callback(TrayIcon::kBalloonUserClick), 1);
  // Other mouse messages (a move, a double click) do nothing either.
  EXPECT_EQ(tray.callback(512), 1);
  EXPECT_EQ(tray.callback(515), 1);
  EXPECT_TRUE(target.messages.empty());
  EXPECT_EQ(CTrayMenu::current(), nullptr);
}

TEST(BalloonText, CutToTheFieldLengthInCharactersNotBytes) {
  const QString ascii(300, u'a');
  EXPECT_EQ(BalloonText::cut(ascii, TrayIcon::kMaxBalloonTitle), QString(63, u'a'));
  EXPECT_EQ(BalloonText::cut(ascii, TrayIcon::kMaxBalloonText), QString(255, u'a'));
  EXPECT_EQ(BalloonText::cut(QString(63, u'a'), 63), QString(63, u'a'));
  EXPECT_EQ(BalloonText::cut(QStringLiteral("short"), 63), QStringLiteral("short"));
  EXPECT_EQ(BalloonText::cut(QString(), 63), QString());
  // Two UTF-8 bytes each, one character each.
  const QString accented(100, QChar(0x00E9));
  EXPECT_EQ(BalloonText::cut(accented, 63), QString(63, QChar(0x00E9)));
  const QString devanagari(300, QChar(0x0915));  // three UTF-8 bytes each
  EXPECT_EQ(BalloonText::cut(devanagari, 255).size(), 255);
}

TEST(BalloonText, NeverSplitsASurrogatePair) {
  const QString tv = QString::fromUtf8("\xF0\x9F\x93\xBA");  // U+1F4FA, two UTF-16 units
  ASSERT_EQ(tv.size(), 2);
  // The pair would straddle the limit: it goes whole.
  EXPECT_EQ(BalloonText::cut(QString(62, u'a') + tv + "tail", 63), QString(62, u'a'));
  // It fits exactly: it stays whole.
  EXPECT_EQ(BalloonText::cut(QString(61, u'a') + tv + "tail", 63), QString(61, u'a') + tv);
  QString pairs;
  for (int i = 0; i < 200; ++i) pairs += tv;
  const QString cut = BalloonText::cut(pairs, 255);
  EXPECT_EQ(cut.size(), 254);
  EXPECT_FALSE(cut.back().isHighSurrogate());
  EXPECT_TRUE(cut.toUcs4().size() == 127 && cut == pairs.left(254));
}

TEST(BalloonText, EndsAtTheFirstNul) {
  QString text = QStringLiteral("Upgrade now");
  text += QChar(u'\0');
  text += QStringLiteral("hidden");
  EXPECT_EQ(BalloonText::cut(text, 255), QStringLiteral("Upgrade now"));
  EXPECT_EQ(BalloonText::cut(QString(1, QChar(u'\0')) + "x", 63), QString());
  EXPECT_EQ(BalloonText::cut(QStringLiteral("abc"), 0), QString());
  EXPECT_EQ(BalloonText::cut(QStringLiteral("abc"), -4), QString());
}

TEST(AppIcon, EveryDrawnSizeBesideTheProgramAndNoneWithoutTheFolder) {
  const std::string bin = ModulePath::record();
  const QIcon icon = AppIcon::load();
  ASSERT_FALSE(icon.isNull());
  QList<QSize> sizes;
  for (int s : {16, 22, 24, 32, 48, 64, 128, 256}) sizes << QSize(s, s);
  EXPECT_EQ(icon.availableSizes(), sizes);
  // The 22-pixel picture is the drawn one, not a scaled neighbour.
  EXPECT_EQ(icon.pixmap(QSize(22, 22)).toImage().size(), QSize(22, 22));
  const QImage big = icon.pixmap(QSize(256, 256)).toImage();
  EXPECT_EQ(qAlpha(big.pixel(0, 0)), 0) << "rounded tile: transparent corners";
  EXPECT_EQ(qAlpha(big.pixel(128, 128)), 255);

  test::TempDir empty("tembra-no-icons");
  ModulePath::set(empty.path() + "/");
  EXPECT_TRUE(AppIcon::load().isNull());
  ModulePath::set(bin);
}

}  // namespace
}  // namespace tembra
