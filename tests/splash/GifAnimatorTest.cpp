#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <string>
#include <vector>

#include "ExternalTools.h"
#include "GifBuilder.h"
#include "QtTestApp.h"
#include "TempDir.h"
#include "splash/GifAnimator.h"

namespace tembra {
namespace {

using test::GifBuilder;
using test::pixelAt;

constexpr uint32_t kBlack = 0x000000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kRed = 0xFF0000;
const std::vector<uint32_t> kTable = {kBlack, kGreen, kBlue, kWhite};
const QColor kBackground(0x33, 0x44, 0x55);
constexpr uint32_t kBackgroundArgb = 0xFF334455;

class GifAnimatorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::qtApp(); }

  // Decodes and resets, checking that every frame survived decoding.
  void load(const GifBuilder& gif, size_t frames, QColor background = kBackground) {
    QSize size;
    auto decoded = GifAnimator::decodeFrames(test::toByteArray(gif.bytes()), &size);
    ASSERT_EQ(decoded.size(), frames);
    animator_.reset(size, background, std::move(decoded));
  }
  uint32_t at(int x, int y) const { return pixelAt(animator_.surface(), x, y); }

  GifAnimator animator_;
};

TEST_F(GifAnimatorTest, DecodesEachFrameToItsOwnRectangleWithItsColourTable) {
  GifBuilder gif(12, 10, kTable);
  gif.control(5, 1).image(0, 0, 12, 10, 1);
  gif.control(9, 2, 0).image(3, 4, 2, 3, 0, {1, 0, 0, 1, 1, 0}, {kRed, kBlue});
  QSize size;
  const auto frames = GifAnimator::decodeFrames(test::toByteArray(gif.bytes()), &size);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(size, QSize(12, 10));
  EXPECT_EQ(frames[1].offset, QPoint(3, 4));
  EXPECT_EQ(frames[1].size, QSize(2, 3));
  EXPECT_EQ(frames[1].picture.size(), QSize(2, 3));
  EXPECT_EQ(frames[1].delay, 9u);
  EXPECT_EQ(frames[1].disposal, 2u);
  // Index 0 is transparent in that frame; index 1 is blue in its local table.
  EXPECT_EQ(pixelAt(frames[1].picture, 0, 0), 0xFF0000FFu);
  EXPECT_EQ(pixelAt(frames[1].picture, 1, 0) >> 24, 0u);
  EXPECT_EQ(pixelAt(frames[0].picture, 11, 9), 0xFF00FF00u);
}

TEST_F(GifAnimatorTest, FramesTheLoaderRefusesAreSkipped) {
  GifBuilder gif(8, 8, kTable);
  gif.image(0, 0, 8, 8, 1);
  // An image whose code size no GIF decoder accepts.
  gif.raw({0x2C, 0, 0, 0, 0, 8, 0, 8, 0, 0, 0x0D, 0x02, 0x01, 0x01, 0x00});
  gif.image(0, 0, 8, 8, 2).trailer();
  load(gif, 2);
}

TEST_F(GifAnimatorTest, ALogicalScreenOfZeroSizeTakesTheFramesExtent) {
  GifBuilder gif(0, 0, kTable);
  gif.image(0, 0, 5, 4, 1).image(2, 3, 6, 2, 2).trailer();
  QSize size;
  const auto frames = GifAnimator::decodeFrames(test::toByteArray(gif.bytes()), &size);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(size, QSize(8, 5));
  EXPECT_EQ(frames[1].offset, QPoint(2, 3));
  EXPECT_EQ(frames[1].size, QSize(6, 2));
}

TEST_F(GifAnimatorTest, HugeLogicalScreensAreRefused) {
  GifBuilder gif(65535, 65535, kTable);
  gif.image(0, 0, 2, 2, 1).image(0, 0, 2, 2, 2).trailer();
  QSize size;
  EXPECT_TRUE(GifAnimator::decodeFrames(test::toByteArray(gif.bytes()), &size).empty());
}

