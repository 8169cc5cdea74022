#include "mainwnd/StartupSequence.h"

#include <QTimer>

#include <memory>
#include <string>

#include "ads/AdUpdater.h"
#include "app/ConfigStore.h"
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/StartupRunner.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/TrayIcon.h"
#include "mainwnd/WindowActions.h"
#include "notice/UdpChannel.h"
#include "player/PlayerHost.h"
#include "service/ServiceClient.h"
#include "skin/CListUI.h"

namespace tembra {

namespace {
const std::u16string kServiceType = u"1";
// How often the start-up trace looks for the first channel in the list.
constexpr int kTracePollMs = 5;
}  // namespace

void StartupSequence::run() {
  TembraPlayerWnd& w = w_;
  if (w.started_ || w.closing_) return;
  StartupTrace::mark("startup-begin");

  StartupRunner runner;
  // 1
  runner.addGuiStep([&w] { w.hide(); });
  // 2
  auto reporter = std::make_shared<std::unique_ptr<StatsReporter>>();
  runner.addStep(
      [reporter, server = w.config_->ReadValue(u"BIServer", true), setup = w.setup_.stats] {
        *reporter = StatsReporter::create(server, setup);
      },
      [&w, reporter] { w.stats_ = std::move(*reporter); });
  // 3, 4
  runner.addGuiStep([&w] {
    w.tray_ = std::make_unique<TrayIcon>(w, w.state_, w.queue_);
    w.tray_->add(w.text(u"TV_WND_CAPTION_TEXT"));
    w.stats_->markCatalogueStart();
  });
  // 5
  runner.addStep([service = w.service_, target = &w.queue_] {
    service->Configure(kServiceType, target, WM_CATALOGUE_LOADED, service->ReadServerList());
  });
  // 6, 7; the server and session that sign-in settled on serve steps 8 to 10
  auto server = std::make_shared<std::u16string>();
  auto session = std::make_shared<std::u16string>();
  runner.addGuiStep([&w, server, session] {
    if (w.service_->catalogueLoaded()) w.stats_->recordCatalogueLoaded();
    w.channels_->ShowCatalogueState();
    *server = w.service_->currentServer();
    *session = w.service_->sessionId();
  });
  // The player is GUI work: it is made while the worker downloads the guide.
  runner.addGuiStep([&w] { QMetaObject::invokeMethod(&w, [&w] { w.createPlayer(); }, Qt::QueuedConnection); });
  // 8
  auto guide = std::make_shared<std::unique_ptr<ProgrammeGuide>>();
  runner.addStep(
      [guide, server, session, options = w.setup_.guide, target = &w.queue_] {
        *guide = std::make_unique<ProgrammeGuide>(*server, *session, kServiceType, options);
        // At once: a first download that outlasts the creation's wait
        // reports its end here (held until the window shows).
        (*guide)->SetResultWindow(target);
      },
      [&w, guide] {
        w.guide_ = std::move(*guide);
        w.guidePanel_->ShowNowPlaying(true);
      });
  // 9 to 13
  runner.addGuiStep([&w, server] {
    ServiceClient* service = w.service_;
    w.udpChannel_ = std::make_unique<UdpChannel>([service] { return service->serverAddress(); }, &w.queue_);
    w.adUpdater_ = std::make_unique<AdUpdater>(w.programFolder_, *w.config_, *server, &w.queue_);
    w.stats_->recordStartup(true);
    if (w.setup_.endSplash) w.setup_.endSplash();
  });
  runner.addGuiStep([this] { showWindow(); });
  runner.run();
}

void StartupSequence::showWindow() {
  TembraPlayerWnd& w = w_;
  if (w.closing_) return;
  w.createPlayer();
  if (StartupTrace::enabled()) {
    w.winId();
    StartupTrace::markFirstPicture(w.windowHandle(), "window-painted");
  }
  w.showNormal();
  if (w.player_ && w.player_->control() && w.player_->control()->HasWindow()) w.player_->control()->ShowWindow(true);
  w.started_ = true;
  w.screenSaverPoll_.start(TembraPlayerWnd::kScreenSaverPollMs);
  w.queue_.release();

  if (StartupTrace::enabled()) {
    StartupTrace::mark("window-shown");
    // The list may fill now or, after a failed first load, on a later
    // catalogue message.
    auto* poll = new QTimer(&w);
    auto look = [poll, list = w.findList(QStringLiteral("channellist"))] {
      if (list == nullptr || list->count() == 0) return;
      StartupTrace::mark("channel-list-filled", std::to_string(list->count()));
      poll->deleteLater();
      poll->stop();
    };
    QObject::connect(poll, &QTimer::timeout, &w, look);
    poll->start(kTracePollMs);
    look();
  }
  // The ad pane's web view is the slowest thing to start; it comes after
  // the first picture.
  QTimer::singleShot(0, &w, [&w] {
    if (!w.closing_) w.actions_->ShowRightAd();
  });
}

}  // namespace tembra
