// The real widget on a display: logo page, video through mpv's OpenGL render
// API, the overlay, fullscreen and back, and a live stream that drops and
// comes back. A QOpenGLWidget cannot be shown offscreen, so each parent
// test starts Xvfb and runs its child test in a second process of this
// program on that display. Screenshots land in <build>/player-screenshots.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include "web/WebView.h"
#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "TempDir.h"
#include "platform/ModulePath.h"
#include "platform/Utf.h"
#include "player/HeadlessPlayer.h"
#include "player/LoopStreamServer.h"
#include "player/MpvSession.h"
#include "player/MpvVideoWidget.h"
#include "player/PlayerMedia.h"
#include "player/PlayerOverlay.h"
#include "player/PlayerTestApp.h"
#include "player/PlayerView.h"
#include "player/VideoRenderer.h"
#include "splash/ExternalTools.h"
#include "splash/XvfbServer.h"

namespace tembra {
namespace {

constexpr const char* kChildEnv = "TEMBRA_PLAYER_XVFB_CHILD";

std::string screenshotFolder() {
  const std::string dir = ModulePath::record() + "../player-screenshots";
  std::filesystem::create_directories(dir);
  return std::filesystem::weakly_canonical(dir).string();
}

// Share of pixels in the middle half of the image that are not near-black,
// and how many distinct coarse colours they have.
void colourStats(const QImage& image, double& lit, int& colours) {
  std::set<int> seen;
  int litCount = 0, total = 0;
  for (int y = image.height() / 4; y < image.height() * 3 / 4; y += 3)
    for (int x = image.width() / 4; x < image.width() * 3 / 4; x += 3) {
      const QColor c = image.pixelColor(x, y);
      ++total;
      if (c.red() + c.green() + c.blue() > 60) ++litCount;
      seen.insert((c.red() / 64) * 16 + (c.green() / 64) * 4 + c.blue() / 64);
    }
  lit = total ? static_cast<double>(litCount) / total : 0;
  colours = static_cast<int>(seen.size());
}

// Runs the child tests matching filter in a second process on an Xvfb
// display of its own; they must all pass.
void runChildUnderXvfb(const std::string& filter) {
  if (!test::haveProgram(test::XvfbServer::kProgram)) GTEST_SKIP() << "Xvfb is missing";
  if (!test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is missing: no clip to play";
  test::XvfbServer x;
  ASSERT_FALSE(x.start().empty()) << "Xvfb did not report a display";
  test::TempDir dir("player-xvfb");
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string log = dir.path() + "/child.log";
  const std::string cmd = "env -u TEMBRA_FORCE_OFFSCREEN DISPLAY=" + x.display() + " " + kChildEnv +
                          "=1 QT_QPA_PLATFORM=xcb '" + self + "' --gtest_filter='" + filter + "' > '" + log +
                          "' 2>&1";
  const int rc = std::system(cmd.c_str());
  std::stringstream out;
  out << std::ifstream(log).rdbuf();
  EXPECT_EQ(rc, 0) << out.str();
  EXPECT_NE(out.str().find("[  PASSED  ] 1 test"), std::string::npos) << out.str();
  std::printf("%s", out.str().c_str());
  std::printf("screenshots in %s\n", screenshotFolder().c_str());
}

TEST(MpvPlayerWindow, RealWidgetPlaysUnderXvfb) {
  if (std::getenv(kChildEnv)) GTEST_SKIP() << "this is the child run";
  runChildUnderXvfb("MpvPlayerWindowChild.LogoPageVideoOverlayAndFullscreen");
}

TEST(MpvPlayerWindow, ADroppedStreamReconnectsUnderXvfb) {
  if (std::getenv(kChildEnv)) GTEST_SKIP() << "this is the child run";
  runChildUnderXvfb("MpvPlayerWindowChild.DroppedStreamMessageResumeAndRetry");
}

TEST(MpvPlayerWindow, RendererDrawsOffTheWindowThreadUnderXvfb) {
  if (std::getenv(kChildEnv)) GTEST_SKIP() << "this is the child run";
  runChildUnderXvfb("MpvPlayerWindowChild.RendererTwoSessionsSizesAndDetach");
}

// A picture of the renderer as the share group's texture holds it, read
// through a framebuffer of the current context (top row first).
QImage readPicture(QOpenGLContext& gl, const VideoRenderer::Picture& picture) {
  QOpenGLExtraFunctions* f = gl.extraFunctions();
  GLuint framebuffer = 0;
  f->glGenFramebuffers(1, &framebuffer);
  f->glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  f->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, picture.texture, 0);
  QImage image(picture.size, QImage::Format_RGBA8888);
  f->glPixelStorei(GL_PACK_ALIGNMENT, 4);
  f->glReadPixels(0, 0, picture.size.width(), picture.size.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
  f->glBindFramebuffer(GL_FRAMEBUFFER, 0);
  f->glDeleteFramebuffers(1, &framebuffer);
  return image.mirrored();
}

TEST(MpvPlayerWindowChild, RendererTwoSessionsSizesAndDetach) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs under Xvfb, started by MpvPlayerWindow";
  test::PlayerTestApp();
  const std::string clip = test::MpegTsClip(30, "window");
  ASSERT_FALSE(clip.empty());
  QOffscreenSurface surface;
  surface.create();
  QOpenGLContext gl;
  ASSERT_TRUE(gl.create());
  ASSERT_TRUE(gl.makeCurrent(&surface));

  std::atomic<int> told{0};
  std::atomic<bool> toldOnWindowThread{false};
  QThread* windowThread = QThread::currentThread();
  auto renderer = std::make_unique<VideoRenderer>(&gl, [&] {
    if (QThread::currentThread() == windowThread) toldOnWindowThread = true;
    ++told;
  });
  ASSERT_TRUE(renderer->valid());
  std::array<std::unique_ptr<MpvSession>, 2> sessions;
  for (int i = 0; i < 2; ++i) {
    sessions[i] = std::make_unique<MpvSession>(MpvOptions::Outputs{true, false});
    ASSERT_TRUE(sessions[i]->initialize()) << sessions[i]->error().toStdString();
    renderer->attach(i, sessions[i]->handle());
    EXPECT_TRUE(renderer->attached(i));
  }
  // The latest picture with a number above after (and, when given, that
  // size); texture 0 when none came.
  auto pictureAfter = [&](uint64_t after, QSize size = {}) {
    VideoRenderer::Picture p;
    test::WaitFor([&] {
      p = renderer->acquire();
      return p.texture && p.number > after && (size.isEmpty() || p.size == size);
    }, 20000);
    return p.number > after ? p : VideoRenderer::Picture{};
  };

  // Session 0 plays at the size asked for, and its pictures are the clip's.
  renderer->setSize({320, 180});
  sessions[0]->load(clip, {});
  ASSERT_TRUE(test::WaitFor([&] { return sessions[0]->estimatedFrameNumber() >= 5; }, 20000));
  VideoRenderer::Picture p = pictureAfter(renderer->acquire().number);
  ASSERT_NE(p.texture, 0u) << "no picture";
  EXPECT_EQ(p.size, QSize(320, 180));
  double lit = 0;
  int colours = 0;
  colourStats(readPicture(gl, p), lit, colours);
  EXPECT_GT(lit, 0.5) << "the test picture is mostly bright";
  EXPECT_GE(colours, 6) << "the test picture is colourful";
  p = pictureAfter(p.number + 10);
  EXPECT_NE(p.texture, 0u) << "the pictures keep coming";
  EXPECT_FALSE(toldOnWindowThread) << "drawn on the renderer's own thread";
  ASSERT_TRUE(test::WaitFor([&] { return sessions[0]->videoSize() == QSize(320, 240); }, 5000))
      << sessions[0]->videoSize().width() << "x" << sessions[0]->videoSize().height();

  // A new size: the pictures after it have it, without a new frame being
  // needed for the first.
  renderer->setSize({200, 100});
  p = pictureAfter(p.number, {200, 100});
  EXPECT_EQ(p.size, QSize(200, 100));

  // Zapping: session 1 is drawn; session 0's frames are taken and dropped,
  // so it keeps playing; hidden, no pictures, yet the video plays on.
  sessions[1]->load(clip, {});
  renderer->setActive(1);
  ASSERT_TRUE(test::WaitFor([&] { return sessions[1]->estimatedFrameNumber() >= 5; }, 20000));
  p = pictureAfter(p.number);
  EXPECT_NE(p.texture, 0u);
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
  EXPECT_NE(p.texture, 0u) << "pictures again once seen";

  // Detaching waits until mpv let go: the handle can go right after, and
  // the other session keeps drawing.
  renderer->detach(0);
  EXPECT_FALSE(renderer->attached(0));
  sessions[0].reset();
  p = pictureAfter(p.number + 5);
  EXPECT_NE(p.texture, 0u);
  renderer->release(nullptr);
  // Gone while session 1 plays: its render context is freed first.
  renderer.reset();
  sessions[1].reset();
  gl.doneCurrent();
  EXPECT_GT(told.load(), 20);
}

TEST(MpvPlayerWindowChild, LogoPageVideoOverlayAndFullscreen) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs under Xvfb, started by MpvPlayerWindow";
  test::PlayerTestApp();
  const std::string shots = screenshotFolder();
  const std::string clip = test::MpegTsClip(30, "window");
  ASSERT_FALSE(clip.empty());
  test::TempDir dir("player-window");

