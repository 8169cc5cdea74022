#include "mainwnd/StartupSequence.h"

#include <QTimer>

#include <memory>
#include <string>

#include "ads/AdUpdater.h"
#include "app/ConfigStore.h"
#include "mainwnd/AfterFirstFrame.h"
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/MprisBridge.h"
#include "mainwnd/StartupRunner.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/TrayIcon.h"
#include "mainwnd/WindowActions.h"
#include "notice/UdpChannel.h"
#include "platform/MessageRelay.h"
#include "player/PlayerHost.h"
#include "source/ChannelSource.h"
#include "source/OperatorExtras.h"
#include "skin/CListUI.h"

namespace tembra {

namespace {
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
  // 2; statistics, notices and ads belong to the operator's service
  ChannelSource* source = w.source_.get();
  OperatorExtras* extras = source->operatorExtras();
  auto reporter = std::make_shared<std::unique_ptr<StatsReporter>>();
  if (extras != nullptr) {
    runner.addStep(
        [reporter, server = extras->statisticsServer(), setup = w.setup_.stats] {
          *reporter = StatsReporter::create(server, setup);
        },
        [&w, reporter] {
          w.stats_ = std::move(*reporter);
          StartupTrace::mark("reporter-made");
        });
  }
  // 3, 4
  runner.addGuiStep([&w] {
    w.tray_ = std::make_unique<TrayIcon>(w, w.state_, w.queue_);
    w.tray_->add(w.text(u"TV_WND_CAPTION_TEXT"));
    if (w.stats_) w.stats_->markCatalogueStart();
  });
  // 5
  runner.addStep([source, target = &w.queue_] { source->load(target, WM_CATALOGUE_LOADED); },
                 [] { StartupTrace::mark("catalogue-loaded"); });
  // 6, 7
  runner.addGuiStep([&w, source] {
    if (w.stats_ && source->catalogueLoaded()) w.stats_->recordCatalogueLoaded();
    w.channels_->ShowCatalogueState();
    StartupTrace::mark("channels-listed");
  });
  // 8
  runner.addStep([source, target = &w.queue_] { source->createGuide(target); },
                 [&w] {
                   StartupTrace::mark("guide-made");
                   w.guidePanel_->ShowNowPlaying(true);
                 });
  // 9 to 12
  runner.addGuiStep([&w, extras] {
    if (extras != nullptr) {
      w.udpChannel_ = std::make_unique<UdpChannel>([extras] { return extras->serverAddress(); }, &w.queue_);
      w.adUpdater_ = std::make_unique<AdUpdater>(w.programFolder_, *w.config_, extras->currentServer(),
                                                 std::shared_ptr<MessageTarget>(w.relay_));
    }
    if (w.stats_) w.stats_->recordStartup(true);
    if (w.setup_.endSplash) w.setup_.endSplash();
  });
  // 13
  runner.addGuiStep([this] { showWindow(); });
  runner.run();
}

void StartupSequence::showWindow() {
  TembraPlayerWnd& w = w_;
  if (w.closing_) return;
  // The player (its library, the video surface and the web engine behind
  // its idle page) and the ad pane are the slowest things to start: they
  // come once the window is on the screen with its channels, one turn of
  // the event loop each, so that no two add up to one freeze. The library
  // loads on a worker (a channel played before that waits for it there).
  // It does not start before the first frame: a load holds the dynamic
  // loader's lock, which the first paint needs too.
  AfterFirstFrame::call(&w, [&w] {
    w.preparePlayer([&w] {
      w.createPlayer();
      QTimer::singleShot(0, &w, [&w] {
        if (w.closing_) return;
        w.adPaneDue_ = true;
        w.actions_->ShowRightAd();
        // The idle page has been made and loaded by now (its turns were
        // queued first): the window is all there.
        QTimer::singleShot(0, &w, [&w] { w.setProperty(StartupTrace::kSettledProperty, true); });
      });
    });
  });
  if (StartupTrace::enabled()) {
    w.winId();
    StartupTrace::markFirstPicture(w.windowHandle(), "window-painted");
  }
  w.showNormal();
  w.started_ = true;
  // On the bus after the first frame: connecting to it may take a moment.
  if (w.mpris_ != nullptr) QTimer::singleShot(0, w.mpris_, &MprisBridge::start);
  w.screenSaverPoll_.start(TembraPlayerWnd::kScreenSaverPollMs);
  w.queue_.release();
  w.channels_->WindowStarted();

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
}

}  // namespace tembra
