#pragma once
// The fixture of the end-to-end tests: a private X display, a private
// session bus, the demo operator service with the test's faults and a
// config.ini written for it into the program's own folder, and the real
// tembra-player with the event-loop probe on. Helpers find the window,
// read screenshots, click, and stop the program the two ways a user does.
//
// Every wait is bounded; a test that cannot run here (no Xvfb, no tools)
// skips with the reason.
#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "e2e/PlayerProcess.h"
#include "e2e/SessionBus.h"
#include "e2e/TrayHost.h"
#include "e2e/WindowPlaces.h"
#include "e2e/XSession.h"
#include "integration/DemoService.h"

// How many times slower than the program as built for use this build runs:
// a sanitizer build (tests/e2e/CMakeLists.txt sets it) instruments every
// access and allocation, which stretches the program's own work alike.
#ifndef TEMBRA_E2E_SLOWDOWN
#define TEMBRA_E2E_SLOWDOWN 1
#endif

namespace tembra::test {

// A file's whole text (the program's trace, its settings); empty when it
// cannot be read.
std::string readAll(const std::string& path);

class EndToEnd : public ::testing::Test {
 public:
  // The window of a healthy start on this machine shows within one to two
  // seconds of the program's start; a fault must not make it much slower.
  static constexpr int kWindowLimitMs = 10000;
  // The worst event-loop delay allowed after the window shows: 150 ms for
  // the program as built for use, that many times the slowdown for a
  // sanitizer build.
  static constexpr long kReleaseLoopLimitMs = 150;
  static constexpr long kSlowdown = TEMBRA_E2E_SLOWDOWN;
  static_assert(kSlowdown >= 1, "a build is never faster than the release build");
  static constexpr long kLoopLimitMs = kReleaseLoopLimitMs * kSlowdown;
  // The delay allowed while the window makes its player and web panes
  // after its first frame: the web engine's first start alone holds the
  // thread 130-200 ms here, in one call that cannot be cut.
  static constexpr long kReleaseSettleLimitMs = 400;
  static constexpr long kSettleLimitMs = kReleaseSettleLimitMs * kSlowdown;
  static constexpr const char* kTitle = "^Tembra Player$";

 protected:
  void SetUp() override;
  void TearDown() override;

  // --- the demo service ---
  // Starts it with args (faults, data switches) and writes config.ini into
  // the program folder. notice: with the UDP notice responder (root only).
  bool startDemo(std::vector<std::string> args = {}, bool notice = false);
  // The service again on the same port, as a server that comes back.
  bool restartDemo(std::vector<std::string> args = {});
  void stopDemo();
  DemoService& demo() { return *demo_; }
  // POST /demo/faults, e.g. "refuse-signin=0".
  bool setFaults(const std::string& form);
  std::vector<std::string> records() const;
  // Waits until the collector holds a record with this event code.
  bool waitForRecord(const std::string& code, int timeoutMs);

  // --- the notification area ---
  // Starts the test tray host on the session bus; call before startPlayer.
  // Null (and the test skipped) when the host is not built.
  TrayHost* startTrayHost();
  TrayHost* tray() { return tray_.get(); }

  // --- the program ---
  PlayerProcess& startPlayer(const std::map<std::string, std::string>& env = {},
                             const std::vector<std::string>& args = {});
  PlayerProcess& player() { return *players_.back(); }
  // Waits for the main window to be mapped; its id, or empty. Also notes
  // how long it took (shownAfterMs()).
  std::string waitForMainWindow(int timeoutMs = kWindowLimitMs);
  long shownAfterMs() const { return shownAfterMs_; }
  WindowPlaces places() const;

  // A screenshot saved as NAME.png in this test's screenshot folder.
  QImage shot(const std::string& name);
  // Screenshots until done(image) holds or timeoutMs passes; the last one
  // is saved as NAME.png and left in last.
  bool waitForScreen(const std::string& name, const std::function<bool(const QImage&)>& done, int timeoutMs,
                     QImage* last = nullptr);
  // waitForScreen for the states the cases wait for most: the channel rows
  // listed, guide rows in a list, a picture in area, and a picture there
  // that is not the one of before (more than 30% of area changed).
  bool waitForChannelRows(const std::string& name, const WindowPlaces& at, int timeoutMs, QImage* last = nullptr);
  bool waitForGuideRows(const std::string& name, const PixelRect& list, int timeoutMs, QImage* last = nullptr);
  bool waitForPicture(const std::string& name, const PixelRect& area, int timeoutMs);
  bool waitForNewPicture(const std::string& name, const QImage& before, const PixelRect& area, int timeoutMs,
                         QImage* last = nullptr);
  bool doubleClick(const Point& p) { return x_->doubleClick(p.x, p.y); }
  bool click(const Point& p) { return x_->click(p.x, p.y); }
  // A click on the middle of the video, which takes the keys from the
  // channel list.
  bool clickVideo(const WindowPlaces& at);

  // The usual start: the demo service without switches, the program with
  // env, its main window and then its channel rows (start.png). False, with
  // the reason as a test failure, when any of them does not come;
  // mainWindow() and places() then tell the window.
  bool startListing(const std::map<std::string, std::string>& env = {});
  const std::string& mainWindow() const { return window_; }

  // Stops the program by the close button / by SIGTERM, expecting a
  // normal exit with code 0 within the close sequence's bounded time.
  void closeByButton();
  void closeBySigterm();
  // Prints the worst event-loop delay of the run (as "worst event-loop
  // delay WHAT: N ms", less the waits for a CPU that other processes of a
  // busy machine took, with the raw figure beside it) and checks it against
  // kLoopLimitMs. The program rewrites the figures every second and at exit.
  void checkEventLoop(const std::string& what) { checkEventLoop(what, player()); }
  void checkEventLoop(const std::string& what, PlayerProcess& run);

  std::string shotFolder() const;
  XSession& x() { return *x_; }
  // The test's private session bus, for tools that talk to the program on it.
  const std::string& busAddress() const { return bus_->address(); }
  const PlayerFolders& folders() const { return folders_; }
  std::string programFile(const std::string& name) const { return folders_.program + "/" + name; }
  std::string stateFile(const std::string& name) const { return folders_.state + "/" + name; }

 private:
  std::unique_ptr<XSession> x_;
  std::unique_ptr<SessionBus> bus_;
  std::unique_ptr<TrayHost> tray_;  // on bus_, so it goes first
  std::unique_ptr<TempDir> root_;
  PlayerFolders folders_;
  std::unique_ptr<DemoService> demo_;
  uint16_t demoPort_ = 0;
  std::vector<std::unique_ptr<PlayerProcess>> players_;
  std::string window_;
  long shownAfterMs_ = -1;
  std::chrono::steady_clock::time_point startedAt_;
};

// Event codes of the statistics records.
inline constexpr const char* kStart = "00006";
inline constexpr const char* kCatalogueLoaded = "02008";
inline constexpr const char* kStartupDone = "06001";
inline constexpr const char* kWatched = "02011";
inline constexpr const char* kClose = "00007";

// How many of records carry the event code.
int countCode(const std::vector<std::string>& records, const std::string& code);
// One run's records, each exactly once and none twice: start first, close
// last, one record per channel watched. The catalogue record is there when
// the start-up loaded the catalogue, and at most once otherwise.
void expectOneRun(const std::vector<std::string>& got, int channelsWatched, bool catalogueAtStart);

}  // namespace tembra::test
