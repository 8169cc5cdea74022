// A viewer with a provider account: the account kept in sources.ini as the
// source used last, signed in against the demo service's account, its
// channels listed, one that plays, and the account's XMLTV guide in the
// now-playing list. A refused account says so over the list and recovers.
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

class XtreamEndToEnd : public EndToEnd {
 protected:
  // The account as the sources dialog keeps it when no secret store runs.
  void keepAccount(const std::string& password) {
    const std::string folder = folders().home + "/.config/tembra";
    std::filesystem::create_directories(folder);
    std::ofstream out(folder + "/sources.ini");
    out << "[tembra]\norder=1\nlast=1\nnext=2\n\n[source.1]\nname=Demo account\nkind=xtream\nserver="
        << demo().base() << "\nuser=demo\npassword=" << password << "\n";
  }
  PlayerProcess& start() { return startPlayer({{"TEMBRA_STARTUP_TRACE", stateFile("trace")}}); }
};

TEST_F(XtreamEndToEnd, SignsInListsTheChannelsPlaysOneAndShowsTheGuide) {
  ASSERT_TRUE(startDemo({"--groups", "4", "--channels-per-group", "6"}));
  keepAccount("demo");
  start();
  ASSERT_FALSE(waitForMainWindow().empty());
  const WindowPlaces at = places();
  QImage listed;
  ASSERT_TRUE(waitForChannelRows("xtream-channels", at, 15000, &listed));
  const std::string trace = readAll(stateFile("trace"));
  EXPECT_TRUE(std::regex_search(trace, std::regex("channel-list-filled [0-9]+ 24\n")))
      << "every channel of the account\n"
      << trace;
  EXPECT_TRUE(waitForGuideRows("xtream-now-playing", at.guideList(), 30000))
      << "the account's xmltv.php fills the now-playing list";

  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  EXPECT_TRUE(waitForNewPicture("xtream-playing", listed, at.video(), 20000))
      << "the account's live/U/P/ID.ts address plays";
  checkEventLoop("signing in to an account and playing from it");
  closeBySigterm();
}

TEST_F(XtreamEndToEnd, AHundredThousandStreamsLoadWithoutHoldingTheWindow) {
  ASSERT_TRUE(startDemo({"--groups", "100", "--channels-per-group", "1000", "--epg-days", "1", "--programmes-per-day",
                         "4"}));
  keepAccount("demo");
  start();
  ASSERT_FALSE(waitForMainWindow(60000).empty());
  const WindowPlaces at = places();
  ASSERT_TRUE(waitForChannelRows("xtream-100k", at, 60000));
  const std::string trace = readAll(stateFile("trace"));
  EXPECT_TRUE(std::regex_search(trace, std::regex("channel-list-filled [0-9]+ 100000\n"))) << trace;
  checkEventLoop("loading an account of 100,000 streams");
  closeBySigterm();
}

TEST_F(XtreamEndToEnd, ARefusedAccountSaysSoAndRecovers) {
  ASSERT_TRUE(startDemo({"--fault", "xtream-refused"}));
  keepAccount("demo");
  start();
  ASSERT_FALSE(waitForMainWindow().empty());
  const WindowPlaces at = places();
  EXPECT_TRUE(waitForScreen("xtream-refused", [&](const QImage& s) { return waitingPanelShown(s, at.listWaitingPanel()); },
                            15000))
      << "no channels: the waiting panel with its reason";
  ASSERT_TRUE(setFaults("xtream-refused=0"));
  EXPECT_TRUE(waitForChannelRows("xtream-recovered", at, 30000))
      << "the count-down's retry signs in";
  checkEventLoop("a refused account that is then accepted");
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
