#pragma once

namespace tembra {

class TembraPlayerWnd;

// What the main window does when its layout reports "windowinit", in this
// order, with the window hidden and the splash up:
//
//    1 hide the window            8 the programme guide (downloads today),
//    2 the statistics reporter      then the now-playing list
//    3 the tray icon              9 the notice channel
//    4 mark the catalogue start  10 the ad refresh
//    5 sign-in and catalogue     11 the start-up record
//    6 its record when loaded    12 end the splash
//    7 channel list or count-down 13 show the window
//
// Steps 2, 5 and 8 block on the network: each runs on a worker while the
// GUI thread waits in a local event loop, so the splash keeps animating
// and a second copy still gets its answer. Once the window has shown its
// first frame the ad pane's page is made; a moment later the player's
// library loads on a worker and then the player is made (sooner when a
// channel is played first). Messages that workers post or send
// to the window meanwhile are held by its queue and delivered, in order,
// once the window is shown.
class StartupSequence {
 public:
  explicit StartupSequence(TembraPlayerWnd& window) : w_(window) {}
  // Runs once per window; a window that began closing meanwhile stops it
  // after the step under way, and is never shown.
  void run();

 private:
  void showWindow();

  TembraPlayerWnd& w_;
};

}  // namespace tembra
