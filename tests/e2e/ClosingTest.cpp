// The ways a run ends: the close button and SIGTERM run the close
// sequence and deliver the last records; with the collector gone the
// records wait in bi.dat and the next run sends them before its own; a
// second copy only raises the first.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "e2e/CollectorRecords.h"
#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class Closing : public EndToEnd {
 protected:
  // Starts the demo and the program and plays the first channel. The ads
  // are unpacked into the folder "Advertise" beside the advertisement
  // program's stand-in, which has a name of its own.
  void watchOneChannel() {
    PlayerProcess::PlaceStandIn(folders().program, "tembra-advertise");
    ASSERT_TRUE(startListing());
    ASSERT_TRUE(doubleClick(places().channelRow(0)));
    std::this_thread::sleep_for(3s);
  }
  bool advertiseStarted() const { return fs::exists(programFile("tembra-advertise.ran")); }
  bool adsUnpacked() const {
    return fs::is_regular_file(programFile("Advertise/Fix/index.html")) &&
           fs::is_regular_file(programFile("Advertise/Pop/index.html"));
  }
};

TEST_F(Closing, CloseButtonDeliversTheLastRecordsAndStartsTheAdProgram) {
  ASSERT_NO_FATAL_FAILURE(watchOneChannel());
  const auto deadline = std::chrono::steady_clock::now() + 15s;
  while (!adsUnpacked() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(adsUnpacked()) << "the ad refresh unpacks both packages beside the program";
  checkEventLoop("before closing");
  ASSERT_NO_FATAL_FAILURE(closeByButton());
  expectOneRun(records(), 1, true);
  EXPECT_FALSE(fs::exists(stateFile("bi.dat"))) << "everything was accepted";
  EXPECT_TRUE(x().windows(kTitle).empty());
  EXPECT_TRUE(advertiseStarted());
  EXPECT_FALSE(fs::exists(programFile("tembra-autoupdate.ran")));
}

TEST_F(Closing, SigtermRunsTheSameCloseSequence) {
  ASSERT_NO_FATAL_FAILURE(watchOneChannel());
  ASSERT_NO_FATAL_FAILURE(closeBySigterm());
  expectOneRun(records(), 1, true);
  EXPECT_FALSE(fs::exists(stateFile("bi.dat")));
  EXPECT_TRUE(advertiseStarted());
  checkEventLoop("up to SIGTERM");
}

TEST_F(Closing, DeadCollectorLeavesABacklogTheNextRunSendsFirst) {
  ASSERT_NO_FATAL_FAILURE(watchOneChannel());
  ASSERT_TRUE(waitForRecord(kStartupDone, 15000));
  stopDemo();  // the whole service, collector included, goes away
  const auto closeStarted = std::chrono::steady_clock::now();
  ASSERT_NO_FATAL_FAILURE(closeBySigterm());
  const auto closeTook = std::chrono::steady_clock::now() - closeStarted;
  std::cout << "close with the collector gone took "
            << std::chrono::duration_cast<std::chrono::milliseconds>(closeTook).count() << " ms\n";
  EXPECT_LT(closeTook, 15s) << "the wait for the last upload is bounded";

  const auto backlog = readBacklog(stateFile("bi.dat"));
  ASSERT_FALSE(backlog.empty()) << "bi.dat keeps what the collector did not take";
  EXPECT_EQ(eventCode(backlog.back()), kClose) << joinCodes(backlog);
  EXPECT_EQ(countCode(backlog, kWatched), 1) << joinCodes(backlog);
  EXPECT_EQ(countCode(backlog, kStart), 0) << "sent before the collector went: " << joinCodes(backlog);

  ASSERT_TRUE(restartDemo());
  startPlayer();
  ASSERT_FALSE(waitForMainWindow().empty());
  ASSERT_TRUE(waitForRecord(kStartupDone, 20000));
  const auto got = records();
  ASSERT_GE(got.size(), backlog.size() + 1) << joinCodes(got);
  for (size_t i = 0; i < backlog.size(); ++i) EXPECT_EQ(got[i], backlog[i]) << "record " << i << " of the backlog";
  EXPECT_EQ(eventCode(got[backlog.size()]), kStart) << "then the new run's own: " << joinCodes(got);
  EXPECT_FALSE(fs::exists(stateFile("bi.dat"))) << "the backlog is read once";
  checkEventLoop("of the run sending a backlog");
  ASSERT_NO_FATAL_FAILURE(closeBySigterm());
}

// The second copy finds the first through the runtime folder's socket, asks
// it to come forward and leaves; the first comes up from under the window
// that covered it.
TEST_F(Closing, SecondCopyRaisesTheFirstAndLeaves) {
  ASSERT_TRUE(startListing());
  const std::string window = mainWindow();
  PlayerProcess& first = player();
  const WindowPlaces at = places();
  const std::string cover = x().cover(at.window());
  ASSERT_FALSE(cover.empty());
  ASSERT_FALSE(x().above(window, cover)) << "the window starts under the cover";

  PlayerProcess& second = startPlayer();
  ASSERT_TRUE(second.waitForExit(20000)) << "the second copy leaves";
  EXPECT_TRUE(second.exitedNormally());
  EXPECT_EQ(second.exitCode(), 0) << second.log();
  EXPECT_TRUE(first.running());
  EXPECT_EQ(x().windows(kTitle).size(), 1u) << "still one window";
  bool raised = false;
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!raised && std::chrono::steady_clock::now() < deadline) {
    raised = x().above(window, cover);
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_TRUE(raised) << "the first copy's window came to the top";
  shot("raised");
  checkEventLoop("while a second copy starts", first);
}

}  // namespace
}  // namespace tembra::test
