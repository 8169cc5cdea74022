#include <gtest/gtest.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "GifBuilder.h"
#include "QtTestApp.h"
#include "SkinPictures.h"
#include "TempDir.h"
#include "platform/TestFiles.h"
#include "splash/CPictureEx.h"
#include "splash/CSplashDlg.h"

namespace tembra {
namespace {

using test::GifBuilder;

class CSplashDlgTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::qtApp(); }

  void writeBackground(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0x20, 0x30, 0x40));
    ASSERT_TRUE(image.save(QString::fromStdString(dir_.file(CSplashDlg::kBackgroundFile)), "BMP"));
  }
  void writeLoading(uint16_t delay = 5) {
    GifBuilder gif(40, 8, {0x000000, 0x3D8BFD, 0x101318, 0xFFFFFF});
    gif.looping().control(delay, 1).image(0, 0, 40, 8, 1).control(delay, 2).image(10, 0, 10, 8, 2).trailer();
    test::writeFile(dir_.file(CSplashDlg::kLoadingFile), gif.text());
  }
  static QPoint screenCentre(const QWidget& window) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return {area.x() + (area.width() - window.width()) / 2, area.y() + (area.height() - window.height()) / 2};
  }

  const test::TempDir dir_{"csplashdlg"};
};

TEST_F(CSplashDlgTest, TakesTheBackgroundSizePlusOneCentredWithRoundCorners) {
  writeBackground(QSize(400, 250));
  writeLoading();
  CSplashDlg splash(QString::fromStdString(dir_.path()));
  ASSERT_TRUE(splash.start());
  EXPECT_TRUE(splash.isVisible());
  EXPECT_TRUE(splash.hasBackground());
  EXPECT_EQ(splash.size(), QSize(401, 251));
  EXPECT_EQ(splash.pos(), screenCentre(splash));
  EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(splash.windowType(), Qt::SplashScreen);
  EXPECT_EQ(splash.mask(), CSplashDlg::roundedRegion(QSize(401, 251), 5, 5));

  CPictureEx* picture = splash.picture();
  EXPECT_EQ(picture->pos(), QPoint(21, 183));
  EXPECT_EQ(picture->size(), QSize(40, 8));
  EXPECT_TRUE(picture->isAnimated());
  EXPECT_TRUE(picture->isPlaying());
  EXPECT_EQ(picture->backgroundColor().alpha(), 0);

  const QImage shot = splash.grab().toImage();
  EXPECT_EQ(test::pixelAt(shot, 200, 100), 0xFF203040u);

  splash.finish();
  EXPECT_FALSE(picture->isPlaying());
  EXPECT_FALSE(splash.isVisible());
}

TEST_F(CSplashDlgTest, WithoutABackgroundItShowsPlainAndDoesNotAnimate) {
  writeLoading();
  CSplashDlg splash(QString::fromStdString(dir_.path() + "/"));
  EXPECT_FALSE(splash.start());
  EXPECT_TRUE(splash.isVisible());
  EXPECT_EQ(splash.size(), CSplashDlg::kPlainSize);
  EXPECT_EQ(splash.pos(), screenCentre(splash));
  EXPECT_FALSE(splash.picture()->isLoaded());
  EXPECT_FALSE(splash.picture()->isPlaying());
}

TEST_F(CSplashDlgTest, WithoutTheLoadingPictureItShowsTheBackgroundStill) {
  writeBackground(QSize(120, 60));
  CSplashDlg splash(QString::fromStdString(dir_.path()));
  EXPECT_TRUE(splash.start());
  EXPECT_EQ(splash.size(), QSize(121, 61));
  EXPECT_FALSE(splash.picture()->isLoaded());
  EXPECT_FALSE(splash.picture()->isPlaying());
}

