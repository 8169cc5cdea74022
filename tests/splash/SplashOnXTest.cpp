#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "ExternalTools.h"
#include "QtTestApp.h"
#include "SkinPictures.h"
#include "XvfbServer.h"
#include "splash/CPictureEx.h"
#include "splash/CSplashDlg.h"

namespace tembra {
namespace {

const char kChildVariable[] = "TEMBRA_SPLASH_ON_X";

std::string screenshotFolder() { return test::executableFolder() + "../screenshots/"; }

// One process has one Qt platform, so the part that needs a real X server
// runs in a child of this test, under an Xvfb this test starts.
TEST(SplashOnXTest, ShowsTheSplashOnAnXServerAndSavesScreenshots) {
  if (!test::haveProgram(test::XvfbServer::kProgram)) {
    GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs it)";
  }
  test::XvfbServer server;
  const std::string display = server.start();
  ASSERT_FALSE(display.empty()) << "Xvfb did not start";
  QFile::remove(QString::fromStdString(screenshotFolder() + "splash.png"));
  // Qt's X platform runs D-Bus and GLib threads of its own, built without
  // the thread sanitizer, whose reports say nothing of this code; the
  // animation thread's own sanitizer runs are the offscreen tests.
  const char* tsan = std::getenv("TSAN_OPTIONS");
  const std::string tsanOptions = std::string(tsan ? tsan : "") + " report_bugs=0";
  const auto child = test::runTool("env DISPLAY=" + display + " QT_QPA_PLATFORM=xcb " + kChildVariable +
                                   "=1 TSAN_OPTIONS='" + tsanOptions + "' '" + test::executableFolder() +
                                   "splash_tests' --gtest_filter='SplashOnX.*' 2>&1");
  EXPECT_EQ(child.status, 0) << child.output;
  EXPECT_NE(child.output.find("[  PASSED  ] 1 test."), std::string::npos) << child.output;
  EXPECT_TRUE(QFile::exists(QString::fromStdString(screenshotFolder() + "splash.png")));
}

QRgb screenPixel(const QImage& screen, QPoint at) { return screen.pixel(at) & 0xFFFFFF; }

TEST(SplashOnX, AnimatesOverItsBackgroundWithRoundCornersAndNoTaskbarEntry) {
  if (qEnvironmentVariableIsEmpty(kChildVariable)) {
    GTEST_SKIP() << "runs as the child of SplashOnXTest, under the X server it starts";
  }
  test::qtApp();
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  const QString folder = QString::fromStdString(test::defaultSkinFolder());
  const QImage background(folder + CSplashDlg::kBackgroundFile);
  ASSERT_FALSE(background.isNull());

  CSplashDlg splash(folder);
  std::atomic<int> frames{0};
  QObject::connect(splash.picture(), &CPictureEx::frameDrawn, splash.picture(), [&](int) { ++frames; },
                   Qt::DirectConnection);
  ASSERT_TRUE(splash.start());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));

  // Blocking start-up work on a worker, the GUI thread in a local loop.
  QEventLoop loop;
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  EXPECT_GE(frames.load(), 8);
  QTest::qWait(100);

  QScreen* screen = QGuiApplication::primaryScreen();
  const QImage shot = screen->grabWindow(0).toImage();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(screenshotFolder())));
  const QRect window = splash.frameGeometry();
  EXPECT_EQ(window.size(), background.size() + QSize(1, 1));
  EXPECT_EQ(window.center(), screen->availableGeometry().center());
  EXPECT_TRUE(shot.copy(window).save(QString::fromStdString(screenshotFolder() + "splash.png")));
  EXPECT_TRUE(shot.save(QString::fromStdString(screenshotFolder() + "splash-screen.png")));

  const QPoint origin = window.topLeft();
  const QPoint inside(200, 60);
  EXPECT_EQ(screenPixel(shot, origin + inside), background.pixel(inside) & 0xFFFFFF);
  EXPECT_EQ(screenPixel(shot, origin + QPoint(2, 0)), background.pixel(2, 0) & 0xFFFFFF);
  // Cut corners and the extra column and row show the black root window.
  EXPECT_EQ(screenPixel(shot, origin), 0u);
  EXPECT_EQ(screenPixel(shot, origin + QPoint(window.width() - 1, 100)), 0u);
  EXPECT_EQ(screenPixel(shot, origin + QPoint(100, window.height() - 1)), 0u);
  EXPECT_EQ(screenPixel(shot, origin + QPoint(background.width() - 1, background.height() - 1)), 0u);
  // The loading bar's track is drawn where the background is plain.
  const QPoint bar = splash.picture()->geometry().topLeft() + QPoint(4, 6);
  EXPECT_NE(screenPixel(shot, origin + bar), background.pixel(bar) & 0xFFFFFF);

  if (test::haveProgram("/usr/bin/xprop")) {
    const auto type = test::runTool("/usr/bin/xprop -id " + std::to_string(splash.winId()) + " _NET_WM_WINDOW_TYPE");
    EXPECT_NE(type.output.find("_NET_WM_WINDOW_TYPE_SPLASH"), std::string::npos) << type.output;
  }

  splash.finish();
  EXPECT_FALSE(splash.picture()->isPlaying());
  QTest::qWait(200);
  const QImage after = screen->grabWindow(0).toImage();
  EXPECT_EQ(screenPixel(after, origin + inside), 0u);
}

}  // namespace
}  // namespace tembra
