#pragma once
#include <string>

namespace tembra {

class TembraPlayerWnd;

// What closing the main window does, once, whatever closed it (its close
// button, the tray menu, the forced-upgrade dialog, the window manager, the
// hand-over to the updater, a termination signal):
//
//   1 the window's queue starts closing: workers' messages are dropped and
//     every worker waiting in a send is let go, so none can hold this up;
//   2 timers, the screen-saver hold, the single-instance socket and the
//     tray icon go, and the window is hidden;
//   3 the reporter records the shutdown and the window waits for its upload
//     thread, at most StatsReporter::kCloseWait (the backlog file holds
//     whatever the server did not take);
//   4 "tembra-advertise" beside the executable is started unless the updater was;
//   5 the player is released and the event loop told to quit with 0.
class CloseSequence {
 public:
  // Not "Advertise": that is the folder of unpacked ads beside it, whose
  // name config.ini values carry.
  static constexpr const char* kAdProgram = "tembra-advertise";

  explicit CloseSequence(TembraPlayerWnd& window) : w_(window) {}
  void run();

 private:
  TembraPlayerWnd& w_;
};

}  // namespace tembra
