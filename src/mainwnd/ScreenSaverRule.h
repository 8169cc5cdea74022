#pragma once
#include <cstdint>
#include <functional>

namespace tembra {

// The one place that decides whether the desktop may blank the screen: not
// while the player answers non-zero to QueryState(2). The window asks the
// rule when a screen-saver or monitor-power command reaches it, and calls
// refresh() whenever the player may have changed (after each user action
// and on a slow poll, since a stream can also stop by itself); refresh()
// passes each change of the answer on to the desktop's inhibitor.
class ScreenSaverRule {
 public:
  // The player's QueryState(2); 0 without a player.
  using Query = std::function<int32_t()>;
  // Holds (true) or releases (false) the desktop's screen saver.
  using Inhibit = std::function<void(bool)>;

  ScreenSaverRule(Query query, Inhibit inhibit);
  ~ScreenSaverRule();
  ScreenSaverRule(const ScreenSaverRule&) = delete;
  ScreenSaverRule& operator=(const ScreenSaverRule&) = delete;

  // True while the screen saver and monitor power-off must be held off.
  bool holdDisplay() const;
  void refresh();
  // Lets the screen saver run again (the window is closing); refresh()
  // does nothing afterwards.
  void release();
  bool held() const { return held_; }

 private:
  Query query_;
  Inhibit inhibit_;
  bool held_ = false;
  bool released_ = false;
};

}  // namespace tembra
