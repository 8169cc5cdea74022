// The program as the desktop's media player: playerctl, as a viewer's
// media keys or panel would, finds it on the session bus, reads what plays
// and drives it (next channel, pause and play, stop, volume).
#include <chrono>
#include <regex>
#include <thread>

#include "e2e/Command.h"
#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// playerctl prints an object path as GVariant text, in single quotes.
std::string unquoted(std::string s) {
  if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'') s = s.substr(1, s.size() - 2);
  return s;
}

class MprisEndToEnd : public EndToEnd {
 protected:
  CommandResult playerctl(std::vector<std::string> args) {
    args.insert(args.begin(), {"playerctl", "-p", "tembra"});
    return runCommand(args, {{"DBUS_SESSION_BUS_ADDRESS", busAddress()}}, 10000);
  }
  std::string ask(const std::vector<std::string>& args) { return trimmed(playerctl(args).out); }
  // Asks until the answer holds (or timeoutMs passes); the last answer.
  std::string askUntil(const std::vector<std::string>& args, const std::function<bool(const std::string&)>& done,
                       int timeoutMs = 15000) {
    std::string answer;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
      answer = ask(args);
      if (done(answer)) break;
      std::this_thread::sleep_for(200ms);
    } while (std::chrono::steady_clock::now() < end);
    return answer;
  }
  // The names of the channels the player was asked to play, in order
  // (TEMBRA_PLAYER_TRACE's "player-load ADDRESS name=NAME").
  std::vector<std::string> loads() {
    std::vector<std::string> names;
    static const std::regex line(R"(player-load \S+ name=([^\n]*))");
    const std::string log = player().log();
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
      names.push_back((*it)[1]);
    return names;
  }
  bool waitForLoads(size_t count, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (loads().size() < count && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(100ms);
    return loads().size() >= count;
  }
};

TEST_F(MprisEndToEnd, PlayerctlShowsTheChannelZapsPausesStopsAndSetsTheVolume) {
  if (findProgram("playerctl").empty()) GTEST_SKIP() << "playerctl is not installed (scripts/setup installs it)";
  ASSERT_TRUE(startListing({{"TEMBRA_PLAYER_TRACE", "1"}}));
  const WindowPlaces at = places();

  EXPECT_EQ(askUntil({"status"}, [](const std::string& s) { return s == "Stopped"; }), "Stopped")
      << "on the bus before anything plays: " << playerctl({"status"}).describe();
  EXPECT_EQ(unquoted(ask({"metadata", "mpris:trackid"})), "/org/mpris/MediaPlayer2/TrackList/NoTrack");

  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  ASSERT_TRUE(waitForLoads(1));
  const std::string first = loads().back();
  EXPECT_EQ(askUntil({"status"}, [](const std::string& s) { return s == "Playing"; }), "Playing");
  EXPECT_EQ(ask({"metadata", "xesam:title"}), first);
  EXPECT_FALSE(ask({"metadata", "xesam:album"}).empty()) << "the channel's group";
  EXPECT_EQ(unquoted(ask({"metadata", "mpris:trackid"})).rfind("/org/tembra/channel/", 0), 0u);
  EXPECT_FALSE(askUntil({"metadata", "xesam:artist"}, [](const std::string& s) { return !s.empty(); }).empty())
      << "the programme on now, from the guide";

  ASSERT_TRUE(playerctl({"next"}).ok());
  ASSERT_TRUE(waitForLoads(2)) << "next plays the channel after it";
  const std::string second = loads().back();
  EXPECT_NE(second, first);
  EXPECT_EQ(askUntil({"metadata", "xesam:title"}, [&](const std::string& s) { return s == second; }), second);
  ASSERT_TRUE(playerctl({"previous"}).ok());
  ASSERT_TRUE(waitForLoads(3));
  EXPECT_EQ(loads().back(), first) << "previous goes back";

  // Pause keeps the channel (nothing new is loaded); play goes on.
  ASSERT_TRUE(playerctl({"play-pause"}).ok());
  EXPECT_EQ(askUntil({"status"}, [](const std::string& s) { return s == "Paused"; }), "Paused");
  EXPECT_EQ(ask({"metadata", "xesam:title"}), first);
  ASSERT_TRUE(playerctl({"play-pause"}).ok());
  EXPECT_EQ(askUntil({"status"}, [](const std::string& s) { return s == "Playing"; }), "Playing");
  EXPECT_EQ(loads().size(), 3u);

  ASSERT_TRUE(playerctl({"stop"}).ok());
  EXPECT_EQ(askUntil({"status"}, [](const std::string& s) { return s == "Stopped"; }), "Stopped");
  ASSERT_TRUE(playerctl({"play"}).ok());
  EXPECT_EQ(askUntil({"status"}, [](const std::string& s) { return s == "Playing"; }), "Playing");
  ASSERT_TRUE(waitForLoads(4));
  EXPECT_EQ(loads().back(), first) << "play after stop starts the channel again";

  ASSERT_TRUE(playerctl({"volume", "0.35"}).ok());
  EXPECT_EQ(askUntil({"volume"}, [](const std::string& s) { return s.rfind("0.35", 0) == 0; }).substr(0, 4), "0.35");
  checkEventLoop("driven over the session bus");
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