  MpvPlayer::Config config = test::HeadlessConfig(dir.file("player.ini"));
  config.renderVideo = config.logoPage = true;
  auto owned = std::make_unique<MpvPlayer>(config);
  MpvPlayer* player = owned.get();
  PlayerHost host(std::move(owned));
  ASSERT_TRUE(host.StartPlayer({0, 0, 640, 360}, u"", fromUtf8(ModulePath::record())));
  PlayerView* view = player->view();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->isVisible());
  // The idle page's web view comes on a later turn than the view: the web
  // engine's first start is a freeze of its own.
  ASSERT_TRUE(test::WaitFor([&] { return view->logo() != nullptr && view->logo()->isVisible(); }, 20000))
      << "the idle page shows while nothing plays";

  // The idle page.
  bool loaded = false;
  QObject::connect(view->logo(), &WebView::loadFinished, [&](bool ok) { loaded = ok; });
  view->setLogoPage(player->logoPage());
  ASSERT_TRUE(test::WaitFor([&] { return loaded; }, 60000)) << "logo page did not load";
  test::Spin(1500);
  QImage logo = view->grab().toImage();
  logo.save(QString::fromStdString(shots + "/logo.png"));
  const QColor corner = logo.pixelColor(3, 3);
  EXPECT_LT(std::abs(corner.red() - 0x10) + std::abs(corner.green() - 0x13) + std::abs(corner.blue() - 0x18), 40)
      << "dark page background, got " << corner.name().toStdString();

