#pragma once
#include <string>

namespace tembra {

// The main window's own fields, shared by the window and its channel and
// guide collaborators. Plain data: every reader and writer runs on the GUI
// thread, so nothing here is locked. The objects the window owns (player
// host, guide, reporter, notice channel, ad updater, loading pictures) are
// not part of it; they stay members of the window.
struct WindowState {
  // Fixed geometry of the skin, in pixels.
  int captionHeight = 25;  // title strip; top of every control but the frame
  int borderWidth = 3;     // outer border kept free left, right and bottom
  int splitterWidth = 7;   // strip between player and information panel
  int listMargin = 6;      // inner margin of the channel list
  int adHeight = 85;       // advertisement pane under the panel
  int listWidth = 100;     // channel list column
  int minWidth = 936;      // minimum window width with the panel shown
  int minHeight = 529;
  int rowHeightLimit = 29;  // item height limit of the lists and combos
  int rowWidthLimit = 220;  // item width limit of the lists and combos

  // Information panel: panelWidth is 0 while the panel is hidden and
  // savedPanelWidth the width it gets back when shown again.
  int panelWidth = 341;
  int savedPanelWidth = 341;
  bool panelShown = true;
  // panelShown as it was when the window was last maximised; leaving the
  // maximised state corrects the restored width when the two differ.
  bool panelShownAtMaximise = true;
  // Size to return to when the window leaves the maximised state.
  int restoreWidth = 936;
  int restoreHeight = 529;

  // Tray icon.
  bool trayIconAdded = false;
  // Message sent to the window when the balloon is clicked; -1 (no message)
  // until a balloon has been shown.
  int balloonClickMessage = -1;

  // Marked rows of "playinglist" and "channellist"; -1 for none.
  int playingListMark = -1;
  int channelListMark = -1;
  std::u16string currentChannelId;  // channel last chosen for playing
  std::u16string guideChannelId;    // channel whose day lists are on show

  // Seconds left on the loading indicators' count-downs.
  int listCountdown = 10;
  int guideCountdown = 10;

  // Set once the updater program was found or started; the close sequence
  // then leaves the advertisement program alone.
  bool updaterStarted = false;
};

}  // namespace tembra
