// The real widget on a display: logo page, video through mpv's software
// renderer, the overlay, fullscreen and back, and a live stream that drops
// and comes back. Fullscreen needs a real window system, so each parent
// test starts Xvfb and runs its child test in a second process of this
// program on that display. Screenshots land in <build>/player-screenshots.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>
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
#include "player/PictureStats.h"
#include "player/PlayerOverlay.h"
#include "player/PlayerTestApp.h"
#include "player/PlayerView.h"
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

  // The idle page's own window, shown over the view where the view is.
  const auto expectPageOverView = [&](const char* when) {
    QWindow* page = view->logo()->engine()->windowHandle();
    const QRect place(view->logo()->mapTo(view->window(), QPoint(0, 0)), view->logo()->size());
    EXPECT_TRUE(test::WaitFor([&] { return page->isVisible() && page->geometry() == place; }, 3000))
        << when << ": page at " << page->geometry().x() << "," << page->geometry().y() << " "
        << page->geometry().width() << "x" << page->geometry().height() << ", view at " << place.x() << ","
        << place.y() << " " << place.width() << "x" << place.height();
  };

  // The idle page.
  bool loaded = false;
  QObject::connect(view->logo(), &WebView::loadFinished, [&](bool ok) { loaded = ok; });
  view->setLogoPage(player->logoPage());
  ASSERT_TRUE(test::WaitFor([&] { return loaded; }, 60000)) << "logo page did not load";
  test::Spin(1500);
  // From the screen: the page is a window of its own over the view, which a
  // grab of the view's widgets does not see.
  ASSERT_NE(view->logo()->engine(), nullptr);
  ASSERT_NE(view->logo()->engine()->windowHandle(), nullptr);
  EXPECT_EQ(view->logo()->engine()->windowHandle()->parent(), view->window()->windowHandle())
      << "the page is embedded in the player's window";
  expectPageOverView("first shown");
  const QPoint at = view->mapToGlobal(QPoint(0, 0));
  QImage logo = view->screen()->grabWindow(0, at.x(), at.y(), view->width(), view->height()).toImage();
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
  test::ColourStats(playing, lit, colours);
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
  test::ColourStats(full, lit, colours);
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

  // Resized while the idle page is hidden under the video, then back to
  // it: the page's own window comes back at the view's new place and size.
  view->window()->resize(view->window()->size() + QSize(120, 80));
  test::Spin(200);
  host.StopPlayer();
  EXPECT_EQ(view->mode(), PlayerView::Mode::Logo);
  EXPECT_EQ(host.QueryState(2), 0);
  expectPageOverView("after playing and a resize");
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
