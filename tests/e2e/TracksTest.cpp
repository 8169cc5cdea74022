// Watching in comfort: the right-click menu on the video switches the
// audio track of a stream that has two, and the channel keys zap from the
// channel list as from the video.
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "e2e/Command.h"
#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

class TracksEndToEnd : public EndToEnd {
 protected:
  // Waits until the program's log (TEMBRA_PLAYER_TRACE) holds a match.
  bool waitForLog(const std::string& pattern, int timeoutMs) {
    const std::regex re(pattern);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
      const std::string log = player().log();
      if (std::regex_search(log, re)) return true;
      std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
  }
  // The start-up trace's "channel-list-filled N": the short list of the
  // playlist does not fill the list's height as the screenshot check wants.
  bool waitForListFilled(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
      std::ifstream in(stateFile("trace"));
      std::stringstream text;
      text << in.rdbuf();
      if (text.str().find("channel-list-filled") != std::string::npos) return true;
      std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
  }
  size_t count(const std::string& text) {
    const std::string log = player().log();
    size_t n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }
  // xdotool straight to the display: keys go to whatever holds the
  // keyboard (an open menu grabs it).
  bool xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return runCommand(args, {{"DISPLAY", x().display()}}, 10000).ok();
  }
  std::string menuWindow(const std::string& main) {
    for (int i = 0; i < 60; ++i, std::this_thread::sleep_for(50ms))
      for (const auto& w : x().windowsOf(player().pid()))
        if (w != main) return w;
    return {};
  }
};

TEST_F(TracksEndToEnd, TheVideoMenuSwitchesToTheSecondAudioTrackAndPageDownZapsFromTheList) {
  ASSERT_TRUE(startDemo());
  if (findProgram("ffmpeg").empty()) GTEST_SKIP() << "no ffmpeg: the demo has no streams";
  startPlayer({{"TEMBRA_PLAYER_TRACE", "1"}, {"TEMBRA_STARTUP_TRACE", stateFile("trace")}},
              {demo().base() + "/tracks.m3u"});
  const std::string window = waitForMainWindow();
  ASSERT_FALSE(window.empty());
  const WindowPlaces at = places();
  ASSERT_TRUE(waitForListFilled(20000));
  shot("list");

  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  // Video, two audio tracks and a subtitle; the first audio track plays,
  // no subtitle until one is chosen.
  ASSERT_TRUE(waitForLog(R"(player-tracks audio=1 subtitle=0 tracks=4)", 60000)) << player().log();
  EXPECT_TRUE(waitForPicture("playing", at.video(), 20000));

  const int cx = (at.video().left + at.video().right) / 2, cy = (at.video().top + at.video().bottom) / 2;
  ASSERT_TRUE(xdotool({"mousemove", "--sync", std::to_string(cx), std::to_string(cy), "click", "3"}));
  const std::string menu = menuWindow(window);
  ASSERT_FALSE(menu.empty()) << "a right-click opens the menu";
  // The first item (Audio) and its submenu with the two tracks.
  ASSERT_TRUE(xdotool({"key", "--delay", "150", "Down", "Right"}));
  std::this_thread::sleep_for(600ms);
  const QImage open = shot("audio-menu");
  // The window with its menus, as the README shows them.
  open.copy(at.window().left, at.window().top, at.window().width(), at.window().height())
      .save(QString::fromStdString(shotFolder() + "/window-audio-menu.png"));
  ASSERT_TRUE(xdotool({"key", "--delay", "150", "Down", "Return"}));
  EXPECT_TRUE(waitForLog(R"(player-tracks audio=2 subtitle=0)", 10000)) << "the German track plays\n" << player().log();

  // The subtitle the same way: Subtitles is the second item, its tracks
  // after "Off". (A move to where the pointer is already would never end.)
  ASSERT_TRUE(xdotool({"mousemove", "--sync", std::to_string(cx + 20), std::to_string(cy + 20), "click", "3"}));
  ASSERT_FALSE(menuWindow(window).empty());
  ASSERT_TRUE(xdotool({"key", "--delay", "150", "Down", "Down", "Right", "Down", "Return"}));
  // (Without a sound card mpv may give up the audio track it could not
  // open, so only the subtitle is looked at here.)
  EXPECT_TRUE(waitForLog(R"(player-tracks audio=\d+ subtitle=1)", 10000)) << player().log();

  // A click on a row gives the channel list the keys; Page Down there
  // plays the next channel instead of paging the list.
  const size_t loadsBefore = count("player-load ");
  ASSERT_TRUE(click(at.channelRow(0)));
  std::this_thread::sleep_for(400ms);
  ASSERT_TRUE(x().key(window, "Next"));
  EXPECT_TRUE(waitForLog(R"(player-load \S+/stream/\S+ name=)", 10000)) << player().log();
  EXPECT_EQ(count("player-load "), loadsBefore + 1);
  checkEventLoop("with the video menu");
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
