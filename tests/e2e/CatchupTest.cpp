// A viewer of the demo playlist with its archive: a past programme played
// from the day list and left for live with the Live button, live TV paused
// and resumed behind live, and ten seconds recorded to a file that plays.
#include <mpv/client.h>

#include <clocale>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "e2e/Command.h"
#include "e2e/EndToEnd.h"
#include "mainwnd/WindowState.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

// The details of the trace's lines named `name` ("NAME MICROSECONDS DETAIL"), in order.
std::vector<std::string> details(const std::string& trace, const std::string& name) {
  std::vector<std::string> out;
  std::istringstream lines(trace);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(name + " ", 0) != 0) continue;
    const size_t afterTime = line.find(' ', name.size() + 1);
    out.push_back(afterTime == std::string::npos ? std::string() : line.substr(afterTime + 1));
  }
  return out;
}

// Plays a file headless with libmpv: its length in seconds, or -1 when it
// does not open.
double playableSeconds(const std::string& file) {
  std::setlocale(LC_NUMERIC, "C");
  mpv_handle* mpv = mpv_create();
  if (mpv == nullptr) return -1;
  for (auto [name, value] : {std::pair{"vo", "null"}, {"ao", "null"}, {"config", "no"}, {"terminal", "no"}})
    mpv_set_option_string(mpv, name, value);
  double seconds = -1;
  if (mpv_initialize(mpv) >= 0) {
    const char* args[] = {"loadfile", file.c_str(), nullptr};
    mpv_command(mpv, args);
    for (int i = 0; i < 200; ++i) {
      mpv_event* e = mpv_wait_event(mpv, 0.1);
      if (e->event_id == MPV_EVENT_END_FILE) break;
      if (e->event_id == MPV_EVENT_PLAYBACK_RESTART) {
        mpv_get_property(mpv, "duration", MPV_FORMAT_DOUBLE, &seconds);
        break;
      }
    }
  }
  mpv_terminate_destroy(mpv);
  return seconds;
}

// Pixels of the record mark's red in a rectangle of a screenshot.
int redPixels(const QImage& screen, const PixelRect& r) {
  int red = 0;
  for (int y = std::max(0, r.top); y < std::min(screen.height(), r.bottom); ++y)
    for (int x = std::max(0, r.left); x < std::min(screen.width(), r.right); ++x) {
      const QColor c = screen.pixelColor(x, y);
      red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
    }
  return red;
}

class CatchupEndToEnd : public EndToEnd {
 protected:
  // playerTrace: the player's log names each address it opens.
  void startWithPlaylist(const std::string& channels = "24", bool playerTrace = false) {
    ASSERT_TRUE(startDemo({"--groups", "1", "--channels-per-group", channels, "--programmes-per-day", "48"}));
    std::map<std::string, std::string> env{{"TEMBRA_STARTUP_TRACE", stateFile("trace")}};
    if (playerTrace) env["TEMBRA_PLAYER_TRACE"] = "1";
    startPlayer(env, {demo().base() + "/playlist.m3u"});
    ASSERT_FALSE(waitForMainWindow().empty());
    at_ = std::make_unique<WindowPlaces>(places());
    ASSERT_TRUE(waitForScreen("catchup-channels", [&](const QImage& s) { return channelRowsShown(s, *at_); }, 15000));
  }
  std::string trace() { return readAll(stateFile("trace")); }
  // Waits until the trace has a line `name` whose detail passes `ok`; that detail.
  std::optional<std::string> waitTrace(const std::string& name, const std::function<bool(const std::string&)>& ok,
                                       int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100, std::this_thread::sleep_for(100ms))
      for (const std::string& d : details(trace(), name))
        if (ok(d)) return d;
    return std::nullopt;
  }
  bool key(const std::string& keys) { return x().key(window_, keys); }
  void playFirstChannel() {
    window_ = x().waitForWindow(kTitle, 1000);
    ASSERT_TRUE(doubleClick(at_->channelRow(0)));
    ASSERT_TRUE(waitForScreen("catchup-live", [&](const QImage& s) { return pictureShown(s, at_->video()); }, 20000));
  }
  int lastBehind() {
    const std::vector<std::string> b = details(trace(), "timeshift-behind");
    return b.empty() ? -1 : std::stoi(b.back());
  }

  bool rightClick(const Point& p) {
    return runCommand({"xdotool", "mousemove", "--sync", std::to_string(p.x), std::to_string(p.y), "click", "3"},
                      {{"DISPLAY", x().display()}})
        .ok();
  }
  bool waitForLog(const std::string& pattern, int timeoutMs) {
    const std::regex re(pattern);
    for (int waited = 0; waited < timeoutMs; waited += 100, std::this_thread::sleep_for(100ms))
      if (std::regex_search(player().log(), re)) return true;
    return false;
  }

  std::unique_ptr<WindowPlaces> at_;
  std::string window_;
};

