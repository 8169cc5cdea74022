// Service notices over UDP from the demo's own network namespace (root
// only: the responder and the program both use port 36000): the forced
// upgrade's dialog, and a notice's balloon through the test tray host.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "e2e/CollectorRecords.h"
#include "e2e/EndToEnd.h"
#include "platform/ModulePath.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The size="W,H" of a layout file of the built skin.
std::pair<int, int> skinSize(const std::string& layout) {
  std::ifstream in(ModulePath::record() + "skin/Default/" + layout);
  std::stringstream text;
  text << in.rdbuf();
  std::smatch m;
  const std::string s = text.str();
  if (!std::regex_search(s, m, std::regex("<Window size=\"([0-9]+),([0-9]+)\""))) return {0, 0};
  return {std::stoi(m[1]), std::stoi(m[2])};
}

class Notice : public EndToEnd {
 protected:
  void SetUp() override {
    if (::geteuid() != 0)
      GTEST_SKIP() << "the notice responder needs its own network namespace, which needs root";
    EndToEnd::SetUp();
  }
  // A mapped window of the program other than the main window.
  std::string dialog(const std::string& mainWindow, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
      for (const auto& w : x().windowsOf(player().pid()))
        if (w != mainWindow) return w;
      std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return {};
  }
};

// "Upgrade now": the updater starts, the run ends, and the advertisement
// program does not start (the updater took over).
TEST_F(Notice, ForcedUpgradeShowsTheDialogAndUpgradeHandsOver) {
  PlayerProcess::PlaceStandIn(folders().program, "tembra-advertise");
  ASSERT_TRUE(startDemo({"--forced-upgrade"}, true));
  startPlayer();
  const std::string window = waitForMainWindow();
  ASSERT_FALSE(window.empty());
  const std::string box = dialog(window, 20000);
  ASSERT_FALSE(box.empty()) << "the forced-upgrade dialog";
  const PixelRect r = x().geometry(box);
  EXPECT_EQ(std::make_pair(r.width(), r.height()), skinSize("ForcedUpgradeSkin.xml"));
  // Centred over the main window.
  const PixelRect main = x().geometry(window);
  EXPECT_LE(std::abs((r.left + r.right) - (main.left + main.right)), 2);
  EXPECT_LE(std::abs((r.top + r.bottom) - (main.top + main.bottom)), 2);
  shot("forced-upgrade");
  // "upgradebtn": 132 wide, 20 in from the right, in the 32 high row 18
  // above the bottom.
  ASSERT_TRUE(x().click(r.right - 20 - 66, r.bottom - 18 - 16));
  ASSERT_TRUE(player().waitForExit(20000)) << "the run ends";
  EXPECT_EQ(player().exitCode(), 0);
  EXPECT_TRUE(fs::exists(programFile("tembra-autoupdate.ran"))) << "the updater was started";
  EXPECT_FALSE(fs::exists(programFile("tembra-advertise.ran"))) << "not after handing over to the updater";
  const auto got = records();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(eventCode(got.back()), kClose) << joinCodes(got);
  checkEventLoop("with the forced-upgrade dialog");
}

// "Quit" ends the run as well, without the updater.
TEST_F(Notice, ForcedUpgradeQuitEndsTheRun) {
  ASSERT_TRUE(startDemo({"--forced-upgrade"}, true));
  startPlayer();
  const std::string window = waitForMainWindow();
  ASSERT_FALSE(window.empty());
  const std::string box = dialog(window, 20000);
  ASSERT_FALSE(box.empty()) << "the forced-upgrade dialog";
  const PixelRect r = x().geometry(box);
  // "closebtn": 96 wide, 10 left of the upgrade button.
  ASSERT_TRUE(x().click(r.right - 20 - 132 - 10 - 48, r.bottom - 18 - 16));
  ASSERT_TRUE(player().waitForExit(20000)) << "the run ends";
  EXPECT_EQ(player().exitCode(), 0);
  EXPECT_FALSE(fs::exists(programFile("tembra-autoupdate.ran")));
  EXPECT_EQ(eventCode(records().back()), kClose);
}

// A notice over UDP becomes a balloon of the tray icon, which reaches the
// notification server; a click on it asks for the upgrade: the updater
// starts and takes over, so the run ends without the advertisement program.
TEST_F(Notice, NoticeShowsABalloonAndItsClickHandsOverToTheUpdater) {
  TrayHost* host = startTrayHost();
  if (!host) GTEST_SKIP() << "tests/support/fake-tray-host is not built";
  PlayerProcess::PlaceStandIn(folders().program, "tembra-advertise");
  ASSERT_TRUE(startDemo({"--notice", "Maintenance tonight#from 02:00"}, true));
  startPlayer();
  ASSERT_FALSE(waitForMainWindow().empty());
  ASSERT_FALSE(host->waitFor("registered", 15000).isEmpty()) << "the tray icon registered";
  const QStringList balloon = host->waitFor("notify", 20000);
  ASSERT_GE(balloon.size(), 5) << balloon.join('|').toStdString();
  EXPECT_EQ(balloon[3].toStdString(), "Tembra Player notice") << "the title: TV_TRAY_TIP_TITLE";
  EXPECT_TRUE(balloon[4].contains("Maintenance tonight")) << balloon[4].toStdString();
  EXPECT_FALSE(fs::exists(programFile("tembra-autoupdate.ran")));
  ASSERT_EQ(host->command("invoke " + balloon[1].toStdString()).value(0), "ok");
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!fs::exists(programFile("tembra-autoupdate.ran")) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(fs::exists(programFile("tembra-autoupdate.ran"))) << "the balloon's click starts the updater";
  ASSERT_TRUE(player().waitForExit(20000)) << "the updater takes over";
  EXPECT_EQ(player().exitCode(), 0);
  EXPECT_FALSE(fs::exists(programFile("tembra-advertise.ran")));
  EXPECT_EQ(eventCode(records().back()), kClose);
  checkEventLoop("with a notice balloon");
}

}  // namespace
}  // namespace tembra::test
