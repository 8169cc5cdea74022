#pragma once
#include <string>

#include "mainwnd/LoadCountdown.h"

namespace tembra {

class CListUI;
class WindowContext;
struct ListMarker;

// The channel side of the main window: the group selector and channel list
// built from the catalogue, the count-down panel while no catalogue is held,
// the background refresh, playback of the chosen channel with its marks in
// both lists, and the right-hand ad pane.
class ChannelPanel {
 public:
  explicit ChannelPanel(WindowContext& window);

  void ShowCatalogueState();
  void FillGroupSelector();
  void FillChannelList();
  void StartCountdown();
  void CountdownTick();   // timer 1 while listCountdown > 0
  void StartRefresh();    // timer 1 at 0, or "listloadbtn"
  void OnCatalogueLoaded();
  void OnChannelListActivate();
  void OnPlayingListActivate();
  // True when the channel was found and handed to the player.
  bool PlayChannel(const std::u16string& channelId);
  void ShowRightAd();
  // The previous (step -1) or next (+1) channel of "channellist" from the
  // marked one, played as a double-click on it would (Page Up / Page Down
  // over the video, a remote's channel keys).
  void PlayNeighbour(int step);

  // The period of timer 1 (LoadCountdown::kIntervalMs); tests shorten it.
  void setTickInterval(int milliseconds);

 private:
  // Clears the marker of row `mark` (unless -1), gives row `index` the
  // marker (unless -1 or out of range) and leaves its index, or -1, in `mark`.
  static void moveMark(CListUI& list, int& mark, int index, const ListMarker* marker);
  void placeRefreshPicture();

  WindowContext& window_;
  int tickMs_ = LoadCountdown::kIntervalMs;
  // The channel last handed to the player and the mark its "channellist"
  // row had, so a refill of the list (another group) marks it again.
  std::u16string playingId_;
  const ListMarker* playingMarker_ = nullptr;
};

}  // namespace tembra
