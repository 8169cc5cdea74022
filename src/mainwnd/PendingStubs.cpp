// Temporary do-nothing definitions of the channel and guide panels, built on
// another branch, so the window links until they arrive.
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/GuidePanel.h"

namespace tembra {

ChannelPanel::ChannelPanel(WindowContext& window) : window_(window) {}
void ChannelPanel::ShowCatalogueState() {}
void ChannelPanel::FillGroupSelector() {}
void ChannelPanel::FillChannelList() {}
void ChannelPanel::StartCountdown() {}
void ChannelPanel::CountdownTick() {}
void ChannelPanel::StartRefresh() {}
void ChannelPanel::OnCatalogueLoaded() {}
void ChannelPanel::OnChannelListActivate() {}
void ChannelPanel::OnPlayingListActivate() {}
bool ChannelPanel::PlayChannel(const std::u16string&) { return false; }
void ChannelPanel::ShowRightAd() {}
void ChannelPanel::PlayNeighbour(int) {}

GuidePanel::GuidePanel(WindowContext& window) : window_(window) {}
void GuidePanel::ShowNowPlaying(bool) {}
void GuidePanel::ShowUpcoming(bool) {}
void GuidePanel::ShowDayList(int, bool) {}
void GuidePanel::ShowGuidePage(GuidePage) {}
void GuidePanel::TickGuideWait() {}
void GuidePanel::RetryGuidePage() {}
void GuidePanel::OnGuideDownloaded(GuidePage, bool) {}
void GuidePanel::OpenChannelGuide(const std::u16string&, const std::u16string&) {}

}  // namespace tembra