  // Playing.
  host.PlayAddress(fromUtf8(clip), u"Channel One");
  ASSERT_TRUE(test::WaitFor([&] { return player->state() == MpvPlayer::State::Playing; }, 20000))
      << player->errorText().toStdString();
  ASSERT_NE(view->video(), nullptr);
  ASSERT_TRUE(test::WaitFor([&] { return view->video()->framesDrawn() >= 15; }, 20000))
      << "frames drawn: " << view->video()->framesDrawn();
  EXPECT_TRUE(view->overlay()->channelNameVisible());
  QImage playing = view->grab().toImage();
  playing.save(QString::fromStdString(shots + "/playing.png"));
  double lit = 0;
  int colours = 0;
  colourStats(playing, lit, colours);
  EXPECT_GT(lit, 0.5) << "the test picture is mostly bright";
  EXPECT_GE(colours, 6) << "the test picture is colourful";

  // Fullscreen (the window it is in fills the screen) and back: the
  // picture keeps coming.
  view->setFullScreen(true);
  ASSERT_TRUE(test::WaitFor([&] { return view->window()->isFullScreen() && view->stage()->isVisible(); }, 5000));
  int before = view->video()->framesDrawn();
  ASSERT_TRUE(test::WaitFor([&] { return view->video()->framesDrawn() >= before + 15; }, 20000))
      << "no frames after going fullscreen";
  test::Spin(300);
  QImage full = view->stage()->grab().toImage();
  full.save(QString::fromStdString(shots + "/fullscreen.png"));
  EXPECT_EQ(full.width(), view->stage()->screen()->geometry().width());
  colourStats(full, lit, colours);
  EXPECT_GT(lit, 0.5);

  view->setFullScreen(false);
  EXPECT_EQ(view->stage()->parentWidget(), view);
  before = view->video()->framesDrawn();
  ASSERT_TRUE(test::WaitFor([&] { return view->video()->framesDrawn() >= before + 15; }, 20000))
      << "no frames after leaving fullscreen";
  EXPECT_EQ(player->state(), MpvPlayer::State::Playing);

  // Volume overlay on mouse movement while playing.
  player->stepVolume(-10);
  EXPECT_TRUE(view->overlay()->volumeVisible());
  test::Spin(200);
  view->grab().toImage().save(QString::fromStdString(shots + "/volume.png"));

  host.StopPlayer();
  EXPECT_EQ(view->mode(), PlayerView::Mode::Logo);
  EXPECT_EQ(host.QueryState(2), 0);
}