TEST_F(CatchupEndToEnd, PlaysAPastProgrammeFromTheDayListAndGoesBackToLive) {
  ASSERT_NO_FATAL_FAILURE(startWithPlaylist());
  window_ = x().waitForWindow(kTitle, 1000);
  // One click on the first channel (catch-up "default") shows its day.
  ASSERT_TRUE(click(at_->channelRow(0)));
  ASSERT_TRUE(waitTrace("guide-list-filled", [](const std::string& d) { return d.rfind("firstdaylist ", 0) == 0; }, 30000))
      << trace();
  const PixelRect day = at_->dayList();
  const int rowHeight = WindowState{}.rowHeightLimit;
  // The list shows the programme on now in view, with those before it
  // above: the top row in view is over, within the archive.
  const Point first{(day.left + day.right) / 2, day.top + 4 + rowHeight / 2};
  std::this_thread::sleep_for(500ms);
  shot("catchup-day-list");
  ASSERT_TRUE(doubleClick(first));
  const std::optional<std::string> archive =
      waitTrace("archive-playing", [](const std::string& d) { return d.rfind("0 ", 0) == 0; }, 10000);
  ASSERT_TRUE(archive) << "a double click plays the past programme\n" << trace();
  std::istringstream fields(*archive);
  std::string channel;
  long long start = 0;
  fields >> channel >> start;
  EXPECT_LT(start, static_cast<long long>(std::time(nullptr))) << "a programme that has begun: " << *archive;
  EXPECT_TRUE(waitForScreen("catchup-archive", [&](const QImage& s) { return pictureShown(s, at_->video()); }, 20000))
      << "the archive's picture";
  std::optional<std::string> live = waitTrace("transport-live-at", [](const std::string& d) { return d != "-1 -1"; }, 10000);
  ASSERT_TRUE(live) << "the bar with its Live button is up\n" << trace();
  std::this_thread::sleep_for(1500ms);  // the bar has settled
  shot("catchup-archive-bar");
  live = details(trace(), "transport-live-at").back();
  std::istringstream xy(*live);
  int lx = 0, ly = 0;
  xy >> lx >> ly;
  ASSERT_TRUE(click(Point{at_->window().left + lx, at_->window().top + ly}));
  EXPECT_TRUE(waitTrace("live-again", [](const std::string& d) { return d == "0"; }, 10000))
      << "the Live button plays the channel again\n" << trace();
  EXPECT_TRUE(waitForScreen("catchup-back-live", [&](const QImage& s) { return pictureShown(s, at_->video()); }, 20000));
  checkEventLoop("playing from the archive and back to live");
  closeBySigterm();
}

