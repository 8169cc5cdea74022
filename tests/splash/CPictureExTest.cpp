#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPalette>
#include <QPixmap>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "GifBuilder.h"
#include "QtTestApp.h"
#include "TempDir.h"
#include "splash/CPictureEx.h"

namespace tembra {
namespace {

using namespace std::chrono_literals;
using test::GifBuilder;
using test::pixelAt;
using Clock = std::chrono::steady_clock;

const std::vector<uint32_t> kTable = {0x000000, 0x00FF00, 0x0000FF, 0xFFFFFF};

// Frames as the animation thread reports them, with the time and a copy of
// the surface taken right after each was drawn.
class FrameLog {
 public:
  explicit FrameLog(CPictureEx& picture, bool keepSurfaces = false) : picture_(picture), keep_(keepSurfaces) {
    QObject::connect(&picture, &CPictureEx::frameDrawn, &picture, [this](int index) { record(index); },
                     Qt::DirectConnection);
  }
  struct Entry {
    int index;
    Clock::time_point at;
    QImage surface;
  };
  bool waitFor(size_t count, std::chrono::milliseconds limit = 10s) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, limit, [&] { return entries_.size() >= count; });
  }
  std::vector<Entry> entries() {
    std::lock_guard lock(mutex_);
    return entries_;
  }
  size_t size() {
    std::lock_guard lock(mutex_);
    return entries_.size();
  }

 private:
  void record(int index) {
    QImage surface = keep_ ? picture_.snapshot() : QImage();
    std::lock_guard lock(mutex_);
    entries_.push_back({index, Clock::now(), std::move(surface)});
    cv_.notify_all();
  }
  CPictureEx& picture_;
  const bool keep_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<Entry> entries_;  // guarded by mutex_
};

class CPictureExTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::qtApp(); }
  static QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
  }
  static QByteArray twoFrames(uint16_t delay) {
    GifBuilder gif(8, 6, kTable);
    gif.looping().control(delay, 1).image(0, 0, 8, 6, 1).control(delay, 1).image(0, 0, 8, 6, 2).trailer();
    return test::toByteArray(gif.bytes());
  }
};

TEST_F(CPictureExTest, StillPicturesShowAtTheirOwnSize) {
  QImage image(13, 7, QImage::Format_RGB32);
  image.fill(QColor(0x12, 0x34, 0x56));
  image.setPixel(12, 6, qRgb(0xFF, 0, 0));
  for (const char* format : {"BMP", "PNG", "JPG"}) {
    CPictureEx picture;
    ASSERT_TRUE(picture.openMemory(encoded(image, format))) << format;
    EXPECT_TRUE(picture.isLoaded());
    EXPECT_FALSE(picture.isAnimated());
    EXPECT_EQ(picture.frameCount(), 1u);
    EXPECT_EQ(picture.pictureSize(), QSize(13, 7));
    EXPECT_EQ(picture.size(), QSize(13, 7));
    // Only play draws the picture; until then the surface is background.
    EXPECT_EQ(pixelAt(picture.snapshot(), 0, 0), picture.backgroundColor().rgba());
    EXPECT_TRUE(picture.play());
    EXPECT_FALSE(picture.isPlaying());
    if (std::string(format) != "JPG") {
      EXPECT_EQ(pixelAt(picture.snapshot(), 0, 0), 0xFF123456u) << format;
      EXPECT_EQ(pixelAt(picture.snapshot(), 12, 6), 0xFFFF0000u) << format;
    }
  }
}

TEST_F(CPictureExTest, PlayingAStillPictureAgainBlendsNothingTwice) {
  QImage image(4, 4, QImage::Format_ARGB32);
  image.fill(QColor(0xFF, 0x00, 0x00, 0x80));
  CPictureEx picture;
  ASSERT_TRUE(picture.openMemory(encoded(image, "PNG")));
  ASSERT_TRUE(picture.play());
  const QRgb once = pixelAt(picture.snapshot(), 1, 1);
  ASSERT_TRUE(picture.play());
  EXPECT_EQ(pixelAt(picture.snapshot(), 1, 1), once);
}

TEST_F(CPictureExTest, AOneImageGifIsStillAndStartsNoThread) {
  GifBuilder gif(5, 4, kTable);
  gif.control(3, 2).image(0, 0, 5, 4, 2).trailer();
  CPictureEx picture;
  FrameLog log(picture);
  ASSERT_TRUE(picture.openMemory(test::toByteArray(gif.bytes())));
  EXPECT_FALSE(picture.isAnimated());
  EXPECT_TRUE(picture.play());
  EXPECT_FALSE(picture.isPlaying());
  EXPECT_EQ(pixelAt(picture.snapshot(), 4, 3), 0xFF0000FFu);
  EXPECT_FALSE(log.waitFor(1, 150ms));
}

