// A viewer who finds channels without scrolling, on the demo service's
// line-up opened as a playlist: a typed search and Enter, F on the row
// played, a number typed over the video, the row menu's "Copy stream
// address", and after a restart the last channel playing again and the
// favourite in "Favourites".
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "e2e/Command.h"
#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

struct ListedChannel {
  std::string name;
  std::string address;
};

// The playlist's channels in order: the program's id of each is its place
// (from 0), its number the place from 1.
std::vector<ListedChannel> channelsOf(const std::string& m3u) {
  std::vector<ListedChannel> out;
  std::istringstream lines(m3u);
  std::string line, name;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("#EXTINF", 0) == 0) {
      name = line.substr(line.rfind(',') + 1);
    } else if (!line.empty() && line[0] != '#' && !name.empty()) {
      out.push_back({name, line});
      name.clear();
    }
  }
  return out;
}

bool plainName(const std::string& name) {
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ') return false;
  return true;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// xdotool key names for a text of letters, digits and spaces.
std::string keysFor(const std::string& text) {
  std::string keys;
  for (char c : lower(text)) keys += (c == ' ' ? std::string("space") : std::string(1, c)) + " ";
  return keys;
}

class Finding : public EndToEnd {
 protected:
  PlayerProcess& start() {
    return startPlayer({{"TEMBRA_STARTUP_TRACE", stateFile("trace")}}, {demo().base() + "/playlist.m3u"});
  }
  // The channels handed to the player so far, by id, in order.
  std::vector<std::string> played() {
    std::vector<std::string> ids;
    std::istringstream lines(readAll(stateFile("trace")));
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("channel-played ", 0) != 0) continue;
      const size_t id = line.find(' ', sizeof "channel-played");
      if (id != std::string::npos) ids.push_back(line.substr(id + 1));
    }
    return ids;
  }
  bool waitForPlayed(const std::string& id, size_t count, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
      const std::vector<std::string> got = played();
      if (got.size() >= count && got.back() == id) return true;
      std::this_thread::sleep_for(100ms);
    }
    return false;
  }
  std::string joined() {
    std::string s;
    for (const auto& id : played()) s += id + " ";
    return s;
  }
  // The group selector (the skin's flow puts it at the panel's top left)
  // and a row of its open drop-down.
  Point selector(const WindowPlaces& at) { return {at.channelList().left + 50, at.window().top + 25 + 15}; }
  Point dropDownRow(const WindowPlaces& at, int row) {
    return {at.channelList().left + 40, at.window().top + 25 + 27 + 29 * row + 14};
  }
  bool rightClick(const Point& p) {
    return runCommand({"xdotool", "mousemove", "--sync", std::to_string(p.x), std::to_string(p.y), "click", "3"},
                      {{"DISPLAY", x().display()}})
        .ok();
  }
};

TEST_F(Finding, SearchFavouritesNumbersAndTheRowMenuAcrossARestart) {
  ASSERT_TRUE(startDemo({"--groups", "6", "--channels-per-group", "30"}));
  const DemoService::Reply m3u = demo().Get("/playlist.m3u");
  ASSERT_EQ(m3u.status, 200);
  const std::vector<ListedChannel> channels = channelsOf(m3u.body);
  ASSERT_GE(channels.size(), 100u);
  // A channel whose name no other one contains, typed in full, deep in the
  // list (far below the rows on show).
  size_t target = channels.size();
  for (size_t i = channels.size() * 2 / 3; i < channels.size() && target == channels.size(); ++i) {
    if (!plainName(channels[i].name)) continue;
    bool alone = true;
    for (size_t j = 0; j < channels.size() && alone; ++j)
      alone = j == i || lower(channels[j].name).find(lower(channels[i].name)) == std::string::npos;
    if (alone) target = i;
  }
  ASSERT_LT(target, channels.size()) << "the demo has a channel with a name of its own";
  const std::string targetId = std::to_string(target);
  const size_t numbered = channels.size() / 2 + 7;  // its number: numbered + 1

  start();
  const std::string window = waitForMainWindow();
  ASSERT_FALSE(window.empty());
  const WindowPlaces at = places();
  ASSERT_TRUE(waitForChannelRows("finding-start", at, 15000));

  // Typed over the window: the search field takes the letters, Enter plays.
  ASSERT_TRUE(x().key(window, keysFor(channels[target].name)));
  std::this_thread::sleep_for(500ms);
  shot("finding-search");
  ASSERT_TRUE(x().key(window, "Return"));
  ASSERT_TRUE(waitForPlayed(targetId, 1, 15000)) << channels[target].name << ": " << joined();
  EXPECT_TRUE(waitForPicture("finding-playing", at.video(), 20000));

  // F on the row played (the list has the keys after Enter).
  ASSERT_TRUE(x().key(window, "f"));
  const std::string kept = folders().home + "/.config/tembra/favourites-1.ini";
  for (int i = 0; i < 50 && readAll(kept).find("channel=" + targetId + "\t") == std::string::npos; ++i)
    std::this_thread::sleep_for(100ms);
  EXPECT_NE(readAll(kept).find("[favourites]\nchannel=" + targetId + "\t"), std::string::npos) << readAll(kept);
  struct stat info {};
  ASSERT_EQ(::stat(kept.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // The row menu: "Copy stream address" of the match.
  ASSERT_TRUE(rightClick(at.channelRow(0)));
  std::this_thread::sleep_for(700ms);
  shot("finding-menu");
  if (!findProgram("xclip").empty()) {
    ASSERT_TRUE(x().key(window, "c"));
    std::this_thread::sleep_for(500ms);
    const CommandResult clip = runCommand({"xclip", "-o", "-selection", "clipboard"}, {{"DISPLAY", x().display()}}, 5000);
    EXPECT_EQ(clip.out, channels[target].address) << clip.describe();
  } else {
    // Without a clipboard tool the menu is checked through its Play.
    ASSERT_TRUE(x().key(window, "p"));
    EXPECT_TRUE(waitForPlayed(targetId, 2, 10000)) << joined();
  }

  // A number typed over the video: shown, then played 1.5 s later.
  ASSERT_TRUE(clickVideo(at));
  std::this_thread::sleep_for(300ms);
  const size_t before = played().size();
  ASSERT_TRUE(x().key(window, keysFor(std::to_string(numbered + 1))));
  shot("finding-digits");
  ASSERT_TRUE(waitForPlayed(std::to_string(numbered), before + 1, 10000)) << joined();
  std::this_thread::sleep_for(1500ms);  // the recent channels are written a second after a change
  checkEventLoop("while searching, keeping favourites and typing numbers");
  closeBySigterm();

  // Again: the last channel plays at start; "Favourites" holds the one kept.
  const size_t playedBefore = played().size();
  start();
  ASSERT_FALSE(waitForMainWindow().empty());
  ASSERT_TRUE(waitForChannelRows("finding-restart", at, 15000));
  EXPECT_TRUE(waitForPlayed(std::to_string(numbered), playedBefore + 1, 15000)) << "resumed: " << joined();
  ASSERT_TRUE(click(selector(at)));
  std::this_thread::sleep_for(500ms);
  shot("finding-groups");
  ASSERT_TRUE(click(dropDownRow(at, 1)));
  std::this_thread::sleep_for(500ms);
  shot("finding-favourites");
  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  EXPECT_TRUE(waitForPlayed(targetId, playedBefore + 2, 15000)) << "the favourite: " << joined();
  checkEventLoop("after a restart");
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