TEST_F(CatchupEndToEnd, PausedLiveTvResumesBehindLive) {
  ASSERT_NO_FATAL_FAILURE(startWithPlaylist());
  ASSERT_NO_FATAL_FAILURE(playFirstChannel());
  std::this_thread::sleep_for(12s);  // received and kept: something to go back into
  ASSERT_TRUE(key("space"));
  std::this_thread::sleep_for(5s);
  EXPECT_TRUE(waitTrace("timeshift-behind", [](const std::string& d) { return std::stoi(d) >= 3; }, 5000))
      << "a pause of five seconds leaves the picture behind live\n" << trace();
  shot("timeshift-paused");
  ASSERT_TRUE(key("space"));
  std::this_thread::sleep_for(3s);
  EXPECT_GE(lastBehind(), 3) << "play goes on from where it paused\n" << trace();
  shot("timeshift-behind");
  // Read before the key: the program may have traced its seek by the
  // time the key tool returns.
  const int before = lastBehind();
  ASSERT_TRUE(key("Left"));
  EXPECT_TRUE(waitTrace("timeshift-behind", [&](const std::string& d) { return std::stoi(d) >= before + 9; }, 5000))
      << "Left goes ten seconds further back\n" << trace();
  checkEventLoop("pausing live TV");
  closeBySigterm();
}

TEST_F(CatchupEndToEnd, RecordsTenSecondsToAFileThatPlays) {
  ASSERT_NO_FATAL_FAILURE(startWithPlaylist());
  ASSERT_NO_FATAL_FAILURE(playFirstChannel());
  ASSERT_TRUE(key("r"));
  const std::optional<std::string> started = waitTrace("recording-started", [](const std::string&) { return true; }, 5000);
  ASSERT_TRUE(started) << trace();
  EXPECT_EQ(started->rfind(folders().home + "/Videos/Tembra Player/", 0), 0u) << *started;
  EXPECT_NE(started->find(" - "), std::string::npos);
  std::this_thread::sleep_for(10s);
  shot("recording");
  ASSERT_TRUE(key("r"));
  const std::optional<std::string> stopped = waitTrace("recording-stopped", [](const std::string&) { return true; }, 5000);
  ASSERT_TRUE(stopped) << trace();
  EXPECT_EQ(*stopped, *started);
  std::this_thread::sleep_for(1s);  // the player closes the file
  ASSERT_TRUE(std::filesystem::exists(*stopped));
  EXPECT_GT(std::filesystem::file_size(*stopped), 100000u);
  EXPECT_GT(playableSeconds(*stopped), 6) << "about ten seconds that play";
  checkEventLoop("recording a channel");
  closeBySigterm();
}

