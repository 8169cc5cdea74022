// The tray menu and both dialogs on a real X server (Xvfb), read back from
// the screen with ImageMagick's import. The pictures stay under the build
// folder (screenshots/) for people to look at; the checks make sure what
// is on the screen is the skinned window, drawn where the code put it.
//
// The windows run in a child copy of this program on the private server
// (this process is offscreen); the child's test is registered only there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "mainwnd/CAboutDlg.h"
#include "mainwnd/CForcedUpgrade.h"
#include "mainwnd/CTrayMenu.h"
#include "mainwnd/ChildProcess.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/TrayRecordingTarget.h"
#include "mainwnd/TraySkinFolder.h"
#include "mainwnd/XvfbServer.h"
#include "platform/ModulePath.h"
#include "skin/SkinButton.h"
#include "skin/SkinLabel.h"

namespace tembra {
namespace {

constexpr const char* kChildVariable = "TEMBRA_TRAY_SCREENS_CHILD";

const QColor kBackground(0x10, 0x13, 0x18);
const QColor kPanel(0x17, 0x1b, 0x22);

bool near(QRgb a, const QColor& b, int tolerance = 6) {
  return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
         std::abs(qBlue(a) - b.blue()) <= tolerance;
}
// Text colours (#e6e9ef, the link's #5a9eff), not the muted icons.
bool bright(QRgb a) { return qGray(a) > 190 || qBlue(a) > 200; }

// The horizontal extent of bright (text) pixels inside rows of r; an
// empty range when there are none.
std::pair<int, int> brightColumns(const QImage& shot, const QRect& r) {
  int lo = INT_MAX, hi = INT_MIN;
  for (int y = std::max(0, r.top()); y <= std::min(shot.height() - 1, r.bottom()); ++y) {
    for (int x = std::max(0, r.left()); x <= std::min(shot.width() - 1, r.right()); ++x) {
      if (bright(shot.pixel(x, y))) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
    }
  }
  return {lo, hi};
}

// --- The windows, in the child -------------------------------------------------

class TrayWindowsChild : public ::testing::Test {
 protected:
  // Lets the window paint, then reads the whole screen into name.
  QImage shoot(const QString& name) {
    test::spinFor(600);
    const QString file = dir + "/" + name;
    QFile::remove(file);
    const std::string cmd = "/usr/bin/import -window root '" + file.toStdString() + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::printf("child shot %s\n", file.toStdString().c_str());
    std::fflush(stdout);
    return QImage(file).convertToFormat(QImage::Format_RGB32);
  }

  // Runs act from inside the modal loop that opens next.
  static void whenShown(const std::function<bool()>& shown, std::function<void()> act) {
    auto* t = new QTimer;
    QObject::connect(t, &QTimer::timeout, [t, shown, act] {
      if (!shown()) return;
      t->stop();
      t->deleteLater();
      act();
    });
    t->start(20);
  }

