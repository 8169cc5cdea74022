#include "mainwnd/CloseSequence.h"

#include <QCoreApplication>

#include "mainwnd/ProgramLauncher.h"
#include "mainwnd/ScreenSaverRule.h"
#include "mainwnd/SingleInstance.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/SystemMessages.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/TrayIcon.h"
#include "player/PlayerHost.h"

namespace tembra {

void CloseSequence::run() {
  TembraPlayerWnd& w = w_;
  if (w.closing_) return;
  StartupTrace::mark("close-begin");
  w.closing_ = true;
  w.queue_.beginClosing();

  w.stopTimer(static_cast<int>(kListTimer));
  w.stopTimer(static_cast<int>(kGuideTimer));
  w.screenSaverPoll_.stop();
  w.screenSaver_->release();
  if (w.setup_.instance != nullptr) w.setup_.instance->stopListening();
  if (w.tray_ && w.state_.trayIconAdded) w.tray_->remove();
  w.hide();
  // Closed while starting: the splash must not outlive the window.
  if (!w.started_ && w.setup_.endSplash) w.setup_.endSplash();

  if (w.stats_) {
    w.stats_->recordShutdown();
    w.stats_->waitForUploadEnd(StatsReporter::kCloseWait);
  }
  StartupTrace::mark("close-uploaded");
  if (!w.state_.updaterStarted) ProgramLauncher::launch(w.programFolder_, kAdProgram);
  if (w.player_) w.player_->Release();
  StartupTrace::mark("close-player-released");

  if (w.setup_.quit) w.setup_.quit(0);
  else QCoreApplication::exit(0);
}

}  // namespace tembra
