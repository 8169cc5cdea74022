#include "mainwnd/MainWindowActions.h"

#include "mainwnd/PlaybackTransport.h"
#include <QCursor>

#include "mainwnd/ChannelPanel.h"
#include "mainwnd/GuideGridHost.h"
#include "mainwnd/StartupSequence.h"
#include "mainwnd/ScreenSaverRule.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/WindowCommands.h"
#include "mainwnd/WindowModes.h"
#include "player/PlayerHost.h"
#include "player/PlayerView.h"
#include "skin/CListUI.h"
#include "skin/CTabLayoutUI.h"

namespace tembra {

void MainWindowActions::RunStartup() { StartupSequence(w_).run(); }
void MainWindowActions::CloseWindow() {
  // The viewer's own close asks before it ends a recording.
  if (PlaybackTransport* t = w_.transport(); t != nullptr && !t->confirmLeave(PlaybackTransport::Leave::Close)) return;
  w_.commands().CloseWindow();
}
void MainWindowActions::StartUpdater(bool forced) { w_.commands().StartUpdater(forced); }
void MainWindowActions::RestoreOrRaise() { w_.commands().RestoreOrRaise(); }
void MainWindowActions::OpenAbout() { w_.commands().OpenAbout(); }
void MainWindowActions::OpenHomePage() { w_.commands().OpenHomePage(); }
void MainWindowActions::OpenSources() { w_.openSources(); }
void MainWindowActions::ToggleGuideGrid() { w_.guideGrid().toggle(); }
void MainWindowActions::ForcedUpgrade() { w_.commands().ForcedUpgrade(); }
void MainWindowActions::ShowNotice(const std::u16string& text) { w_.commands().ShowNotice(text); }
int MainWindowActions::TrayCallback(intptr_t mouseMessage) { return w_.commands().TrayCallback(mouseMessage); }

void MainWindowActions::Maximise() { w_.modes().Maximise(); }
void MainWindowActions::Restore() { w_.modes().Restore(); }
void MainWindowActions::Minimise() { w_.modes().Minimise(); }
void MainWindowActions::HidePanel() { w_.modes().HidePanel(); }
void MainWindowActions::ShowPanel() { w_.modes().ShowPanel(); }
void MainWindowActions::SetTopmost(bool on) { w_.modes().SetTopmost(on); }
bool MainWindowActions::HoldDisplay() { return w_.screenSaver().holdDisplay(); }

// The player's own view knows full screen (its double click and F11 go to
// it directly); this is for the key when it reaches the window instead.
void MainWindowActions::ToggleFullScreen() {
  PlayerHost* host = w_.player();
  PlayerControl* control = host != nullptr ? host->control() : nullptr;
  if (control == nullptr) return;
  if (auto* view = qobject_cast<PlayerView*>(control->widget())) view->setFullScreen(!view->fullScreen());
}

void MainWindowActions::CountdownTick() { w_.channels().CountdownTick(); }
void MainWindowActions::StartRefresh() { w_.channels().StartRefresh(); }
void MainWindowActions::OnCatalogueLoaded() { w_.channels().OnCatalogueLoaded(); }
void MainWindowActions::ShowProgrammeDetails(GuidePage page, int row) { w_.guidePanel().ShowDetails(page, row); }
void MainWindowActions::OpenGuideRowMenu(GuidePage page, int row) {
  w_.guidePanel().OpenRowMenu(page, row, QCursor::pos(), [this](const std::u16string& id) { w_.channels().PlayChannel(id); });
}
void MainWindowActions::ShowRightAd() { w_.channels().ShowRightAd(); }
void MainWindowActions::FillChannelList() {
  w_.channels().FillChannelList();
  w_.guideGrid().channelsChanged();
}
void MainWindowActions::OnChannelListActivate() { w_.channels().OnChannelListActivate(); }
void MainWindowActions::OnPlayingListActivate() { w_.channels().OnPlayingListActivate(); }
// A viewer reading a channel's days (page 0 of "guidetab") while zapping
// keeps reading the days of the channel now playing.
void MainWindowActions::PlayNeighbour(int step) {
  w_.channels().PlayNeighbour(step);
  CTabLayoutUI* tab = w_.findTabLayout(QStringLiteral("guidetab"));
  CListUI* list = w_.findList(QStringLiteral("channellist"));
  if (tab == nullptr || tab->currentPage() != 0 || list == nullptr) return;
  const CListLabelElementUI* item = list->item(w_.state().channelListMark);
  if (item != nullptr) OpenChannelGuide(item->name.toStdU16String(), item->text.toStdU16String());
}

void MainWindowActions::PageChannelList(int direction) {
  CListUI* list = w_.findList(QStringLiteral("channellist"));
  if (list == nullptr) return;
  if (direction < 0) list->pageUp();
  else list->pageDown();
}

void MainWindowActions::TickGuideWait() { w_.guidePanel().TickGuideWait(); }
void MainWindowActions::RetryGuidePage() { w_.guidePanel().RetryGuidePage(); }
void MainWindowActions::OnGuideDownloaded(GuidePage page, bool ok) {
  w_.guidePanel().OnGuideDownloaded(page, ok);
  if (ok) w_.guideGrid().guideChanged();
}
void MainWindowActions::ShowGuidePage(GuidePage page) { w_.guidePanel().ShowGuidePage(page); }
void MainWindowActions::OpenChannelGuide(const std::u16string& id, const std::u16string& name) {
  w_.guidePanel().OpenChannelGuide(id, name);
}

void MainWindowActions::PlayPastProgramme(GuidePage page) { w_.guidePanel().PlayPastProgramme(page); }

}  // namespace tembra
