#pragma once
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "guide/ProgrammeGuide.h"
#include "source/ChannelSource.h"
#include "mainwnd/WindowContext.h"
#include "mainwnd/WindowMessageHandler.h"
#include "mainwnd/WindowMessageQueue.h"
#include "mainwnd/WindowState.h"
#include "player/PlayerControl.h"
#include "skin/CWindowWnd.h"
#include "skin/INotifyUI.h"
#include "stats/StatsReporter.h"

namespace tembra {

class AdUpdater;
class ChannelPanel;
class CloseSequence;
class GuideGridHost;
class GuidePanel;
class MainWindowActions;
class MessageRelay;
class MprisBridge;
class PlaybackTransport;
class PanelLook;
class PlayerControl;
class ServiceClient;
class ProgrammeDetailsView;
class ScreenSaverRule;
class SingleInstance;
class StartupSequence;
class TrayIcon;
class WindowActions;
class WindowCommands;
class WindowModes;

// The program's main window: the skin's "MainUI.xml" with the player, the
// channel and guide panels, the ad pane and the two loading pictures. It
// owns every service object of the program once its start-up sequence has
// made them, and is what worker threads report to (target()).
//
// Two entry points decide everything it does: handleMessage, one switch
// over the program's window messages (posted and sent ones arrive through
// its queue, on the GUI thread), and notify, one table of the skin's
// notifications by type and sender name. Both lead to a WindowActions.
//
//   TembraPlayerWnd wnd(setup);
//   if (!wnd.Create()) return failure;   // its message has been shown
//   wnd.centreOver(nullptr);             // "windowinit" starts the rest
class TembraPlayerWnd : public CWindowWnd,
                        public INotifyUI,
                        public WindowMessageHandler,
                        public WindowContext {
  Q_OBJECT

 public:
  // What the window is made with; every default is the program's own.
  struct Setup {
    // Where channels and guide come from; null: the operator's service
    // through `service`.
    std::shared_ptr<ChannelSource> source;
    ServiceClient* service = nullptr;  // null: ServiceClient::Instance()
    // The kept source open now (empty: none kept) and the file of them;
    // empty file: $XDG_CONFIG_HOME/tembra/sources.ini.
    std::string sourceId;
    std::string sourcesFile;
    // Where the source's favourite and recent channels are kept; empty: in
    // memory only.
    std::string favouritesFile;
    // Opens the window again with another kept source (the sources
    // dialog's "Open"); empty: the dialog cannot switch.
    std::function<void(const std::string& id)> switchSource;
    ConfigStore* config = nullptr;     // null: ConfigStore::Instance()
    std::string programFolder;         // empty: ModulePath::folder()
    // Makes the player component; empty: the window has no player.
    std::function<std::unique_ptr<PlayerControl>()> makePlayer;
    // Loads what makePlayer needs and may take long (libraries), on a
    // worker thread, before the player is made; may be empty.
    std::function<void()> preparePlayer;
    // Its socket answers a second copy once the layout is loaded; may be null.
    SingleInstance* instance = nullptr;
    // Ends the splash screen (start-up step 12); may be empty.
    std::function<void()> endSplash;
    StatsReporter::Setup stats;
    ProgrammeGuide::Options guide;  // the operator's guide
    // Brings a running updater's window forward by its caption; empty:
    // through the X11 window manager.
    std::function<bool(const std::u16string&)> findUpdater;
    // The close sequence's last step; empty: QCoreApplication::exit.
    std::function<void(int)> quit;
    // Holds the screen saver off (true) or lets it run; empty: the
    // desktop's freedesktop ScreenSaver service.
    std::function<void(bool)> inhibitScreenSaver;
    // What the tables lead to; null: the window's own actions.
    WindowActions* actions = nullptr;
    // Where recordings go and where the scheduled ones are kept; empty:
    // the videos folder's "Tembra Player", $XDG_CONFIG_HOME/tembra/recordings.list.
    std::string recordingsFolder;
    std::string recordingScheduleFile;
    // The panel's kept width and row settings; empty:
    // $XDG_CONFIG_HOME/tembra/window.ini.
    std::string panelSettingsFile;
    // Where channel logos are kept; empty: $XDG_CACHE_HOME/tembra/logos.
    std::string logoFolder;
  };

  // The player's rectangle when it is made (it follows the layout after).
  static constexpr PlayerRect kPlayerStartRect{2, 25, 583, 500};
  // How often the screen-saver rule looks at the player by itself.
  static constexpr int kScreenSaverPollMs = 2000;
  // How long the window's end waits for an ad pass writing into a settings
  // store it was handed.
  static constexpr std::chrono::seconds kAdPassWait{10};

  TembraPlayerWnd();
  explicit TembraPlayerWnd(Setup setup);
  ~TembraPlayerWnd() override;

  // Loads the layout and builds the window hidden: single-instance socket,
  // caption and icon, loading pictures, channel list without header. False,
  // after the error message, when MainUI.xml cannot be loaded.
  bool Create();
  // Makes the player component, configured, in the video slot, shown when
  // the window has started and hidden before. The start-up sequence does
  // this once the window shows its first frame, so that the media library
  // and the logo page cost nothing before the window is up; once only.
  void createPlayer();
  // Runs Setup::preparePlayer on a worker (once), then `then` on the GUI
  // thread; at once when there is nothing to prepare or it is done.
  void preparePlayer(std::function<void()> then = {});
  // The sources dialog, modal over the window.
  void openSources();

  intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void notify(const SkinNotification& msg) override;

  // WindowContext.
  CWindowWnd& skin() override { return *this; }
  WindowState& state() override { return state_; }
  ChannelSource& source() override { return *source_; }
  ConfigStore& config() override { return *config_; }
  const LanguageTable& language() override;
  std::string programFolder() const override { return programFolder_; }
  StatsReporter* stats() override { return stats_.get(); }
  UdpChannel* udpChannel() override { return udpChannel_.get(); }
  // Made on first use once the window has started (a play before the
  // start-up made it); null before that and without a player.
  PlayerHost* player() override;
  void withPlayer(std::function<void(PlayerHost&)> use) override;
  CPictureEx* listLoadingPicture() override { return listLoadingPicture_; }
  CPictureEx* guideLoadingPicture() override { return guideLoadingPicture_; }
  ProgrammeDetailsView* detailsView() override;
  PlaybackTransport* transport() override { return transport_.get(); }
  PanelLook* look() override { return look_.get(); }

  // What workers hold: posts and sends reach handleMessage on the GUI
  // thread, in order, held during the start-up sequence, dropped once the
  // window is closing.
  MessageTarget& target() { return queue_; }
  WindowMessageQueue& queue() { return queue_; }
  AdUpdater* adUpdater() const { return adUpdater_.get(); }
  TrayIcon* tray() const { return tray_.get(); }
  ChannelPanel& channels() { return *channels_; }
  GuidePanel& guidePanel() { return *guidePanel_; }
  GuideGridHost& guideGrid() { return *guideGrid_; }
  WindowModes& modes() { return *modes_; }
  WindowCommands& commands() { return *commands_; }
  ScreenSaverRule& screenSaver() { return *screenSaver_; }
  WindowActions& actions() { return *actions_; }
  // The kept source open now; empty for none.
  const std::string& sourceId() const { return setup_.sourceId; }

  // The start-up sequence has run to its end (the window was shown).
  bool started() const { return started_; }
  // The close sequence has begun; nothing is handled any more.
  bool closing() const { return closing_; }

  // Places every control, the player and the loading indicators for the
  // current size (the skin has no round corner: nothing is placed).
  void applyLayout();

 protected:
  void onTimer(int id) override;
  void onCaptionDoubleClick() override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  friend class StartupSequence;
  friend class CloseSequence;

  void createLoadingPictures();
  void placeInVideoSlot(QWidget* video);
  QString text(const char16_t* key) const;

  Setup setup_;
  ConfigStore* config_;
  std::shared_ptr<ChannelSource> source_;
  std::string programFolder_;
  WindowState state_;
  WindowMessageQueue queue_;
  // What threads nobody joins report through; let go of at the close.
  std::shared_ptr<MessageRelay> relay_;

  std::unique_ptr<PlayerHost> player_;
  std::unique_ptr<StatsReporter> stats_;
  std::unique_ptr<TrayIcon> tray_;
  std::unique_ptr<UdpChannel> udpChannel_;
  std::unique_ptr<AdUpdater> adUpdater_;
  CPictureEx* listLoadingPicture_ = nullptr;   // child widget
  CPictureEx* guideLoadingPicture_ = nullptr;  // child widget
  ProgrammeDetailsView* details_ = nullptr;    // child of the ad pane, made when first asked for
  MprisBridge* mpris_ = nullptr;               // child; on the bus once the window has started

  std::unique_ptr<ChannelPanel> channels_;
  std::unique_ptr<GuidePanel> guidePanel_;
  std::unique_ptr<PanelLook> look_;  // made with the layout
  std::unique_ptr<GuideGridHost> guideGrid_;
  std::unique_ptr<PlaybackTransport> transport_;
  std::unique_ptr<WindowModes> modes_;
  std::unique_ptr<WindowCommands> commands_;
  std::unique_ptr<ScreenSaverRule> screenSaver_;
  std::unique_ptr<MainWindowActions> ownActions_;
  WindowActions* actions_;
  std::unique_ptr<StartupSequence> startup_;
  std::unique_ptr<CloseSequence> close_;
  QTimer screenSaverPoll_;
  // Runs Setup::preparePlayer; started, joined and read on the GUI thread
  // only (the window's end joins it). The thread itself touches no field:
  // it queues its end to the GUI thread.
  std::thread playerPreparation_;

  bool created_ = false;
  // GUI thread only: the preparation has ended; what waits for it.
  bool playerPrepared_ = false;
  std::vector<std::function<void()>> afterPreparation_;
  bool startupBegun_ = false;
  bool started_ = false;
  // GUI thread only: the ad pane has been made (after the first frame).
  bool adPaneDue_ = false;
  bool closing_ = false;
};

}  // namespace tembra
