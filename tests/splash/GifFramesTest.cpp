#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExternalTools.h"
#include "GifBuilder.h"
#include "TempDir.h"
#include "platform/TestFiles.h"
#include "splash/GifFrames.h"

namespace tembra {
namespace {

using test::GifBuilder;

const std::vector<uint32_t> kGlobal = {0x101318, 0x3D8BFD, 0xF5A524, 0xE6E9EF};

std::vector<uint8_t> slice(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  return {bytes.begin() + from, bytes.begin() + to};
}

// The single-image file a frame should become: the source's header and
// global table, the frame's blocks, the trailer.
std::vector<uint8_t> expectedFrameGif(const std::vector<uint8_t>& bytes, size_t firstBlock, size_t from, size_t to) {
  std::vector<uint8_t> gif = slice(bytes, 0, firstBlock);
  const auto body = slice(bytes, from, to);
  gif.insert(gif.end(), body.begin(), body.end());
  gif.push_back(0x3B);
  return gif;
}

// Looping extension and a comment before the first frame (neither belongs
// to a frame), a frame with a local colour table at an offset, and a last
// frame without a control extension.
GifBuilder threeFrames() {
  GifBuilder gif(40, 30, kGlobal, 1);
  gif.looping().comment("made for the tests");
  gif.control(7, 1).image(0, 0, 40, 30, 0);
  gif.control(3, 2, 0).image(5, 6, 10, 8, 1, {}, {0xFF0000, 0x00FF00});
  gif.image(1, 2, 3, 4, 2);
  gif.trailer();
  return gif;
}

TEST(GifFramesTest, ReadsTheLogicalScreenAndItsBackgroundColour) {
  const GifBuilder gif = threeFrames();
  const GifFrames frames(gif.bytes());
  ASSERT_TRUE(frames.valid());
  EXPECT_EQ(frames.screen().width, 40);
  EXPECT_EQ(frames.screen().height, 30);
  EXPECT_EQ(frames.screen().globalTableBytes, 12u);
  EXPECT_EQ(frames.screen().backgroundIndex, 1);
  EXPECT_EQ(frames.screen().backgroundColour, 0x3D8BFDu);
  EXPECT_EQ(frames.screen().firstBlock, 25u);

  const GifBuilder bare(7, 9, {});
  const GifFrames noTable(bare.bytes());
  ASSERT_TRUE(noTable.valid());
  EXPECT_EQ(noTable.screen().globalTableBytes, 0u);
  EXPECT_EQ(noTable.screen().backgroundColour, 0xFFFFFFu);
  EXPECT_EQ(noTable.screen().firstBlock, 13u);

  // An index past the end of the table gives no colour of its own.
  const GifBuilder pastTable(7, 9, kGlobal, 9);
  EXPECT_EQ(GifFrames(pastTable.bytes()).screen().backgroundColour, 0xFFFFFFu);
}

TEST(GifFramesTest, CutsEachFrameOutWithItsPlaceDelayAndDisposal) {
  const GifBuilder gif = threeFrames();
  const auto& bytes = gif.bytes();
  const auto& blocks = gif.blocks();  // looping, comment, control, image, control, image, image, trailer
  const struct {
    uint16_t left, top, width, height;
    uint32_t delay, disposal;
    bool hasControl;
    size_t firstBlock, lastBlock;
  } expected[] = {
      {0, 0, 40, 30, 7, 1, true, 2, 3},
      {5, 6, 10, 8, 3, 2, true, 4, 5},
      {1, 2, 3, 4, GifFrames::kDefaultDelay, 0, false, 6, 6},
  };
  GifFrames frames(bytes);
  EXPECT_EQ(frames.count(), 3u);
  std::vector<uint8_t> first;
  for (const auto& e : expected) {
    auto frame = frames.next();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->left, e.left);
    EXPECT_EQ(frame->top, e.top);
    EXPECT_EQ(frame->width, e.width);
    EXPECT_EQ(frame->height, e.height);
    EXPECT_EQ(frame->delay, e.delay);
    EXPECT_EQ(frame->disposal, e.disposal);
    EXPECT_EQ(frame->hasControl, e.hasControl);
    EXPECT_EQ(frame->gif, expectedFrameGif(bytes, 25, blocks[e.firstBlock].first, blocks[e.lastBlock].second));
    if (first.empty()) first = frame->gif;
  }
  EXPECT_FALSE(frames.next());
  EXPECT_FALSE(frames.next());
  EXPECT_EQ(frames.count(), 3u);

