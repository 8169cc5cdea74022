#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "player/PlayerControl.h"

namespace tembra {

// The window's holder of the player component: configures it once, waits
// for it to report ready, plays one channel at a time and stops it on the
// way out. It talks to the component only through PlayerControl, and skips
// every call while the component has no window, as a host whose component
// could not be created must.
class PlayerHost {
 public:
  static constexpr int kReadyWaitMs = 5000;
  static constexpr int kReadyPollMs = 10;

  // sleep(ms) waits between readiness polls; tests count instead of waiting.
  using Sleep = std::function<void(int ms)>;

  explicit PlayerHost(std::unique_ptr<PlayerControl> control, Sleep sleep = {});
  ~PlayerHost();
  PlayerHost(const PlayerHost&) = delete;
  PlayerHost& operator=(const PlayerHost&) = delete;

  // Creates and configures the component's window at rect (shown at the
  // end): logo page in moduleFolder, language, and, for a non-empty plan
  // entry, the forced-authentication URL and values. True when it reported
  // ready within kReadyWaitMs counted in polls.
  bool StartPlayer(const PlayerRect& rect, const std::u16string& planBase,
                   const std::u16string& moduleFolder);
  // Stops, clears both texts, sets address and name, plays.
  void PlayAddress(const std::u16string& address, const std::u16string& name);
  void StopPlayer();
  // 0 without a window.
  int32_t QueryState(int32_t what);
  // Stops a component that has a window and destroys it; idempotent.
  void Release();

  // Null after Release.
  PlayerControl* control() const { return control_.get(); }

  static const std::u16string kLogoFile;
  static const std::u16string kLanguage;
  static const std::u16string kAuthPath;
  static const std::u16string kCredential;

 private:
  bool live() const { return control_ && control_->HasWindow(); }

  std::unique_ptr<PlayerControl> control_;
  Sleep sleep_;
};

}  // namespace tembra