// The start-up work blocks a worker while the GUI thread waits in a local
// event loop: the splash goes on drawing frames and repainting meanwhile.
TEST_F(CSplashDlgTest, KeepsAnimatingWhileTheGuiThreadWaitsInALocalLoop) {
  writeBackground(QSize(400, 250));
  writeLoading(5);
  CSplashDlg splash(QString::fromStdString(dir_.path()));
  std::atomic<int> frames{0};
  QObject::connect(splash.picture(), &CPictureEx::frameDrawn, splash.picture(), [&](int) { ++frames; },
                   Qt::DirectConnection);
  ASSERT_TRUE(splash.start());
  int paints = 0;
  struct PaintCounter : QObject {
    int* count;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++*count;
      return false;
    }
  } counter;
  counter.count = &paints;
  splash.picture()->installEventFilter(&counter);

  QEventLoop loop;
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  splash.finish();
  EXPECT_GE(frames.load(), 6);
  EXPECT_GE(paints, 4);
}

TEST(CSplashDlgRegionTest, CornersAreCutAlongAFiveByFiveEllipse) {
  const QRegion region = CSplashDlg::roundedRegion(QSize(401, 251), 5, 5);
  EXPECT_EQ(region.boundingRect(), QRect(0, 0, 400, 250));
  struct Probe {
    int x, y;
    bool inside;
  } const probes[] = {
      {0, 0, false},   {1, 0, false},   {2, 0, true},     {0, 1, false},   {1, 1, true},    {0, 2, true},
      {399, 0, false}, {398, 0, false}, {397, 0, true},   {399, 1, false}, {398, 1, true},  {399, 2, true},
      {0, 249, false}, {2, 249, true},  {1, 248, true},   {0, 248, false}, {399, 249, false}, {397, 249, true},
      {200, 0, true},  {200, 125, true}, {400, 125, false}, {200, 250, false},
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(region.contains(QPoint(p.x, p.y)), p.inside) << p.x << "," << p.y;
  }
  EXPECT_TRUE(CSplashDlg::roundedRegion(QSize(1, 1), 5, 5).isEmpty());
  EXPECT_EQ(CSplashDlg::roundedRegion(QSize(4, 3), 5, 5).boundingRect(), QRect(0, 0, 3, 2));
}

TEST(CSplashDlgRegionTest, ThePicturePlaceKeepsTheLayoutsProportions) {
  EXPECT_EQ(CSplashDlg::pictureOrigin(QSize(400, 250)), QPoint(21, 183));
  EXPECT_EQ(CSplashDlg::pictureOrigin(QSize(201, 106)), QPoint(11, 78));
  EXPECT_EQ(CSplashDlg::pictureOrigin(QSize(0, 0)), QPoint(0, 0));
}

// The pictures the default skin ships load as the window and the splash
// expect them: a still background and three animations of the sizes their
// places are laid out for.
TEST(SkinPicturesTest, TheDefaultSkinsSplashAndLoadingPicturesLoad) {
  test::qtApp();
  const QString folder = QString::fromStdString(test::defaultSkinFolder());
  const struct {
    const char* file;
    QSize size;
    bool animated;
  } pictures[] = {
      {"frame_splash_bk.bmp", QSize(400, 250), false},
      {"frame_splash_loading.gif", QSize(358, 12), true},
      {"frame_channel_list_load.gif", QSize(89, 76), true},
      {"frame_channel_notice_load.gif", QSize(160, 20), true},
  };
  for (const auto& expected : pictures) {
    CPictureEx picture;
    ASSERT_TRUE(picture.openFile(folder + expected.file)) << expected.file;
    EXPECT_EQ(picture.pictureSize(), expected.size) << expected.file;
    EXPECT_EQ(picture.isAnimated(), expected.animated) << expected.file;
    EXPECT_TRUE(picture.play());
  }
  CSplashDlg splash(folder);
  ASSERT_TRUE(splash.start());
  EXPECT_EQ(splash.size(), QSize(401, 251));
  // The loading bar sits inside the background, clear of its right edge by
  // as much as of its left.
  const QRect bar = splash.picture()->geometry();
  EXPECT_EQ(bar.left(), 400 - 1 - bar.right());
  splash.finish();
}

}  // namespace
}  // namespace tembra