TEST_F(CatchupEndToEnd, RecordsAProgrammeToComeFromTheRowMenuAndPlaysAFlussonicArchive) {
  // Thirty channels: the last one's archive is in the flussonic mode.
  ASSERT_NO_FATAL_FAILURE(startWithPlaylist("30", true));
  // The program knows a playlist's channels by their places; the address
  // names the service's own id.
  std::istringstream m3u(demo().Get("/playlist.m3u").body);
  std::string line, id, stream;
  for (int place = -1; std::getline(m3u, line);) {
    if (line.rfind("#EXTINF", 0) == 0) {
      ++place;
      if (line.find("catchup=\"flussonic\"") != std::string::npos) id = std::to_string(place);
    } else if (!id.empty() && stream.empty()) {
      const std::smatch m = [&] {
        std::smatch found;
        std::regex_search(line, found, std::regex(R"(/fs/(\d+)/mpegts$)"));
        return found;
      }();
      ASSERT_FALSE(m.empty()) << line;
      stream = m[1];
    }
  }
  ASSERT_EQ(id, "29");
  window_ = x().waitForWindow(kTitle, 1000);
  ASSERT_TRUE(click(at_->channelRow(0)));
  ASSERT_TRUE(waitTrace("guide-list-filled", [](const std::string& d) { return d.rfind("firstdaylist ", 0) == 0; }, 30000))
      << trace();
  // The channel before the first is the last one: it plays, its days show.
  ASSERT_TRUE(key("Prior"));
  ASSERT_TRUE(waitTrace("guide-list-filled", [&](const std::string& d) { return std::regex_search(d, std::regex("^firstdaylist \\d+ " + id + " ")); },
                        30000))
      << trace();
  EXPECT_TRUE(waitForLog("player-load \\S+/fs/" + stream + "/mpegts name=", 10000)) << player().log();
  const PixelRect day = at_->dayList();
  const int rowHeight = WindowState{}.rowHeightLimit;
  const Point top{(day.left + day.right) / 2, day.top + 4 + rowHeight / 2};
  const PixelRect topRow{day.left, day.top + 2, day.right, day.top + 4 + rowHeight};
  std::this_thread::sleep_for(500ms);

  // A past programme of it from its archive, at the programme's start.
  ASSERT_TRUE(doubleClick(top));
  const std::optional<std::string> archive =
      waitTrace("archive-playing", [&](const std::string& d) { return d.rfind(id + " ", 0) == 0; }, 10000);
  ASSERT_TRUE(archive) << trace();
  const std::string start = archive->substr(id.size() + 1, archive->find(' ', id.size() + 1) - id.size() - 1);
  EXPECT_TRUE(waitForLog("player-load \\S+/fs/" + stream + "/timeshift_abs-" + start + "\\.ts name=", 10000))
      << player().log();
  QImage first;
  ASSERT_TRUE(waitForScreen("flussonic-archive", [&](const QImage& s) { return pictureShown(s, at_->video()); }, 20000,
                            &first));
  // The test picture moves in a corner of it only.
  EXPECT_TRUE(waitForScreen("flussonic-archive-later",
                            [&](const QImage& s) { return changedShare(first, s, at_->video()) > 0.002; }, 10000))
      << "the archive's picture moves";

  // Tomorrow's first programme: recorded from its row menu, and marked.
  ASSERT_TRUE(click(at_->dayOption(1)));
  ASSERT_TRUE(waitTrace("guide-list-filled", [&](const std::string& d) { return d.rfind("seconddaylist ", 0) == 0; },
                        30000))
      << trace();
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(redPixels(shot("record-before"), topRow), 0) << "nothing marked yet";
  ASSERT_TRUE(rightClick(top));
  std::this_thread::sleep_for(700ms);
  shot("record-menu");
  // Play, Show details, Record: walked to by the menu's own keys (with no
  // menu up they would move the list's selection and schedule nothing).
  ASSERT_TRUE(x().key(window_, "Down Down Down Return"));
  const std::optional<std::string> scheduled =
      waitTrace("recording-scheduled", [&](const std::string& d) { return d.rfind(id + " ", 0) == 0; }, 5000);
  ASSERT_TRUE(scheduled) << "\"Record\" schedules it\n" << trace();
  EXPECT_GT(std::stoll(scheduled->substr(id.size() + 1)), static_cast<long long>(std::time(nullptr)));
  EXPECT_TRUE(waitForScreen("record-marked", [&](const QImage& s) { return redPixels(s, topRow) >= 20; }, 5000))
      << "the row carries the record mark";
  const std::string list = readAll(folders().home + "/.config/tembra/recordings.list");
  EXPECT_NE(list.find(scheduled->substr(id.size() + 1) + "\t"), std::string::npos) << list;

  // Its menu now cancels it, and the mark goes.
  ASSERT_TRUE(rightClick(top));
  std::this_thread::sleep_for(700ms);
  shot("record-cancel-menu");
  ASSERT_TRUE(x().key(window_, "Down Down Down Return"));
  EXPECT_TRUE(waitTrace("recording-unscheduled", [&](const std::string& d) { return d == *scheduled; }, 5000)) << trace();
  EXPECT_TRUE(waitForScreen("record-unmarked", [&](const QImage& s) { return redPixels(s, topRow) == 0; }, 5000));
  checkEventLoop("scheduling a recording and playing a flussonic archive");
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