TEST_F(CPictureExTest, WhatCannotBeDecodedLeavesTheControlEmpty) {
  const test::TempDir dir("cpictureex");
  GifBuilder noImages(8, 8, kTable);
  noImages.looping().trailer();
  const QByteArray cases[] = {QByteArray(), QByteArray("GIF89a"), QByteArray("not a picture at all"),
                              test::toByteArray(noImages.bytes())};
  for (const QByteArray& data : cases) {
    CPictureEx picture;
    ASSERT_TRUE(picture.openMemory(twoFrames(5)));
    EXPECT_FALSE(picture.openMemory(data)) << data.toStdString();
    EXPECT_FALSE(picture.isLoaded());
    EXPECT_EQ(picture.frameCount(), 0u);
    EXPECT_TRUE(picture.pictureSize().isEmpty());
    EXPECT_FALSE(picture.play());
  }
  CPictureEx picture;
  EXPECT_FALSE(picture.openFile(QString::fromStdString(dir.file("missing.gif"))));
  EXPECT_FALSE(picture.play());
}

TEST_F(CPictureExTest, AnAnimatedGifIsSizedByItsLogicalScreen) {
  CPictureEx picture;
  picture.move(30, 40);
  ASSERT_TRUE(picture.openMemory(twoFrames(5)));
  EXPECT_TRUE(picture.isAnimated());
  EXPECT_EQ(picture.frameCount(), 2u);
  EXPECT_EQ(picture.pictureSize(), QSize(8, 6));
  EXPECT_EQ(picture.geometry(), QRect(30, 40, 8, 6));
  EXPECT_FALSE(picture.isPlaying());
}

// Every prefix of a three-frame file loads as what it holds in full: two or
// more frames animate, one is a still picture, none fails.
TEST_F(CPictureExTest, TruncatedFilesPlayTheFramesTheyHold) {
  GifBuilder gif(6, 6, kTable);
  gif.looping().control(5, 1).image(0, 0, 6, 6, 1).control(5, 2).image(1, 1, 3, 3, 2).control(5, 1).image(0, 0, 2, 2, 3);
  gif.trailer();
  const auto& bytes = gif.bytes();
  const size_t ends[] = {gif.blocks()[2].second, gif.blocks()[4].second, gif.blocks()[6].second};
  CPictureEx picture;
  for (size_t length = 0; length <= bytes.size(); ++length) {
    size_t complete = 0;
    while (complete < 3 && ends[complete] <= length) ++complete;
    const bool loaded = picture.openMemory(QByteArray(reinterpret_cast<const char*>(bytes.data()), length));
    EXPECT_EQ(loaded, complete > 0) << length;
    EXPECT_EQ(picture.frameCount(), complete) << length;
  }
}

// Frames with delays 3, 5 and 0 stay up 100, 50 and 100 ms. The thread never
// wakes early, so the lower bounds are exact; a loaded machine can only make
// waits longer, so the 50 ms frame is judged by its shortest showing.
TEST_F(CPictureExTest, FrameDelaysFollowTheTimingRule) {
  GifBuilder gif(4, 4, kTable);
  gif.control(3, 1).image(0, 0, 4, 4, 1).control(5, 1).image(0, 0, 4, 4, 2).control(0, 1).image(0, 0, 4, 4, 3);
  gif.trailer();
  CPictureEx picture;
  FrameLog log(picture);
  ASSERT_TRUE(picture.openMemory(test::toByteArray(gif.bytes())));
  ASSERT_TRUE(picture.play());
  EXPECT_TRUE(picture.isPlaying());
  ASSERT_TRUE(log.waitFor(13));
  picture.halt();
  const auto entries = log.entries();
  auto shortest = std::vector<Clock::duration>(3, Clock::duration::max());
  for (size_t i = 0; i + 1 < entries.size(); ++i) {
    ASSERT_EQ(entries[i].index, static_cast<int>(i % 3));
    const auto shown = entries[i + 1].at - entries[i].at;
    shortest[i % 3] = std::min(shortest[i % 3], shown);
  }
  EXPECT_GE(shortest[0], 100ms);
  EXPECT_GE(shortest[1], 50ms);
  EXPECT_LT(shortest[1], 90ms);
  EXPECT_GE(shortest[2], 100ms);
}

TEST_F(CPictureExTest, DisposalTwoShowsTheButtonColourAndTheLoopStartsClear) {
  GifBuilder gif(10, 10, kTable);
  gif.control(5, 1).image(0, 0, 4, 4, 1).control(5, 2).image(5, 5, 3, 3, 2).control(5, 1).image(9, 9, 1, 1, 3);
  gif.trailer();
  CPictureEx picture;
  FrameLog log(picture, true);
  ASSERT_TRUE(picture.openMemory(test::toByteArray(gif.bytes())));
  const uint32_t button = picture.palette().color(QPalette::Button).rgba();
  EXPECT_EQ(picture.backgroundColor().rgba(), button);
  ASSERT_TRUE(picture.play());
  ASSERT_TRUE(log.waitFor(4));
  picture.halt();
  const auto entries = log.entries();
  EXPECT_EQ(pixelAt(entries[1].surface, 6, 6), 0xFF0000FFu);
  EXPECT_EQ(pixelAt(entries[2].surface, 6, 6), button);
  EXPECT_EQ(pixelAt(entries[2].surface, 9, 9), 0xFFFFFFFFu);
  EXPECT_EQ(pixelAt(entries[2].surface, 1, 1), 0xFF00FF00u);
  ASSERT_EQ(entries[3].index, 0);
  EXPECT_EQ(pixelAt(entries[3].surface, 9, 9), button);
  EXPECT_EQ(pixelAt(entries[3].surface, 1, 1), 0xFF00FF00u);
}

