#pragma once
// The channel and guide panels in a window of their own: the real main
// skin layout on a plain skin window that routes notifications, timers
// and posted messages to the panels as the main window's tables do, with
// the real service client, guide, reporter, notice channel, player host
// and loading pictures the test hands it.
#include <memory>
#include <string>
#include <vector>

#include "mainwnd/ChannelPanel.h"
#include "platform/PixelRect.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/WindowContext.h"
#include "mainwnd/WindowMessageHandler.h"
#include "mainwnd/WindowMessageQueue.h"
#include "mainwnd/WindowState.h"
#include "source/OperatorSource.h"
#include "skin/CWindowWnd.h"
#include "skin/INotifyUI.h"

namespace tembra {

class CListUI;

namespace test {

class PanelTestWindow : public CWindowWnd, public INotifyUI, public WindowContext, public WindowMessageHandler {
 public:
  // Timer period the panels get here, in place of one second.
  static constexpr int kTickMs = 20;

  PanelTestWindow(ServiceClient& service, ConfigStore& config, std::string programFolder);
  ~PanelTestWindow() override;

  bool loaded() const { return loaded_; }
  MessageTarget& target() { return *queue_; }
  ChannelPanel& channels() { return channels_; }
  GuidePanel& guidePanel() { return guide_; }

  // Owned from here on; the guide gets this window as its result window.
  void setGuide(std::unique_ptr<ProgrammeGuide> guide);
  void setStats(std::unique_ptr<StatsReporter> stats);
  void setUdp(std::unique_ptr<UdpChannel> udp);
  void setPlayer(std::unique_ptr<PlayerHost> player);
  StatsReporter* releaseStats() { return stats_.release(); }

  // The count-down text ("listloadtime" for timer 1, "noticeloadtime" for
  // timer 2) after each tick of the timer, since the last clearTicks().
  const std::vector<std::string>& tickTexts(int id) const { return id == 1 ? ticks1_ : ticks2_; }
  void clearTicks() { ticks1_.clear(); ticks2_.clear(); }

  // The messages the window has handled, by id, in order.
  const std::vector<uint32_t>& handled() const { return handled_; }
  int handledCount(uint32_t message) const;

  // The texts and names of a list's items.
  std::vector<std::string> texts(const char* list) const;
  std::vector<std::string> names(const char* list) const;
  // Index of the item carrying a marker, or -1; more than one gives -2.
  int markedRow(const char* list) const;
  bool shown(const char* control) const;  // not hidden (the window itself may be)
  std::string text(const char* control) const;

  // A user's double-click (or Return) on a list item: selection, then the
  // notification the list sends.
  void activate(const char* list, int row);
  void click(const char* list, int row);
  // A refresh is running: its loading picture is up.
  bool refreshing() const;

  // WindowContext
  CWindowWnd& skin() override { return *this; }
  WindowState& state() override { return state_; }
  ChannelSource& source() override { return source_; }
  ProgrammeGuide* guide() { return source_.programmeGuide(); }
  ConfigStore& config() override { return config_; }
  const LanguageTable& language() override;
  std::string programFolder() const override { return programFolder_; }
  StatsReporter* stats() override { return stats_.get(); }
  UdpChannel* udpChannel() override { return udp_.get(); }
  PlayerHost* player() override { return player_.get(); }
  CPictureEx* listLoadingPicture() override { return listPicture_; }
  CPictureEx* guideLoadingPicture() override { return guidePicture_; }

  void notify(const SkinNotification& msg) override;
  intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 protected:
  void onTimer(int id) override;

 private:
  ConfigStore& config_;
  OperatorSource source_;
  std::string programFolder_;
  WindowState state_;
  ChannelPanel channels_{*this};
  GuidePanel guide_{*this};
  std::unique_ptr<WindowMessageQueue> queue_;
  std::unique_ptr<StatsReporter> stats_;
  std::unique_ptr<UdpChannel> udp_;
  std::unique_ptr<PlayerHost> player_;
  CPictureEx* listPicture_ = nullptr;
  CPictureEx* guidePicture_ = nullptr;
  std::vector<uint32_t> handled_;
  std::vector<std::string> ticks1_, ticks2_;
  bool loaded_ = false;
};

// The folder the panels' skin and language file are copied to beside the
// test program, ending in '/'.
std::string programFolder();

// Where a control of the window is, in its client pixels (empty when absent).
PixelRect PanelRect(const PanelTestWindow& w, const char* control);
// Where any widget is in its window's client pixels.
PixelRect PanelRect(const QWidget& widget);

}  // namespace test
}  // namespace tembra
