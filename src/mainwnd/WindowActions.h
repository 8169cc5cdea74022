#pragma once
#include <cstdint>
#include <string>

#include "mainwnd/GuidePanel.h"

namespace tembra {

// Everything the main window's message and notification tables lead to.
// The tables only decide which of these runs; the window's own
// implementation (MainWindowActions) hands each to the panel, mode or
// command that does it, and tests put a recording one in its place to check
// every row.
class WindowActions {
 public:
  virtual ~WindowActions() = default;

  // "windowinit": the start-up sequence.
  virtual void RunStartup() = 0;

  // Commands.
  // Removes the tray icon and closes the window (its close sequence runs).
  virtual void CloseWindow() = 0;
  virtual void StartUpdater(bool forced) = 0;
  virtual void RestoreOrRaise() = 0;
  virtual void OpenAbout() = 0;
  virtual void OpenHomePage() = 0;
  // The sources dialog ("sourcesbtn").
  virtual void OpenSources() {}
  // The guide grid ("guidegridbtn", the G key): opens or closes it.
  virtual void ToggleGuideGrid() {}
  // A notice from the service: the forced-upgrade dialog, or a balloon.
  virtual void ForcedUpgrade() = 0;
  virtual void ShowNotice(const std::u16string& text) = 0;
  // The tray icon's mouse message; returns the icon callback's result.
  virtual int TrayCallback(intptr_t mouseMessage) = 0;

  // Window modes.
  virtual void Maximise() = 0;
  virtual void Restore() = 0;
  virtual void Minimise() = 0;
  virtual void HidePanel() = 0;
  virtual void ShowPanel() = 0;
  virtual void SetTopmost(bool on) = 0;
  // True while the player asks for the screen saver and monitor power-off
  // to be held off.
  virtual bool HoldDisplay() = 0;
  virtual void ToggleFullScreen() = 0;

  // The channel side.
  virtual void CountdownTick() = 0;
  virtual void StartRefresh() = 0;
  virtual void OnCatalogueLoaded() = 0;
  virtual void ShowRightAd() = 0;
  virtual void FillChannelList() = 0;
  virtual void OnChannelListActivate() = 0;
  virtual void OnPlayingListActivate() = 0;
  // Pages "channellist" up (-1) or down (+1).
  virtual void PageChannelList(int direction) = 0;
  virtual void PlayNeighbour(int step) = 0;

  // The guide side.
  virtual void TickGuideWait() = 0;
  virtual void RetryGuidePage() = 0;
  virtual void OnGuideDownloaded(GuidePage page, bool ok) = 0;
  virtual void ShowGuidePage(GuidePage page) = 0;
  virtual void OpenChannelGuide(const std::u16string& channelId, const std::u16string& channelName) = 0;
  // A row of a guide list was selected: its programme's details, where the
  // source keeps them.
  virtual void ShowProgrammeDetails(GuidePage page, int row) {}
  // A day list's row was double-clicked or Enter pressed on it: a past
  // programme plays from the channel's archive.
  virtual void PlayPastProgramme(GuidePage page) {}
  // The right-click menu of a guide list's row.
  virtual void OpenGuideRowMenu(GuidePage page, int row) {}
};

}  // namespace tembra
