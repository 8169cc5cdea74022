#pragma once
#include <string>

namespace tembra {

class WindowContext;

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

 private:
  WindowContext& window_;
};

}  // namespace tembra