  frames.rewind();
  auto again = frames.next();
  ASSERT_TRUE(again);
  EXPECT_EQ(again->gif, first);
}

TEST(GifFramesTest, BlocksBetweenTheControlExtensionAndTheImageGoWithTheFrame) {
  GifBuilder gif(8, 8, kGlobal);
  gif.control(20, 3).comment("inside").looping().image(0, 0, 8, 8, 1);
  gif.comment("between frames").control(4, 0).image(0, 0, 8, 8, 2).trailer();
  const auto& blocks = gif.blocks();
  GifFrames frames(gif.bytes());
  ASSERT_EQ(frames.count(), 2u);
  auto first = frames.next();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->delay, 20u);
  EXPECT_EQ(first->disposal, 3u);
  EXPECT_EQ(first->gif, expectedFrameGif(gif.bytes(), 25, blocks[0].first, blocks[3].second));
  auto second = frames.next();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->gif, expectedFrameGif(gif.bytes(), 25, blocks[5].first, blocks[6].second));
}

TEST(GifFramesTest, ReadsEveryDisposalMethodAndLongDelays) {
  for (uint8_t disposal = 0; disposal < 8; ++disposal) {
    GifBuilder gif(4, 4, kGlobal);
    gif.control(65535, disposal, disposal % 2 ? 3 : -1).image(0, 0, 4, 4, 1).trailer();
    auto frame = GifFrames(gif.bytes()).next();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->disposal, disposal);
    EXPECT_EQ(frame->delay, 65535u);
  }
}

TEST(GifFramesTest, AnyVersionBytesAfterGifAreAccepted) {
  for (const char* version : {"87a", "89a", "99z", "\x01\x02\x03"}) {
    GifBuilder gif(4, 4, kGlobal, 0, version);
    gif.image(0, 0, 4, 4, 1).image(0, 0, 4, 4, 2).trailer();
    EXPECT_EQ(GifFrames(gif.bytes()).count(), 2u) << version;
  }
  const std::string png = "\x89PNG\r\n\x1a\n-------------";
  const std::vector<uint8_t> notGif(png.begin(), png.end());
  EXPECT_FALSE(GifFrames::isGif(notGif));
  EXPECT_FALSE(GifFrames(notGif).valid());
  EXPECT_EQ(GifFrames(notGif).count(), 0u);
  EXPECT_TRUE(GifFrames::isGif(std::vector<uint8_t>{'G', 'I', 'F'}));
  EXPECT_FALSE(GifFrames(std::vector<uint8_t>{'G', 'I', 'F'}).valid());
  EXPECT_FALSE(GifFrames::isGif(std::vector<uint8_t>{'G', 'I'}));
}

// Every prefix of a file: the walk yields exactly the frames whose image data
// is complete in it, never reads past it, and a header or global table cut
// short makes the file unusable.
TEST(GifFramesTest, EveryTruncatedPrefixYieldsItsCompleteFrames) {
  const GifBuilder gif = threeFrames();
  const auto& bytes = gif.bytes();
  const std::vector<size_t> imageEnds = {gif.blocks()[3].second, gif.blocks()[5].second, gif.blocks()[6].second};
  const std::vector<uint16_t> widths = {40, 10, 3};
  for (size_t length = 0; length <= bytes.size(); ++length) {
    const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + length);
    GifFrames frames(prefix);
    EXPECT_EQ(frames.valid(), length >= 25) << length;
    size_t complete = 0;
    while (complete < imageEnds.size() && imageEnds[complete] <= length) ++complete;
    EXPECT_EQ(frames.count(), complete) << length;
    size_t got = 0;
    while (auto frame = frames.next()) {
      ASSERT_LT(got, widths.size());
      EXPECT_EQ(frame->width, widths[got]) << length;
      EXPECT_EQ(frame->gif.back(), 0x3B);
      ++got;
    }
    EXPECT_EQ(got, complete) << length;
  }
}

TEST(GifFramesTest, AByteThatStartsNoBlockEndsTheWalk) {
  GifBuilder gif(8, 8, kGlobal);
  gif.control(5, 0).image(0, 0, 8, 8, 1).raw({0x99, 0x00, 0x00}).control(5, 0).image(0, 0, 8, 8, 2).trailer();
  GifFrames frames(gif.bytes());
  EXPECT_EQ(frames.count(), 1u);
  EXPECT_TRUE(frames.next());
  EXPECT_FALSE(frames.next());

  // Data after the trailer is not looked at.
  GifBuilder after(8, 8, kGlobal);
  after.image(0, 0, 8, 8, 1).trailer().image(0, 0, 8, 8, 2);
  EXPECT_EQ(GifFrames(after.bytes()).count(), 1u);
}