  void TestBody() override {
    dir = QString::fromLocal8Bit(std::getenv(kChildVariable));
    ModulePath::record();
    test::TraySkinFolder skin;
    test::TrayRecordingTarget target;
    QWidget owner;
    owner.setAutoFillBackground(true);
    QPalette p = owner.palette();
    p.setColor(QPalette::Window, kBackground);
    owner.setPalette(p);
    owner.setGeometry(20, 20, 600, 440);
    owner.show();

    // Tray menu, opened as if the tray were at the bottom right.
    CTrayMenu* menu = CTrayMenu::Open(&owner, target, QPoint(630, 470));
    ASSERT_NE(menu, nullptr);
    const QRect m = menu->geometry();
    EXPECT_EQ(m.bottomRight(), QPoint(629, 469));
    const QImage menuShot = shoot("tray-menu.png");
    ASSERT_FALSE(menuShot.isNull());
    EXPECT_TRUE(near(menuShot.pixel(m.left() + 3, m.center().y()), kPanel)) << "the menu's panel colour";
    EXPECT_FALSE(near(menuShot.pixel(m.left(), m.top()), kPanel)) << "rounded corners are cut away";
    SkinButton* first = menu->findButton("aboutbtn");
    const QRect about(first->mapTo(menu, QPoint(0, 0)) + m.topLeft(), first->size());
    const auto [textLo, textHi] = brightColumns(menuShot, about);
    EXPECT_GT(textHi - textLo, 60) << "the first row's text is drawn";
    EXPECT_GT(textLo, m.left() + 34) << "after the row's icon";
    menu->close();

    // About dialog.
    QRect dlgAt, textAt, homeAt;
    QImage aboutShot;
    whenShown([] { return CAboutDlg::current() != nullptr && CAboutDlg::current()->isVisible(); }, [&] {
      CAboutDlg* d = CAboutDlg::current();
      dlgAt = d->geometry();
      textAt = d->findText("Text")->position();
      homeAt = d->findText("homepage")->position();
      aboutShot = shoot("about-dialog.png");
      d->close();
    });
    CAboutDlg::Open(&owner, target);
    ASSERT_FALSE(aboutShot.isNull());
    EXPECT_EQ(dlgAt.size(), QSize(360, 190));
    EXPECT_LE((dlgAt.center() - owner.frameGeometry().center()).manhattanLength(), 2);
    // The version line's ink is centred on the dialog.
    const auto [lo, hi] = brightColumns(aboutShot, textAt.translated(dlgAt.topLeft()));
    ASSERT_LT(lo, hi) << "the version line is drawn";
    EXPECT_LE(std::abs((lo + hi) / 2 - dlgAt.center().x()), 3);
    // So is the home page link.
    const auto [homeLo, homeHi] = brightColumns(aboutShot, homeAt.translated(dlgAt.topLeft()));
    ASSERT_LT(homeLo, homeHi) << "the link is drawn";
    EXPECT_LE(std::abs((homeLo + homeHi) / 2 - dlgAt.center().x()), 3);
    EXPECT_TRUE(near(aboutShot.pixel(dlgAt.left() + 20, dlgAt.top() + 100), kPanel));

    // Forced-upgrade dialog.
    CForcedUpgrade upgrade(&owner, target);
    ASSERT_TRUE(upgrade.create());
    QImage upgradeShot;
    QRect upgradeAt, buttonAt;
    whenShown([&] { return upgrade.isVisible(); }, [&] {
      upgradeAt = upgrade.geometry();
      SkinButton* b = upgrade.findButton("upgradebtn");
      buttonAt = QRect(b->mapTo(&upgrade, QPoint(0, 0)) + upgradeAt.topLeft(), b->size());
      upgradeShot = shoot("forced-upgrade-dialog.png");
      upgrade.close();
    });
    upgrade.run();
    ASSERT_FALSE(upgradeShot.isNull());
    EXPECT_EQ(upgradeAt.size(), QSize(420, 172));
    // The primary button is filled with the accent blue.
    const QRgb fill = upgradeShot.pixel(buttonAt.left() + 8, buttonAt.center().y());
    EXPECT_GT(qBlue(fill), 200);
    EXPECT_LT(qRed(fill), 110);
  }

  QString dir;
};

[[maybe_unused]] const bool childRegistered = [] {
  if (std::getenv(kChildVariable) == nullptr) return false;
  ::testing::RegisterTest("TrayWindowsChild", "Shots", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> ::testing::Test* { return new TrayWindowsChild; });
  return true;
}();

// --- The test, in this process ---------------------------------------------------

TEST(TrayWindowsScreenshot, MenuAndDialogsOnAnXServer) {
  if (QStandardPaths::findExecutable("Xvfb").isEmpty() || !QFile::exists("/usr/bin/import")) {
    GTEST_SKIP() << "Xvfb or ImageMagick's import is not installed";
  }
  test::XvfbServer x;
  ASSERT_FALSE(x.display().empty());
  const std::string bin = ModulePath::record();
  const QString shots = QDir(QString::fromStdString(bin) + "../screenshots").absolutePath();
  QDir().mkpath(shots);
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  test::ChildProcess child(std::string(self, static_cast<size_t>(n)), {"--gtest_filter=TrayWindowsChild.*"},
                           {{kChildVariable, shots.toStdString()}, {"DISPLAY", x.display()}, {"QT_QPA_PLATFORM", "xcb"},
                            // Raster windows only: without GL, Mesa is never loaded
                            // (its unload leaves allocations the leak checker reports).
                            {"QT_XCB_GL_INTEGRATION", "none"}});
  ASSERT_TRUE(child.started());
  ASSERT_TRUE(test::spinUntil([&] { return !child.running(); }, 60000)) << child.out() << child.err();
  EXPECT_EQ(child.exitCode(), 0) << child.out() << child.err();
  for (const char* name : {"tray-menu.png", "about-dialog.png", "forced-upgrade-dialog.png"}) {
    EXPECT_TRUE(QFile::exists(shots + "/" + name)) << name;
  }
}

}  // namespace
}  // namespace tembra
