#pragma once
#include "mainwnd/WindowActions.h"

namespace tembra {

class TembraPlayerWnd;

// The window's own actions: each one handed to the panel, mode or command
// of the window that carries it out.
class MainWindowActions : public WindowActions {
 public:
  explicit MainWindowActions(TembraPlayerWnd& window) : w_(window) {}

  void RunStartup() override;
  void CloseWindow() override;
  void StartUpdater(bool forced) override;
  void RestoreOrRaise() override;
  void OpenAbout() override;
  void OpenHomePage() override;
  void OpenSources() override;
  void ToggleGuideGrid() override;
  void ForcedUpgrade() override;
  void ShowNotice(const std::u16string& text) override;
  int TrayCallback(intptr_t mouseMessage) override;

  void Maximise() override;
  void Restore() override;
  void Minimise() override;
  void HidePanel() override;
  void ShowPanel() override;
  void SetTopmost(bool on) override;
  bool HoldDisplay() override;
  void ToggleFullScreen() override;

  void CountdownTick() override;
  void StartRefresh() override;
  void OnCatalogueLoaded() override;
  void ShowRightAd() override;
  void FillChannelList() override;
  void OnChannelListActivate() override;
  void OnPlayingListActivate() override;
  void PageChannelList(int direction) override;
  void PlayNeighbour(int step) override;

  void TickGuideWait() override;
  void RetryGuidePage() override;
  void OnGuideDownloaded(GuidePage page, bool ok) override;
  void ShowGuidePage(GuidePage page) override;
  void OpenChannelGuide(const std::u16string& channelId, const std::u16string& channelName) override;
  void ShowProgrammeDetails(GuidePage page, int row) override;
  void PlayPastProgramme(GuidePage page) override;
  void OpenGuideRowMenu(GuidePage page, int row) override;

 private:
  TembraPlayerWnd& w_;
};

}  // namespace tembra