// A halt leaves the current frame drawn and not disposed; resuming undoes
// the disposal it never had before drawing it again.
TEST_F(GifAnimatorTest, ResumingUndoesTheHaltedFramesDisposal) {
  GifBuilder gif(10, 10, kTable);
  gif.control(5, 1).image(0, 0, 10, 10, 1);
  gif.control(5, 3, 0).image(2, 2, 4, 4, 3, {3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0});
  gif.control(5, 2).image(6, 6, 2, 2, 2).trailer();
  load(gif, 3);
  animator_.drawCurrent();
  animator_.dispose();
  animator_.advance();
  animator_.drawCurrent();
  EXPECT_EQ(at(2, 2), 0xFFFFFFFFu);
  EXPECT_EQ(at(3, 2), 0xFF00FF00u);  // transparent pixel shows the frame below
  animator_.undoDisposal();
  EXPECT_EQ(at(2, 2), 0xFF00FF00u);
  animator_.drawCurrent();
  animator_.dispose();
  animator_.advance();
  animator_.drawCurrent();
  animator_.undoDisposal();
  EXPECT_EQ(at(6, 6), kBackgroundArgb);
}

TEST_F(GifAnimatorTest, ATransparentBackgroundClearsToTransparent) {
  GifBuilder gif(6, 6, kTable);
  gif.control(5, 2).image(0, 0, 6, 6, 1).control(5, 1).image(0, 0, 1, 1, 2).trailer();
  load(gif, 2, Qt::transparent);
  EXPECT_EQ(at(3, 3) >> 24, 0u);
  animator_.drawCurrent();
  EXPECT_EQ(at(3, 3), 0xFF00FF00u);
  animator_.dispose();
  EXPECT_EQ(at(3, 3) >> 24, 0u);
}

// Plays a file frame by frame on a transparent background and compares each
// drawn state with ImageMagick's coalesced frames.
void expectSameAsCoalesced(const std::string& gifFile, const test::TempDir& dir) {
  const auto coalesced = test::runTool(std::string(test::kConvert) + " '" + gifFile + "' -coalesce PNG32:'" +
                                       dir.file("frame-%03d.png") + "'");
  ASSERT_EQ(coalesced.status, 0);
  QFile file(QString::fromStdString(gifFile));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QSize size;
  auto frames = GifAnimator::decodeFrames(file.readAll(), &size);
  const size_t count = frames.size();
  ASSERT_GE(count, 2u);
  GifAnimator animator;
  animator.reset(size, Qt::transparent, std::move(frames));
  for (size_t i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03zu.png", i);
    QImage expected(QString::fromStdString(dir.file(name)));
    ASSERT_FALSE(expected.isNull()) << name;
    expected = expected.convertToFormat(QImage::Format_ARGB32);
    ASSERT_TRUE(animator.drawCurrent());
    const QImage actual = animator.surface().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(actual.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
      for (int x = 0; x < actual.width(); ++x) {
        const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
        if (qAlpha(a) == 0 && qAlpha(e) == 0) continue;
        if (a != e) ++differing;
      }
    }
    EXPECT_EQ(differing, 0) << "frame " << i;
    animator.dispose();
    animator.advance();
  }
}

TEST(GifAnimatorToolsTest, PlaysImageMagickAnimationsAsImageMagickComposesThem) {
  if (!test::haveProgram(test::kConvert)) {
    GTEST_SKIP() << "ImageMagick is not installed (scripts/setup installs it)";
  }
  test::qtApp();
  const test::TempDir dir("gifanimator");
  const std::string file = dir.file("magick.gif");
  ASSERT_TRUE(test::makeMagickAnimation(file));
  expectSameAsCoalesced(file, dir);
}

TEST(GifAnimatorToolsTest, PlaysFfmpegAnimationsAsImageMagickComposesThem) {
  if (!test::haveProgram(test::kConvert) || !test::haveProgram(test::kFfmpeg)) {
    GTEST_SKIP() << "ffmpeg or ImageMagick is not installed (scripts/setup installs them)";
  }
  test::qtApp();
  const test::TempDir dir("gifanimator");
  const std::string file = dir.file("ffmpeg.gif");
  ASSERT_TRUE(test::makeFfmpegAnimation(file));
  expectSameAsCoalesced(file, dir);
}

}  // namespace
}  // namespace tembra
