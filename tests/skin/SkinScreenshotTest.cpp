// The main skin on a real X server (Xvfb): the window is shown by
// `tembra-tool skin render --show`, the screen is read back with
// ImageMagick's import, and both pictures are kept under the build folder
// (screenshots/) for people to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "platform/ModulePath.h"
#include "splash/XvfbServer.h"

namespace tembra {
namespace {

bool near(QRgb a, QColor b, int tolerance = 6) {
  return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
         std::abs(qBlue(a) - b.blue()) <= tolerance;
}

TEST(SkinScreenshot, MainSkinShownOnAnXServer) {
  if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("import").isEmpty()) {
    GTEST_SKIP() << "Xvfb or ImageMagick's import is not installed";
  }
  const QString bin = QString::fromStdString(ModulePath::record());
  const QString shots = QDir(bin + "../screenshots").absolutePath();
  QDir().mkpath(shots);
  const QString windowShot = shots + "/skin-main-window.png";
  const QString screenShot = shots + "/skin-main-screen.png";
  QFile::remove(windowShot);
  QFile::remove(screenShot);

  test::XvfbServer xvfb;
  const QString display = QString::fromStdString(xvfb.start());
  ASSERT_FALSE(display.isEmpty());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  env.insert("QT_QPA_PLATFORM", "xcb");
  // Under the address sanitizer: on X the OpenGL driver is unloaded at exit,
  // and what it still pointed to looks lost with no module left to name it;
  // the tool's leaks are checked in its offscreen runs.
  const QString asan = env.value("ASAN_OPTIONS");
  env.insert("ASAN_OPTIONS", asan.isEmpty() ? QStringLiteral("detect_leaks=0") : asan + ":detect_leaks=0");
  QProcess tool;
  tool.setProcessEnvironment(env);
  tool.start(bin + "tembra-tool", {"skin", "render", bin + "skin/Default", "MainUI.xml", windowShot, "--sample",
                                   "--show", "4000"});
  ASSERT_TRUE(tool.waitForStarted(5000));
  // The window stands at (40, 40), 936 x 529, with no window manager to move
  // it. The screen is read until the window is drawn there: a slow (sanitizer)
  // build takes seconds to start.
  const QPoint o(40, 40);
  QImage screen;
  QElapsedTimer waited;
  waited.start();
  do {
    QThread::msleep(300);
    QProcess import;
    import.setProcessEnvironment(env);
    import.start("import", {"-display", display, "-window", "root", screenShot});
    ASSERT_TRUE(import.waitForFinished(20000));
    ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
    screen = QImage(screenShot);
  } while (tool.state() == QProcess::Running && waited.elapsed() < 30000 &&
           !(screen.width() > o.x() + 700 && near(screen.pixel(o + QPoint(240, 3)), QColor(0x17, 0x1b, 0x22)) &&
             near(screen.pixel(o + QPoint(598, 144)), QColor(0xf5, 0xa5, 0x24), 50)));
  ASSERT_TRUE(tool.waitForFinished(30000));
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

  ASSERT_FALSE(screen.isNull());
  ASSERT_EQ(screen.size(), QSize(1280, 800));
  EXPECT_TRUE(near(screen.pixel(o + QPoint(240, 3)), QColor(0x17, 0x1b, 0x22))) << "title strip";
  EXPECT_TRUE(near(screen.pixel(o + QPoint(200, 300)), QColor(0x10, 0x13, 0x18))) << "video area, in the idle page's colour";
  EXPECT_TRUE(near(screen.pixel(o + QPoint(650, 26)), QColor(0x17, 0x1b, 0x22))) << "panel";
  EXPECT_TRUE(near(screen.pixel(o + QPoint(700, 480)), QColor(0x1b, 0x20, 0x29))) << "ad pane";
  // The second channel row, under the search field and the page-up arrow.
  EXPECT_TRUE(near(screen.pixel(o + QPoint(598, 144)), QColor(0xf5, 0xa5, 0x24), 50)) << "playing mark";
  EXPECT_TRUE(near(screen.pixel(o + QPoint(200, 527)), QColor(0x10, 0x13, 0x18))) << "border";
  // The rounded corner is cut out of the window: the root window shows there.
  EXPECT_FALSE(near(screen.pixel(o), QColor(0x17, 0x1b, 0x22)));
  EXPECT_TRUE(near(screen.pixel(o + QPoint(-5, -5)), screen.pixel(o)));
  // The tool's own read-back of the window matches the screen.
  const QImage window(windowShot);
  ASSERT_EQ(window.size(), QSize(936, 529));
  EXPECT_TRUE(near(window.pixel(240, 3), QColor(0x17, 0x1b, 0x22)));
  EXPECT_TRUE(near(window.pixel(300, 300), QColor::fromRgb(screen.pixel(o + QPoint(300, 300)))));
}

}  // namespace
}  // namespace tembra
