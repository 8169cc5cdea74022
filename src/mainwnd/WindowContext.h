#pragma once
#include <functional>
#include <string>

#include "mainwnd/WindowState.h"

namespace tembra {

class CPictureEx;
class CWindowWnd;
class ConfigStore;
class LanguageTable;
class PanelLook;
class PlayerHost;
class PlaybackTransport;
class ProgrammeDetailsView;
class ChannelSource;
class StatsReporter;
class UdpChannel;

// What the channel and guide panels use of the main window: its skin
// controls and timers, its shared fields, and the service objects it owns.
// The main window implements it; panel tests implement it over a plain skin
// window with the real layout. Everything here is used on the GUI thread.
class WindowContext {
 public:
  virtual ~WindowContext() = default;

  // The window's controls (found by name) and its timers 1 and 2.
  virtual CWindowWnd& skin() = 0;
  virtual WindowState& state() = 0;

  // Where the channels and the guide come from.
  virtual ChannelSource& source() = 0;
  virtual ConfigStore& config() = 0;
  virtual const LanguageTable& language() = 0;
  // The executable's folder, ending in '/': local ad pages are found there.
  virtual std::string programFolder() const = 0;

  // Null until the start-up sequence has created them.
  virtual StatsReporter* stats() = 0;
  virtual UdpChannel* udpChannel() = 0;
  // Null when the window has no player, or has not made it yet.
  virtual PlayerHost* player() = 0;
  // Hands the player to use, made first if need be: at once when it is
  // there, else once it is made (never, when the window has none).
  virtual void withPlayer(std::function<void(PlayerHost&)> use) {
    if (PlayerHost* host = player()) use(*host);
  }

  // "GifTvList" and "GifGuideList"; never null once the window is created
  // (a picture whose file did not load stays hidden).
  virtual CPictureEx* listLoadingPicture() = 0;
  virtual CPictureEx* guideLoadingPicture() = 0;
  // Where a source without ads shows programme details, in the ad pane's
  // place; null for the operator's service (its ads are there).
  virtual ProgrammeDetailsView* detailsView() { return nullptr; }
  // Pausing, the archive and recordings; null without them.
  virtual PlaybackTransport* transport() { return nullptr; }
  // The panel's looks beyond the skin (logos, widths, programme lines);
  // null where the window has none.
  virtual PanelLook* look() { return nullptr; }
};

}  // namespace tembra
