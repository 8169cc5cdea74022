// A viewer who opens a playlist by its URL: the demo service's line-up as
// M3U with its XMLTV guide. Channels listed in their groups, the guide's
// programmes at the viewer's local times, a channel that plays, a restart
// with the provider down that still lists the channels from the cache, and
// provider faults that say what failed and recover.
#include <fstream>
#include <sstream>
#include <thread>

#include "e2e/Command.h"
#include "e2e/EndToEnd.h"
#include "platform/ModulePath.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

// A zone with a half-hour offset: a time shown in the wrong zone is wrong
// by hours and minutes both.
const std::map<std::string, std::string> kZone = {{"TZ", "Asia/Kolkata"}};

// The last "guide-list-filled" trace line of a list: "ROWS ID TEXT".
std::string lastFill(const std::string& trace, const std::string& list) {
  std::istringstream lines(trace);
  std::string line, found;
  const std::string prefix = "guide-list-filled ";
  while (std::getline(lines, line)) {
    if (line.rfind(prefix, 0) != 0) continue;
    const size_t afterTime = line.find(' ', prefix.size());
    if (afterTime == std::string::npos) continue;
    const std::string rest = line.substr(afterTime + 1);
    if (rest.rfind(list + " ", 0) == 0) found = rest.substr(list.size() + 1);
  }
  return found;
}

class PlaylistEndToEnd : public EndToEnd {
 protected:
  std::string playlistUrl() { return demo().base() + "/playlist.m3u"; }
  PlayerProcess& startWithPlaylist() {
    std::map<std::string, std::string> env = kZone;
    env["TEMBRA_STARTUP_TRACE"] = stateFile("trace");
    return startPlayer(env, {playlistUrl()});
  }
  std::string trace() { return readAll(stateFile("trace")); }
};

TEST_F(PlaylistEndToEnd, OpensByUrlShowsTheGuideInLocalTimePlaysAndStartsFromTheCacheWithTheProviderDown) {
  ASSERT_TRUE(startDemo());
  startWithPlaylist();
  ASSERT_FALSE(waitForMainWindow().empty());
  const WindowPlaces at = places();
  QImage listed;
  ASSERT_TRUE(waitForChannelRows("playlist-channels", at, 15000, &listed));
  EXPECT_TRUE(waitForGuideRows("playlist-now-playing", at.guideList(), 30000))
      << "the XMLTV guide fills the now-playing list";

  // The first now-playing row against the client's own loader, run as a
  // tool in the same zone: the same programme at the same local time.
  std::string row;
  ASSERT_TRUE([&] {
    for (int i = 0; i < 200 && row.empty(); ++i, std::this_thread::sleep_for(100ms)) row = lastFill(trace(), "playinglist");
    return !row.empty();
  }()) << trace();
  std::istringstream fields(row);
  std::string rows, id, name;
  fields >> rows >> id;
  const CommandResult epg = runCommand({ModulePath::record() + "tembra-tool", "epg", demo().base() + "/epg.xml.gz",
                                        "--playlist", playlistUrl()},
                                       kZone, 60000);
  ASSERT_TRUE(epg.ok()) << epg.describe();
  const std::string key = "\"" + id + "\": {\"start\": \"";
  const size_t now = epg.out.find(key, epg.out.find("\"now\""));
  ASSERT_NE(now, std::string::npos) << id << "\n" << epg.out.substr(0, 2000);
  const std::string start = epg.out.substr(now + key.size() + 11, 5);  // "HH:MM" of "YYYY-MM-DD HH:MM:SS"
  const size_t titleAt = epg.out.find("\"title\": \"", now) + 10;
  const std::string title = epg.out.substr(titleAt, epg.out.find('"', titleAt) - titleAt);
  EXPECT_NE(row.find(" " + start + " " + title), std::string::npos)
      << "window: " << row << "\ntool: " << start << " " << title;

  // A channel's days: a single click opens them, the programme on now marked.
  ASSERT_TRUE(click(at.channelRow(0)));
  EXPECT_TRUE(waitForGuideRows("playlist-day", at.dayList(), 15000));

  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  EXPECT_TRUE(waitForNewPicture("playlist-playing", listed, at.video(), 20000))
      << "the playlist's stream address plays";
  checkEventLoop("opening a playlist and playing from it");
  closeBySigterm();

  stopDemo();
  startWithPlaylist();
  ASSERT_FALSE(waitForMainWindow().empty());
  EXPECT_TRUE(waitForScreen("playlist-from-cache", [&](const QImage& s) { return channelRowsShown(s, places()); }, 15000))
      << "the provider is down: the cached playlist lists the channels";
  EXPECT_TRUE(waitForScreen("playlist-cached-guide", [&](const QImage& s) { return guideRowsShown(s, places().guideList()); },
                            20000))
      << "and the cached guide fills the now-playing list";
  checkEventLoop("a start from the cache with the provider down");
  closeBySigterm();
}

TEST_F(PlaylistEndToEnd, ProviderFaultsSayWhatFailedAndRecover) {
  ASSERT_TRUE(startDemo({"--playlist-404", "--epg-404"}));
  startWithPlaylist();
  ASSERT_FALSE(waitForMainWindow().empty());
  const WindowPlaces at = places();
  EXPECT_TRUE(waitForScreen("playlist-404", [&](const QImage& s) { return waitingPanelShown(s, at.listWaitingPanel()); },
                            15000))
      << "no channels: the waiting panel with its reason";
  const std::string log = player().log();
  // The fault goes; the count-down's own retry brings the channels and then
  // the guide (its first try failed too).
  ASSERT_TRUE(setFaults("playlist-404=0&epg-404=0"));
  EXPECT_TRUE(waitForChannelRows("playlist-recovered", at, 30000));
  EXPECT_TRUE(waitForGuideRows("playlist-guide-recovered", at.guideList(), 40000));
  checkEventLoop("a playlist and guide that fail, then come back");
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
