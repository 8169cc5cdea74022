#pragma once
// One run of the panels against the demo operator service: the service
// with the test's switches and a config.ini written for it, the real
// service client over that file, the panel window, and on request the
// guide (on a fixed clock), the reporter (on a hand-moved clock), a
// recording player and the notice channel.
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "guide/LocalClock.h"
#include "integration/DemoService.h"
#include "mainwnd/PanelTestWindow.h"
#include "player/RecordingPlayerControl.h"
#include "stats/StatsTestSupport.h"

namespace tembra {

class ConfigStore;
class ProgrammeGuide;
class ServiceClient;

namespace test {

// Guide days are those of this clock: 14 May 2026, 12:00:30.
LocalTime PanelGuideNoon();

class PanelDemoRun {
 public:
  explicit PanelDemoRun(std::vector<std::string> demoArgs);
  ~PanelDemoRun();

  // Empty when the service, its config or the layout did not come up.
  const std::string& error() const { return error_; }
  DemoService& demo() { return *demo_; }
  ServiceClient& service() { return *service_; }
  ConfigStore& config() { return *config_; }
  PanelTestWindow& window() { return *window_; }
  const TempDir& folder() const { return dir_; }

  // The start-up's sign-in and catalogue load (on this thread, as the
  // window does), then the channel side's first state.
  void configure();
  // The guide as the start-up creates it (today on this thread, then the
  // preload), on the fixed clock, its transfer file in the run's folder.
  ProgrammeGuide& makeGuide(int idleMs = 2000, bool creationDownloads = true,
                            uint64_t maxReplyBytes = GuideLimits::kMaxReplyBytes);
  // A guide that has tried each of the three days once, on this thread, so
  // no preload races the test.
  ProgrammeGuide& makeLoadedGuide();
  StatsReporter& makeStats();
  // The player host over a recording control that is ready at once.
  std::vector<RecordingPlayerControl::Call>& makeRecordingPlayer();
  // configure(), makeLoadedGuide() and makeRecordingPlayer(): a window
  // whose channels play, with nothing of the guide left to arrive.
  void makePlayable();
  // The addresses and names the player was asked to play, in order.
  std::vector<std::pair<std::u16string, std::u16string>> played() const;

  // Turns demo faults on or off ("guide-404=1&hang-guide=0").
  bool faults(const std::string& form);
  ManualClock& statsClock() { return statsClock_; }
  FixedClock& guideClock() { return guideClock_; }

 private:
  TempDir dir_{"panels"};
  std::unique_ptr<DemoService> demo_;
  ConfigStore* config_ = nullptr;     // kept for the process, as the program keeps its own
  ServiceClient* service_ = nullptr;  // kept for the process: refresh threads are detached
  std::unique_ptr<PanelTestWindow> window_;
  FixedClock guideClock_{PanelGuideNoon()};
  ManualClock statsClock_;
  std::vector<RecordingPlayerControl::Call> playerCalls_;
  std::string error_;
};

}  // namespace test
}  // namespace tembra
