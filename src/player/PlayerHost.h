#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "player/PlayerControl.h"

class QTimer;

namespace tembra {

// The window's holder of the player component: configures it once, learns
// from the component's own report when it is ready, plays one channel at a
// time and stops it on the way out. Nothing here waits: a channel asked
// for before the component is ready is played the moment it is, so a
// component that is slow or never starts cannot hold up the window's
// thread. It talks to the component only through PlayerControl, and skips
// every call while the component has no window, as a host whose component
// could not be created must. GUI thread only.
class PlayerHost {
 public:
  // How long a play waits for readiness before it is handed to the
  // component anyway, so one that never reports still shows its own
  // failure instead of nothing.
  static constexpr int kReadyWaitMs = 5000;

  explicit PlayerHost(std::unique_ptr<PlayerControl> control, int readyWaitMs = kReadyWaitMs);
  ~PlayerHost();
  PlayerHost(const PlayerHost&) = delete;
  PlayerHost& operator=(const PlayerHost&) = delete;

  // Creates and configures the component's window at rect and shows it:
  // logo page in moduleFolder, language, and, for a non-empty plan entry,
  // the forced-authentication URL and values. Returns at once; true when
  // the component answered ready straight after its activation.
  bool StartPlayer(const PlayerRect& rect, const std::u16string& planBase,
                   const std::u16string& moduleFolder);
  // Stops, clears both texts, sets address and name, plays. Before
  // readiness only the latest request is kept, for when it comes.
  void PlayAddress(const std::u16string& address, const std::u16string& name);
  // Also drops a play still waiting for readiness.
  void StopPlayer();
  // 0 without a window.
  int32_t QueryState(int32_t what);
  // Stops a component that has a window and destroys it; idempotent.
  void Release();

  // The component reported ready (or answered so at once).
  bool ready() const { return ready_; }
  // A play waits for readiness.
  bool playPending() const { return pending_.has_value(); }

  // Null after Release.
  PlayerControl* control() const { return control_.get(); }

  static const std::u16string kLogoFile;
  static const std::u16string kLanguage;
  static const std::u16string kAuthPath;
  static const std::u16string kCredential;

 private:
  struct Play {
    std::u16string address;
    std::u16string name;
  };

  bool live() const { return control_ && control_->HasWindow(); }
  void onReady(unsigned start, bool ready);
  void endWait();
  void play(const Play& request);

  // All fields: GUI thread only.
  std::unique_ptr<PlayerControl> control_;
  int readyWaitMs_;
  std::unique_ptr<QTimer> deadline_;
  // Which StartPlayer a readiness report belongs to; an earlier start's
  // late report is ignored.
  unsigned start_ = 0;
  bool ready_ = false;
  // Plays go straight to the component (ready, or the wait is over).
  bool open_ = false;
  std::optional<Play> pending_;
};

}  // namespace tembra