TEST_F(CPictureExTest, HaltStopsAtOnceAndPlayResumesOnTheSameFrame) {
  CPictureEx picture;
  FrameLog log(picture);
  ASSERT_TRUE(picture.openMemory(twoFrames(500)));  // five seconds a frame
  ASSERT_TRUE(picture.play());
  EXPECT_TRUE(picture.play());  // already playing: no second thread
  ASSERT_TRUE(log.waitFor(1));
  QElapsedTimer timer;
  timer.start();
  picture.halt();
  EXPECT_LT(timer.elapsed(), 1000);
  EXPECT_FALSE(picture.isPlaying());
  picture.halt();
  EXPECT_EQ(pixelAt(picture.snapshot(), 0, 0), 0xFF00FF00u);

  ASSERT_TRUE(picture.play());
  ASSERT_TRUE(log.waitFor(2));
  picture.halt();
  const auto entries = log.entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].index, 0);
}

TEST_F(CPictureExTest, UnloadingReloadingAndDestroyingWhileAnimating) {
  auto picture = std::make_unique<CPictureEx>();
  FrameLog log(*picture);
  ASSERT_TRUE(picture->openMemory(twoFrames(5)));
  ASSERT_TRUE(picture->play());
  ASSERT_TRUE(log.waitFor(2));
  picture->unload();
  EXPECT_FALSE(picture->isPlaying());
  EXPECT_FALSE(picture->isLoaded());
  EXPECT_TRUE(picture->snapshot().isNull());
  const size_t afterUnload = log.size();
  EXPECT_FALSE(log.waitFor(afterUnload + 1, 200ms));

  ASSERT_TRUE(picture->openMemory(twoFrames(5)));
  ASSERT_TRUE(picture->play());
  ASSERT_TRUE(log.waitFor(afterUnload + 2));
  ASSERT_TRUE(picture->openMemory(twoFrames(5)));  // reloading halts the old animation
  EXPECT_FALSE(picture->isPlaying());
  ASSERT_TRUE(picture->play());
  picture.reset();
}

// Painting and snapshots read the surface while the thread draws into it;
// under the thread sanitizer this shows the surface lock doing its work.
TEST_F(CPictureExTest, PaintsTheSurfaceCentredWhileItAnimates) {
  CPictureEx picture;
  FrameLog log(picture);
  ASSERT_TRUE(picture.openMemory(twoFrames(5)));
  ASSERT_TRUE(picture.play());
  const auto until = Clock::now() + 400ms;
  while (Clock::now() < until) {
    picture.grab();
    picture.snapshot();
    QCoreApplication::processEvents();
  }
  EXPECT_GE(log.size(), 3u);
  picture.halt();

  const QRgb shown = pixelAt(picture.snapshot(), 0, 0);
  picture.resize(20, 16);
  QImage larger = picture.grab().toImage();
  EXPECT_EQ(pixelAt(larger, 6, 5), shown);
  EXPECT_EQ(pixelAt(larger, 13, 10), shown);
  EXPECT_NE(pixelAt(larger, 5, 5), shown);
  picture.resize(4, 2);
  EXPECT_EQ(pixelAt(picture.grab().toImage(), 0, 0), shown);
}

// The window keeps its loading pictures playing while they are hidden: they
// draw frames then but repaint only once shown.
TEST_F(CPictureExTest, AHiddenPictureAnimatesWithoutRepainting) {
  struct PaintCounter : QObject {
    std::atomic<int> paints{0};
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  QWidget window;
  window.resize(100, 100);
  auto* picture = new CPictureEx(&window);
  picture->installEventFilter(&counter);
  FrameLog log(*picture);
  window.show();
  ASSERT_TRUE(picture->openMemory(twoFrames(5)));
  ASSERT_TRUE(picture->play());
  picture->hide();
  QCoreApplication::processEvents();
  counter.paints = 0;
  const auto until = Clock::now() + 300ms;
  while (Clock::now() < until) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_GE(log.size(), 3u);
  EXPECT_EQ(counter.paints.load(), 0);

  picture->show();
  const size_t shown = log.size();
  const auto later = Clock::now() + 300ms;
  while (Clock::now() < later) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_GE(log.size(), shown + 3);
  EXPECT_GE(counter.paints.load(), 3);
  picture->halt();
}

TEST_F(CPictureExTest, ATransparentBackgroundLetsTheParentShowThrough) {
  CPictureEx picture;
  picture.setBackgroundColor(Qt::transparent);
  ASSERT_TRUE(picture.openMemory(twoFrames(5)));
  EXPECT_EQ(picture.backgroundColor().alpha(), 0);
  EXPECT_EQ(pixelAt(picture.snapshot(), 3, 3) >> 24, 0u);
}

}  // namespace
}  // namespace tembra
