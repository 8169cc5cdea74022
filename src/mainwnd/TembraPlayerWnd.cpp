#include "mainwnd/TembraPlayerWnd.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QWindowStateChangeEvent>

#include "ads/AdUpdater.h"
#include "app/ConfigStore.h"
#include "app/LanguageTable.h"
#include "mainwnd/AppIcon.h"
#include "mainwnd/ChannelKeys.h"
#include "mainwnd/ChannelFinder.h"
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/CloseSequence.h"
#include "mainwnd/EmbeddedPlayerControl.h"
#include "mainwnd/ErrorMessage.h"
#include "mainwnd/GuideGridHost.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/MainWindowActions.h"
#include "mainwnd/MprisBridge.h"
#include "mainwnd/PlaybackTransport.h"
#include "mainwnd/PanelLook.h"
#include "mainwnd/ProgrammeDetailsView.h"
#include "mainwnd/SourcesDialog.h"
#include "mainwnd/ScreenSaverRule.h"
#include "mainwnd/SingleInstance.h"
#include "mainwnd/StartupSequence.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/SystemMessages.h"
#include "mainwnd/TrayIcon.h"
#include "mainwnd/WindowCommands.h"
#include "mainwnd/WindowModes.h"
#include "notice/UdpChannel.h"
#include "platform/MessageRelay.h"
#include "platform/ModulePath.h"
#include "platform/Utf.h"
#include "player/PlayerHost.h"
#include "player/ScreenSaverInhibitor.h"
#include "service/ServiceClient.h"
#include "source/OperatorExtras.h"
#include "source/LogoCache.h"
#include "source/OperatorSource.h"
#include "source/SourceList.h"
#include "skin/CListUI.h"
#include "skin/CTabLayoutUI.h"
#include "skin/SkinControl.h"
#include "skin/SkinVideoSlot.h"
#include "splash/CPictureEx.h"

