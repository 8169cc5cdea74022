// The renderer with real mpv sessions playing a clip: pictures at the size
// asked for, drawn off the calling thread, two sessions switched between,
// nothing drawn while hidden, and a session detached while the other plays.
#include <gtest/gtest.h>

#include <QThread>
#include <array>
#include <atomic>
#include <memory>

#include "player/MpvSession.h"
#include "player/PictureStats.h"
#include "player/PlayerMedia.h"
#include "player/PlayerTestApp.h"
#include "player/VideoRenderer.h"

namespace tembra {
namespace {

TEST(VideoRenderer, DrawsTwoSessionsAtTheSizeAskedForAndLetsOneGo) {
  if (!test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is missing: no clip to play";
  test::PlayerTestApp();
  const std::string clip = test::MpegTsClip(30, "renderer");
  ASSERT_FALSE(clip.empty());

  std::atomic<int> told{0};
  std::atomic<bool> toldOnCallingThread{false};
  QThread* caller = QThread::currentThread();
  auto renderer = std::make_unique<VideoRenderer>([&] {
    if (QThread::currentThread() == caller) toldOnCallingThread = true;
    ++told;
  });
  std::array<std::unique_ptr<MpvSession>, 2> sessions;
  for (int i = 0; i < 2; ++i) {
    sessions[i] = std::make_unique<MpvSession>(MpvOptions::Outputs{true, false});
    ASSERT_TRUE(sessions[i]->initialize()) << sessions[i]->error().toStdString();
    renderer->attach(i, sessions[i]->handle());
    EXPECT_TRUE(renderer->attached(i));
  }
  // The latest picture numbered above after (and, when given, of that
  // size), copied out; a null image when none came.
  auto pictureAfter = [&](uint64_t after, QSize size = {}) {
    VideoRenderer::Picture p;
    test::WaitFor([&] {
      p = renderer->acquire();
      return !p.image.isNull() && p.number > after && (size.isEmpty() || p.image.size() == size);
    }, 20000);
    if (p.number <= after) return VideoRenderer::Picture{};
    p.image = p.image.copy();
    return p;
  };

  // Session 0 plays at the size asked for, and its pictures are the clip's.
  renderer->setSize({320, 180});
  sessions[0]->load(clip, {});
  ASSERT_TRUE(test::WaitFor([&] { return sessions[0]->estimatedFrameNumber() >= 5; }, 20000));
  VideoRenderer::Picture p = pictureAfter(renderer->acquire().number);
  ASSERT_FALSE(p.image.isNull()) << "no picture";
  EXPECT_EQ(p.image.size(), QSize(320, 180));
  EXPECT_EQ(p.image.bytesPerLine() % VideoRenderer::kRowAlign, 0);
  double lit = 0;
  int colours = 0;
  test::ColourStats(p.image, lit, colours);
  EXPECT_GT(lit, 0.5) << "the test picture is mostly bright";
  EXPECT_GE(colours, 6) << "the test picture is colourful";
  const VideoRenderer::Picture first = p;
  p = pictureAfter(p.number + 10);
  ASSERT_FALSE(p.image.isNull()) << "the pictures keep coming";
  EXPECT_NE(p.image, first.image) << "the clip moves: a later picture differs";
  EXPECT_FALSE(toldOnCallingThread) << "drawn on the renderer's own thread";

  // A new size: the pictures after it have it, without a new frame being
  // needed for the first.
  renderer->setSize({200, 100});
  p = pictureAfter(p.number, {200, 100});
  EXPECT_EQ(p.image.size(), QSize(200, 100));

  // Zapping: session 1 is drawn; session 0's frames are taken and dropped,
  // so it keeps playing; hidden, no pictures, yet the video plays on.
  sessions[1]->load(clip, {});
  renderer->setActive(1);
  ASSERT_TRUE(test::WaitFor([&] { return sessions[1]->estimatedFrameNumber() >= 5; }, 20000));
  p = pictureAfter(p.number);
  EXPECT_FALSE(p.image.isNull());
  int64_t frame = sessions[0]->estimatedFrameNumber();
  EXPECT_TRUE(test::WaitFor([&] { return sessions[0]->estimatedFrameNumber() >= frame + 10; }, 10000))
      << "the session switched away from stalled at frame " << frame;
  renderer->setShown(false);
  test::Spin(200);
  const uint64_t hiddenAt = renderer->acquire().number;
  frame = sessions[1]->estimatedFrameNumber();
  EXPECT_TRUE(test::WaitFor([&] { return sessions[1]->estimatedFrameNumber() >= frame + 10; }, 10000))
      << "hidden video stalled at frame " << frame;
  EXPECT_EQ(renderer->acquire().number, hiddenAt) << "no pictures while nothing is seen";
  renderer->setShown(true);
  p = pictureAfter(hiddenAt);
  EXPECT_FALSE(p.image.isNull()) << "pictures again once seen";

  // A picture held stays as it was while later ones are drawn: the three
  // pictures rotate around the one acquired.
  const VideoRenderer::Picture held = renderer->acquire();
  const QImage heldCopy = held.image.copy();
  test::Spin(400);
  EXPECT_EQ(held.image, heldCopy) << "a held picture was drawn over";

  // Detaching waits until mpv let go: the handle can go right after, and
  // the other session keeps drawing.
  renderer->detach(0);
  EXPECT_FALSE(renderer->attached(0));
  sessions[0].reset();
  p = pictureAfter(p.number + 5);
  EXPECT_FALSE(p.image.isNull());
  // Gone while session 1 plays: its render context is freed first.
  renderer.reset();
  sessions[1].reset();
  EXPECT_GT(told.load(), 20);
}

}  // namespace
}  // namespace tembra