// How long after the server is back the picture must be moving again: the
// pause before the next attempt is at most 4 s at that point.
constexpr int kResumeLimitMs = 8000;

TEST(MpvPlayerWindowChild, DroppedStreamMessageResumeAndRetry) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs under Xvfb, started by MpvPlayerWindow";
  test::PlayerTestApp();
  const std::string shots = screenshotFolder();
  const std::string clip = test::MpegTsClip(60, "live");
  ASSERT_FALSE(clip.empty());
  test::LoopStreamServer server(clip, 60);
  ASSERT_TRUE(server.start());
  test::TempDir dir("player-reconnect");

  MpvPlayer::Config config = test::HeadlessConfig(dir.file("player.ini"));
  config.renderVideo = true;
  auto owned = std::make_unique<MpvPlayer>(config);
  MpvPlayer* player = owned.get();
  PlayerHost host(std::move(owned));
  ASSERT_TRUE(host.StartPlayer({0, 0, 640, 360}, u"", u"/nowhere/"));
  PlayerView* view = player->view();
  ASSERT_NE(view, nullptr);
  ASSERT_NE(view->video(), nullptr);
  auto state = [&] { return player->state(); };
  auto framesAdvance = [&](int timeoutMs) {
    const int before = view->video()->framesDrawn();
    return test::WaitFor([&] { return state() == MpvPlayer::State::Playing && view->video()->framesDrawn() >= before + 15; },
                         timeoutMs);
  };

  host.PlayAddress(fromUtf8(server.url()), u"Live");
  ASSERT_TRUE(framesAdvance(20000)) << player->errorText().toStdString();
  EXPECT_TRUE(view->retryButton()->isHidden());

  // The server goes away: the player says so, over the video area, and
  // offers Retry.
  server.stop();
  ASSERT_TRUE(test::WaitFor([&] { return state() == MpvPlayer::State::Reconnecting; }, 20000))
      << "state " << static_cast<int>(state()) << ": " << player->errorText().toStdString();
  EXPECT_EQ(player->errorText(), "The stream was interrupted, reconnecting...");
  EXPECT_EQ(view->overlay()->error(), player->errorText());
  EXPECT_EQ(view->mode(), PlayerView::Mode::Message);
  ASSERT_TRUE(view->retryButton()->isVisible());
  EXPECT_GE(view->retryButton()->geometry().top(), view->overlay()->errorBox().bottom()) << "under the message";
  EXPECT_TRUE(view->rect().contains(view->retryButton()->geometry()));
  EXPECT_NE(host.QueryState(2), 0);
  test::Spin(200);
  view->grab().toImage().save(QString::fromStdString(shots + "/reconnecting.png"));

  // Back after a few failed attempts: playing again within a few seconds,
  // by itself.
  ASSERT_TRUE(test::WaitFor([&] { return player->reconnectAttempts() >= 2; }, 10000));
  ASSERT_TRUE(server.start());
  QElapsedTimer back;
  back.start();
  ASSERT_TRUE(framesAdvance(kResumeLimitMs)) << "not playing " << back.elapsed() << " ms after the server came back";
  std::printf("resumed by itself %lld ms after the server came back\n", static_cast<long long>(back.elapsed()));
  EXPECT_TRUE(view->retryButton()->isHidden());
  EXPECT_EQ(view->mode(), PlayerView::Mode::Video);
  EXPECT_EQ(player->reconnectAttempts(), 0);

  // Dropped again, and back while the next attempt is still seconds away:
  // Retry reconnects at once.
  server.stop();
  ASSERT_TRUE(test::WaitFor([&] { return state() == MpvPlayer::State::Reconnecting; }, 20000));
  ASSERT_TRUE(test::WaitFor([&] { return player->msToNextReconnect() > 3000; }, 15000)) << "the 4 s pause";
  ASSERT_TRUE(server.start());
  const int due = player->msToNextReconnect();
  QElapsedTimer clicked;
  clicked.start();
  QTest::mouseClick(view->retryButton(), Qt::LeftButton);
  ASSERT_TRUE(framesAdvance(kResumeLimitMs));
  std::printf("resumed %lld ms after Retry, %d ms before the next attempt was due\n",
              static_cast<long long>(clicked.elapsed()), due);
  EXPECT_LT(clicked.elapsed(), due) << "the click, not the schedule, brought it back";
  view->grab().toImage().save(QString::fromStdString(shots + "/resumed.png"));
  host.StopPlayer();
}

}  // namespace
}  // namespace tembra