namespace tembra {

namespace {

QRect toQRect(const PixelRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// The desktop's screen-saver service, reached only once the rule first
// wants it held.
std::function<void(bool)> desktopInhibitor() {
  auto inhibitor = std::make_shared<std::unique_ptr<ScreenSaverInhibitor>>();
  return [inhibitor](bool on) {
    if (!*inhibitor) *inhibitor = std::make_unique<ScreenSaverInhibitor>();
    (*inhibitor)->setInhibited(on);
  };
}

using Wnd = TembraPlayerWnd;
using Act = WindowActions;
using Note = SkinNotification;

const CListLabelElementUI* itemOf(const Note& n) {
  const auto* list = qobject_cast<const CListUI*>(n.sender);
  return list != nullptr ? list->item(n.item) : nullptr;
}

// The notification table: by type, then by the sending control's name (a
// null sender matches any).
struct NotificationRow {
  const char* type;
  const char* sender;
  void (*act)(Wnd&, Act&, const Note&);
};

const NotificationRow kNotifications[] = {
    {"windowinit", nullptr, [](Wnd&, Act& a, const Note&) { a.RunStartup(); }},
    {"click", "closebtn", [](Wnd&, Act& a, const Note&) { a.CloseWindow(); }},
    {"click", "maxbtn", [](Wnd&, Act& a, const Note&) { a.Maximise(); }},
    {"click", "resbtn", [](Wnd&, Act& a, const Note&) { a.Restore(); }},
    {"click", "minbtn", [](Wnd&, Act& a, const Note&) { a.Minimise(); }},
    {"click", "hidebtn", [](Wnd&, Act& a, const Note&) { a.HidePanel(); }},
    {"click", "cutbtn", [](Wnd&, Act& a, const Note&) { a.HidePanel(); }},
    {"click", "showbtn", [](Wnd&, Act& a, const Note&) { a.ShowPanel(); }},
    {"click", "normalbtn", [](Wnd&, Act& a, const Note&) { a.ShowPanel(); }},
    {"click", "topbtn", [](Wnd&, Act& a, const Note&) { a.SetTopmost(true); }},
    {"click", "notopbtn", [](Wnd&, Act& a, const Note&) { a.SetTopmost(false); }},
    {"click", "homebtn", [](Wnd&, Act& a, const Note&) { a.OpenHomePage(); }},
    {"click", "sourcesbtn", [](Wnd&, Act& a, const Note&) { a.OpenSources(); }},
    {"click", "guidegridbtn", [](Wnd&, Act& a, const Note&) { a.ToggleGuideGrid(); }},
    {"click", "upgradebtn", [](Wnd&, Act& a, const Note&) { a.StartUpdater(false); }},
    {"click", "noticeloadbtn", [](Wnd&, Act& a, const Note&) { a.RetryGuidePage(); }},
    {"click", "listloadbtn", [](Wnd&, Act& a, const Note&) { a.StartRefresh(); }},
    {"click", "pgupbtn", [](Wnd&, Act& a, const Note&) { a.PageChannelList(-1); }},
    {"click", "pgdnbtn", [](Wnd&, Act& a, const Note&) { a.PageChannelList(+1); }},
    {"selectchanged", "guideplaying", [](Wnd&, Act& a, const Note&) { a.ShowGuidePage(GuidePage::NowPlaying); }},
    {"selectchanged", "guideplay", [](Wnd&, Act& a, const Note&) { a.ShowGuidePage(GuidePage::Upcoming); }},
    {"selectchanged", "guidefirstday", [](Wnd&, Act& a, const Note&) { a.ShowGuidePage(GuidePage::FirstDay); }},
    {"selectchanged", "guidesecondday", [](Wnd&, Act& a, const Note&) { a.ShowGuidePage(GuidePage::SecondDay); }},
    {"selectchanged", "guidethirdday", [](Wnd&, Act& a, const Note&) { a.ShowGuidePage(GuidePage::ThirdDay); }},
    {"itemclick", "channellist",
     [](Wnd&, Act& a, const Note& n) {
       if (const CListLabelElementUI* item = itemOf(n))
         a.OpenChannelGuide(item->name.toStdU16String(), item->text.toStdU16String());
     }},
    {"itemdoubleclick", "playinglist", [](Wnd&, Act& a, const Note&) { a.OnPlayingListActivate(); }},
    {"itemselect", "playinglist", [](Wnd&, Act& a, const Note& n) { a.ShowProgrammeDetails(GuidePage::NowPlaying, n.item); }},
    {"itemselect", "playlist", [](Wnd&, Act& a, const Note& n) { a.ShowProgrammeDetails(GuidePage::Upcoming, n.item); }},
    {"itemselect", "firstdaylist", [](Wnd&, Act& a, const Note& n) { a.ShowProgrammeDetails(GuidePage::FirstDay, n.item); }},
    {"itemselect", "seconddaylist", [](Wnd&, Act& a, const Note& n) { a.ShowProgrammeDetails(GuidePage::SecondDay, n.item); }},
    {"itemselect", "thirddaylist", [](Wnd&, Act& a, const Note& n) { a.ShowProgrammeDetails(GuidePage::ThirdDay, n.item); }},
    {"itemdoubleclick", "channellist", [](Wnd&, Act& a, const Note&) { a.OnChannelListActivate(); }},
    {"itemmenu", "playinglist", [](Wnd&, Act& a, const Note& n) { a.OpenGuideRowMenu(GuidePage::NowPlaying, n.item); }},
    {"itemmenu", "playlist", [](Wnd&, Act& a, const Note& n) { a.OpenGuideRowMenu(GuidePage::Upcoming, n.item); }},
    {"itemmenu", "firstdaylist", [](Wnd&, Act& a, const Note& n) { a.OpenGuideRowMenu(GuidePage::FirstDay, n.item); }},
    {"itemmenu", "seconddaylist", [](Wnd&, Act& a, const Note& n) { a.OpenGuideRowMenu(GuidePage::SecondDay, n.item); }},
    {"itemmenu", "thirddaylist", [](Wnd&, Act& a, const Note& n) { a.OpenGuideRowMenu(GuidePage::ThirdDay, n.item); }},
    {"itemactivate", "playinglist", [](Wnd&, Act& a, const Note&) { a.OnPlayingListActivate(); }},
    {"itemactivate", "channellist", [](Wnd&, Act& a, const Note&) { a.OnChannelListActivate(); }},
    {"itemselect", "channeltype", [](Wnd&, Act& a, const Note&) { a.FillChannelList(); }},
    {"itemdoubleclick", "firstdaylist", [](Wnd&, Act& a, const Note&) { a.PlayPastProgramme(GuidePage::FirstDay); }},
    {"itemdoubleclick", "seconddaylist", [](Wnd&, Act& a, const Note&) { a.PlayPastProgramme(GuidePage::SecondDay); }},
    {"itemdoubleclick", "thirddaylist", [](Wnd&, Act& a, const Note&) { a.PlayPastProgramme(GuidePage::ThirdDay); }},
    {"itemactivate", "firstdaylist", [](Wnd&, Act& a, const Note&) { a.PlayPastProgramme(GuidePage::FirstDay); }},
    {"itemactivate", "seconddaylist", [](Wnd&, Act& a, const Note&) { a.PlayPastProgramme(GuidePage::SecondDay); }},
    {"itemactivate", "thirddaylist", [](Wnd&, Act& a, const Note&) { a.PlayPastProgramme(GuidePage::ThirdDay); }},
};

}  // namespace

TembraPlayerWnd::TembraPlayerWnd() : TembraPlayerWnd(Setup{}) {}

TembraPlayerWnd::TembraPlayerWnd(Setup setup)
    : CWindowWnd(nullptr, Qt::Window),
      setup_(std::move(setup)),
      config_(setup_.config != nullptr ? setup_.config : &ConfigStore::Instance()),
      source_(setup_.source ? setup_.source
                            : std::make_shared<OperatorSource>(
                                  setup_.service != nullptr ? *setup_.service : ServiceClient::Instance(),
                                  *config_, setup_.guide)),
      programFolder_(setup_.programFolder.empty() ? ModulePath::folder() : setup_.programFolder),
      queue_(*this),
      relay_(std::make_shared<MessageRelay>(&queue_)) {
  if (!programFolder_.empty() && programFolder_.back() != '/') programFolder_.push_back('/');
  setObjectName(QStringLiteral("TembraPlayerWnd"));
  setWindowTitle(QStringLiteral("TembraPlayerWnd"));
  // Workers' messages wait until the start-up sequence has shown the window.
  queue_.hold();

  channels_ = std::make_unique<ChannelPanel>(*this, setup_.favouritesFile);
  guidePanel_ = std::make_unique<GuidePanel>(*this);
  guideGrid_ = std::make_unique<GuideGridHost>(*this);
  modes_ = std::make_unique<WindowModes>(*this, state_, [this] { applyLayout(); });
  commands_ = std::make_unique<WindowCommands>(WindowCommands::Setup{
      this, &state_, &queue_, config_, programFolder_, [this] { return tray_.get(); }, setup_.findUpdater});
  screenSaver_ = std::make_unique<ScreenSaverRule>(
      [this]() -> int32_t { return player_ ? player_->QueryState(PlayerControl::kStateHoldDisplay) : 0; },
      setup_.inhibitScreenSaver ? setup_.inhibitScreenSaver : desktopInhibitor());
  connect(&screenSaverPoll_, &QTimer::timeout, this, [this] { screenSaver_->refresh(); });
  ownActions_ = std::make_unique<MainWindowActions>(*this);
  actions_ = setup_.actions != nullptr ? setup_.actions : ownActions_.get();
  close_ = std::make_unique<CloseSequence>(*this);
}

// The program never gets here before its close sequence has run; tests do.
// Workers are let go first, so joining them below cannot wait on the window.
TembraPlayerWnd::~TembraPlayerWnd() {
  if (playerPreparation_.joinable()) playerPreparation_.join();
  queue_.beginClosing();
  relay_->detach();
  closing_ = true;
  screenSaverPoll_.stop();
  removeNotifier(this);
  if (setup_.instance != nullptr) setup_.instance->stopListening();
  udpChannel_.reset();
  look_.reset();
  // The ad pass writes into the settings store. The process-wide store
  // outlives any pass; one the window was handed may go right after the
  // window, so a pass still under way is waited for (a bounded time).
  if (adUpdater_ && setup_.config != nullptr) adUpdater_->WaitForPass(kAdPassWait);
  adUpdater_.reset();
  transport_.reset();
  guideGrid_.reset();
  setup_.source.reset();
  // Its threads are joined here, before the window they report to goes.
  source_.reset();
  if (player_) player_->Release();
  player_.reset();
  tray_.reset();
  stats_.reset();
}

const LanguageTable& TembraPlayerWnd::language() { return LanguageTable::Instance(); }

QString TembraPlayerWnd::text(const char16_t* key) const {
  return QString::fromStdU16String(LanguageTable::Instance().GetText(key));
}

bool TembraPlayerWnd::Create() {
  if (created_) return true;
  if (!loadLayout(QStringLiteral("MainUI.xml"))) {
    ErrorMessage::show(nullptr, text(u"TV_WND_CREATE_XMLFAIL").toStdU16String());
    return false;
  }
  addNotifier(this);
  // A second copy of the program finds this one by it from now on.
  if (setup_.instance != nullptr) setup_.instance->listen([this] { commands_->RestoreOrRaise(); });
  setWindowTitle(text(u"TV_WND_CAPTION_TEXT"));
  setWindowIcon(AppIcon::load());
  createLoadingPictures();
  // A shortcut, not a key press: the channel list would take a letter for
  // its own type-ahead search.
  auto* gridKey = new QShortcut(QKeySequence(Qt::Key_G), this);
  connect(gridKey, &QShortcut::activated, this, [this] { handleMessage(WM_CMD_GUIDEGRID, 0, 0); });
  new ChannelKeys(*this);
  mpris_ = new MprisBridge(*this);
  if (CListUI* list = findList(QStringLiteral("channellist"))) list->setHeaderHeight(0);
  transport_ = std::make_unique<PlaybackTransport>(*this, setup_.recordingScheduleFile, setup_.recordingsFolder);
  // A child of the window: it watches the list, the search field and the
  // keys that rise to the window by itself.
  new ChannelFinder(*this);
  look_ = std::make_unique<PanelLook>(*this, setup_.panelSettingsFile,
                                      setup_.logoFolder.empty() ? LogoCache::defaultFolder() : setup_.logoFolder,
                                      [this] { applyLayout(); });
  look_->attach();
  created_ = true;
  applyLayout();
  return true;
}

void TembraPlayerWnd::createPlayer() {
  if (player_ || !created_ || closing_ || !setup_.makePlayer) return;
  StartupTrace::mark("player-begin");
  std::unique_ptr<PlayerControl> component = setup_.makePlayer();
  if (!component) return;
  StartupTrace::mark("player-component");
  player_ = std::make_unique<PlayerHost>(std::make_unique<EmbeddedPlayerControl>(
      std::move(component), [this](QWidget* video) { placeInVideoSlot(video); }));
  OperatorExtras* extras = source_->operatorExtras();
  player_->StartPlayer(kPlayerStartRect, extras != nullptr ? extras->planBase() : std::u16string(),
                       fromUtf8(programFolder_));
  StartupTrace::mark("player-started");
  // Shown with the window: at once when the window is up already.
  if (PlayerControl* control = player_->control(); control != nullptr && control->HasWindow())
    control->ShowWindow(started_);
  // A grid opened before the player was made keeps the screen; the new
  // picture goes to its corner.
  if (guideGrid_) QMetaObject::invokeMethod(guideGrid_.get(), &GuideGridHost::placeVideo, Qt::QueuedConnection);
}

void TembraPlayerWnd::preparePlayer(std::function<void()> then) {
  if (closing_) return;
  if (!setup_.preparePlayer || playerPrepared_) {
    if (then) then();
    return;
  }
  if (then) afterPreparation_.push_back(std::move(then));
  if (playerPreparation_.joinable()) return;
  // The window outlives the thread (its end joins it), and a call queued
  // to a window that is gone by then is dropped with it.
  playerPreparation_ = std::thread([this, prepare = setup_.preparePlayer] {
    prepare();
    QMetaObject::invokeMethod(
        this,
        [this] {
          playerPrepared_ = true;
          std::vector<std::function<void()>> waiting;
          waiting.swap(afterPreparation_);
          for (auto& f : waiting)
            if (!closing_) f();
        },
        Qt::QueuedConnection);
  });
}

PlayerHost* TembraPlayerWnd::player() { return player_.get(); }

void TembraPlayerWnd::withPlayer(std::function<void(PlayerHost&)> use) {
  if (player_) {
    use(*player_);
    return;
  }
  if (!started_ || closing_ || !setup_.makePlayer) return;
  // Played before the player was made: its library finishes loading on
  // the worker (the GUI thread would freeze for it), then it is made and
  // used, in the order the requests came.
  preparePlayer([this, use = std::move(use)] {
    createPlayer();
    if (player_) use(*player_);
  });
}

void TembraPlayerWnd::openSources() {
  if (closing_) return;
  SourceList list(setup_.sourcesFile.empty() ? SourceList::defaultPath() : setup_.sourcesFile);
  list.load();
  SourcesDialog dialog(list, setup_.sourceId, this);
  if (dialog.exec() != QDialog::Accepted || closing_) return;
  const std::string chosen = dialog.chosen();
  if (chosen.empty() || chosen == setup_.sourceId || !setup_.switchSource) return;
  list.setLastUsed(chosen);
  if (list.save()) setup_.switchSource(chosen);
}

ProgrammeDetailsView* TembraPlayerWnd::detailsView() {
  if (details_ != nullptr || !created_ || source_->operatorExtras() != nullptr) return details_;
  if (SkinControl* pane = findControl(QStringLiteral("iewnd"))) {
    details_ = new ProgrammeDetailsView(pane);
    details_->show();
  }
  return details_;
}

void TembraPlayerWnd::placeInVideoSlot(QWidget* video) {
  if (SkinVideoSlot* slot = findVideoSlot(QStringLiteral("videoslot"))) {
    slot->setContent(video);
    return;
  }
  video->setParent(this);
  video->setGeometry(kPlayerStartRect.left, kPlayerStartRect.top, kPlayerStartRect.width(),
                     kPlayerStartRect.height());
}

void TembraPlayerWnd::createLoadingPictures() {
  auto make = [this](const char* name, const QRect& rect, const char* file) {
    auto* picture = new CPictureEx(this);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setBackgroundColor(Qt::transparent);
    picture->setGeometry(rect);
    if (picture->openFile(resourcePath() + QString::fromLatin1(file))) picture->play();
    picture->hide();
    picture->raise();
    return picture;
  };
  guideLoadingPicture_ = make("GifGuideList", QRect(0, 0, 160, 20), "frame_channel_notice_load.gif");
  listLoadingPicture_ = make("GifTvList", QRect(0, 0, 91, 37), "frame_channel_list_load.gif");
}

void TembraPlayerWnd::applyLayout() {
  const QSize corner = roundCorner();
  if (!created_ || isMinimized() || (corner.width() == 0 && corner.height() == 0)) return;
  if (look_) look_->applyWidths(width(), height(), isMaximized());
  const CTabLayoutUI* tab = findTabLayout(QStringLiteral("guidetab"));
  const CTabLayoutUI* days = findTabLayout(QStringLiteral("tvswitch"));
  const MainLayout layout = MainLayout::compute(width(), height(), state_, tab != nullptr ? tab->currentPage() : -1,
                                                days != nullptr ? days->currentPage() : -1);
  // The skin's own flow normally gives these same rectangles, and a control
  // placed by hand leaves that flow, moving the siblings after it: only a
  // control that is out of place is placed, and one of the flow only while
  // in sight (it is placed again when it is shown).
  auto place = [this](const std::string& name, const PixelRect& r) {
    SkinControl* c = findControl(QString::fromStdString(name));
    if (c == nullptr || c->position() == toQRect(r)) return;
    if (!c->isFloating() && !c->isVisibleTo(this)) return;
    c->setPosition(r.left, r.top, r.right, r.bottom);
  };
  for (const auto& [name, rect] : layout.controls()) place(name, rect);

  const PixelRect& video = layout.player();
  if (findVideoSlot(QStringLiteral("videoslot")) != nullptr) {
    place("videoslot", video);
  } else if (player_ && player_->control() != nullptr) {
    if (QWidget* w = player_->control()->widget()) w->setGeometry(toQRect(video));
  }

  if (const auto& guide = layout.guideIndicator()) {
    place("noticeload", guide->noticeload);
    guideLoadingPicture_->setGeometry(toQRect(guide->picture));
    place("nonoticelist", guide->nonoticelist);
  }
  place("listload", layout.listIndicator().listload);
  listLoadingPicture_->setGeometry(toQRect(layout.listIndicator().picture));
  if (look_) look_->afterLayout();
}

intptr_t TembraPlayerWnd::handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (closing_) return 0;
  WindowActions& a = *actions_;
  switch (message) {
    case WM_TIMER:
      if (wParam == kListTimer) {
        if (state_.listCountdown > 0) a.CountdownTick();
        else a.StartRefresh();
      } else if (wParam == kGuideTimer) {
        if (state_.guideCountdown > 0) a.TickGuideWait();
        else a.RetryGuidePage();
      }
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam) {
        case SC_CLOSE: a.CloseWindow(); return 0;
        case SC_MAXIMIZE: a.Maximise(); return 0;
        case SC_RESTORE: a.Restore(); return 0;
        case SC_MINIMIZE: a.Minimise(); return 0;
        // Non-zero: the command is swallowed, the display stays on.
        case SC_SCREENSAVE:
        case SC_MONITORPOWER: return a.HoldDisplay() ? 1 : 0;
      }
      return 0;
    case WM_TRAY_CALLBACK:
      return wParam == static_cast<uintptr_t>(TrayIcon::kIconId) ? a.TrayCallback(lParam) : 0;
    case WM_CMD_CLOSE: a.CloseWindow(); return 0;
    case WM_CMD_UPGRADE: a.StartUpdater(wParam != 0); return 0;
    case WM_CMD_RESTORE: a.RestoreOrRaise(); return 0;
    case WM_CMD_ABOUT: a.OpenAbout(); return 0;
    case WM_CMD_SOURCES: a.OpenSources(); return 0;
    case WM_CMD_GUIDEGRID: a.ToggleGuideGrid(); return 0;
    case WM_CMD_HOMEPAGE: a.OpenHomePage(); return 0;
    case WM_BALLOON_CLICKED: return queue_.send(WM_CMD_UPGRADE, 0, 0);
    case WM_UDP_NOTICE:
      if (lParam == 1) {
        a.ForcedUpgrade();
      } else if (lParam == 0 && wParam != 0) {
        // The sender owns the text and frees it once this returns.
        a.ShowNotice(std::u16string(reinterpret_cast<const char16_t*>(wParam)));
      }
      return 0;
    case WM_AD_UPDATED:
      // Until the pane is made after the window's first frame, the page
      // stored now is the one it opens with then.
      if (adPaneDue_) a.ShowRightAd();
      return 0;
    case WM_GUIDE_NOWPLAYING:
    case WM_GUIDE_UPCOMING:
    case WM_GUIDE_FIRSTDAY:
    case WM_GUIDE_SECONDDAY:
    case WM_GUIDE_THIRDDAY:
      a.OnGuideDownloaded(static_cast<GuidePage>(message - WM_GUIDE_NOWPLAYING), wParam != 0);
      return 0;
    case WM_CATALOGUE_LOADED: a.OnCatalogueLoaded(); return 0;
  }
  return 0;
}