TEST(GifFramesTest, ExtensionsOfUnknownKindAreSteppedOver) {
  GifBuilder gif(8, 8, kGlobal);
  gif.image(0, 0, 8, 8, 1).unknownExtension(0x42, 300).raw({0x21, 0x01, 0x0C, 0, 0, 0, 0, 0, 0, 0, 0, 8, 8, 1, 0,
                                                            0x02, 'h', 'i', 0x00});
  // A control extension too short to hold a delay is no control extension.
  gif.raw({0x21, 0xF9, 0x02, 0x08, 0x09, 0x00}).image(2, 2, 4, 4, 2).trailer();
  GifFrames frames(gif.bytes());
  EXPECT_EQ(frames.count(), 2u);
  EXPECT_TRUE(frames.next());
  auto second = frames.next();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->left, 2);
  EXPECT_FALSE(second->hasControl);
  EXPECT_EQ(second->delay, GifFrames::kDefaultDelay);
}

TEST(GifFramesTest, NoImageMeansNoFrames) {
  GifBuilder gif(8, 8, kGlobal);
  gif.looping().comment("nothing here").control(5, 2).trailer();
  GifFrames frames(gif.bytes());
  EXPECT_TRUE(frames.valid());
  EXPECT_EQ(frames.count(), 0u);
  EXPECT_FALSE(frames.next());
}

TEST(GifFramesTest, FrameWaitRaisesShortDelaysTo100Milliseconds) {
  const std::pair<uint32_t, int> table[] = {{0, 100},  {1, 100},   {3, 100},    {4, 100},      {5, 50},
                                            {6, 60},   {10, 100},  {100, 1000}, {65535, 655350}};
  for (auto [delay, ms] : table) {
    EXPECT_EQ(GifFrames::frameWait(delay).count(), ms) << delay;
  }
  EXPECT_EQ(GifFrames::frameWait(GifFrames::kDefaultDelay).count(), 100);
}

// The walk must agree with ImageMagick's own reading of files it and ffmpeg
// write: frame count, rectangles, delays and disposal methods.
void expectSameFramesAsIdentify(const std::string& file) {
  const auto identified = test::identifyFrames(file);
  ASSERT_FALSE(identified.empty()) << file;
  const std::string text = test::readFile(file);
  const std::vector<uint8_t> bytes(text.begin(), text.end());  // the frames point into it
  GifFrames frames(bytes);
  ASSERT_TRUE(frames.valid());
  EXPECT_EQ(frames.screen().width, identified[0].canvasWidth);
  EXPECT_EQ(frames.screen().height, identified[0].canvasHeight);
  ASSERT_EQ(frames.count(), identified.size());
  for (const auto& expected : identified) {
    auto frame = frames.next();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->left, expected.left);
    EXPECT_EQ(frame->top, expected.top);
    EXPECT_EQ(frame->width, expected.width);
    EXPECT_EQ(frame->height, expected.height);
    EXPECT_EQ(frame->delay, static_cast<uint32_t>(expected.delay));
    if (test::disposalNumber(expected.dispose) != 0) {
      EXPECT_EQ(frame->disposal, static_cast<uint32_t>(test::disposalNumber(expected.dispose)));
    }
  }
  EXPECT_FALSE(frames.next());
}

TEST(GifFramesTest, AgreesWithImageMagickOnItsAnimations) {
  if (!test::haveProgram(test::kConvert) || !test::haveProgram(test::kIdentify)) {
    GTEST_SKIP() << "ImageMagick is not installed (scripts/setup installs it)";
  }
  const test::TempDir dir("gifframes");
  const std::string file = dir.file("magick.gif");
  ASSERT_TRUE(test::makeMagickAnimation(file));
  expectSameFramesAsIdentify(file);
}

TEST(GifFramesTest, AgreesWithImageMagickOnFfmpegAnimations) {
  if (!test::haveProgram(test::kFfmpeg) || !test::haveProgram(test::kIdentify)) {
    GTEST_SKIP() << "ffmpeg or ImageMagick is not installed (scripts/setup installs them)";
  }
  const test::TempDir dir("gifframes");
  const std::string file = dir.file("ffmpeg.gif");
  ASSERT_TRUE(test::makeFfmpegAnimation(file));
  expectSameFramesAsIdentify(file);
}

}  // namespace
}  // namespace tembra