void TembraPlayerWnd::notify(const SkinNotification& msg) {
  if (closing_) return;
  if (msg.type == QLatin1String("windowinit")) {
    if (!created_ || startupBegun_) return;
    startupBegun_ = true;
  }
  for (const NotificationRow& row : kNotifications) {
    if (msg.type != QLatin1String(row.type)) continue;
    if (row.sender != nullptr && msg.senderName != QLatin1String(row.sender)) continue;
    row.act(*this, *actions_, msg);
    break;
  }
  // A user's action may have started or stopped playback.
  if (!closing_) screenSaver_->refresh();
}

void TembraPlayerWnd::onTimer(int id) { handleMessage(WM_TIMER, static_cast<uintptr_t>(id), 0); }

void TembraPlayerWnd::onCaptionDoubleClick() {
  if (!closing_) modes_->ToggleMaximise();
}

// In fullscreen the video covers the whole window (PlayerView puts it over
// everything), so nothing under it is laid out or follows the maximise
// rules until the window leaves fullscreen: a layout of every control at
// the screen's size only lengthened the switch.
void TembraPlayerWnd::resizeEvent(QResizeEvent* event) {
  CWindowWnd::resizeEvent(event);
  if (isFullScreen()) return;
  modes_->onResized();
  applyLayout();
}

void TembraPlayerWnd::changeEvent(QEvent* event) {
  CWindowWnd::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && !closing_ && !isFullScreen()) {
    modes_->onStateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
    applyLayout();
  }
}

void TembraPlayerWnd::closeEvent(QCloseEvent* event) {
  // The window manager's close button asks before it ends a recording; a
  // close the program makes (a signal, the session's end) does not.
  if (!closing_ && event->spontaneous() && transport_ && !transport_->confirmLeave(PlaybackTransport::Leave::Close)) {
    event->ignore();
    return;
  }
  if (!closing_) close_->run();
  CWindowWnd::closeEvent(event);
  event->accept();
}

void TembraPlayerWnd::keyPressEvent(QKeyEvent* event) {
  if (closing_) return;
  // Page Up / Page Down and the channel keys: ChannelKeys, before any control.
  switch (event->key()) {
    case Qt::Key_F11:
      actions_->ToggleFullScreen();
      break;
    default:
      CWindowWnd::keyPressEvent(event);
      return;
  }
  screenSaver_->refresh();
}

}  // namespace tembra
