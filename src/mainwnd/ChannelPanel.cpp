#include "mainwnd/ChannelPanel.h"

#include "mainwnd/PlaybackTransport.h"

#include <QString>
#include <QUrl>
#include <QVector>

#include "app/ConfigStore.h"
#include "app/LanguageTable.h"
#include "mainwnd/AdPageAddress.h"
#include "mainwnd/DropDownHeight.h"
#include "mainwnd/ListMarker.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/PanelPlacement.h"
#include "mainwnd/ProgrammeDetailsView.h"
#include "mainwnd/StreamAddress.h"
#include "mainwnd/WindowContext.h"
#include "notice/UdpChannel.h"
#include "platform/Utf.h"
#include "player/PlayerHost.h"
#include "skin/CListUI.h"
#include "skin/CWindowWnd.h"
#include "skin/SkinCombo.h"
#include "skin/SkinControl.h"
#include "skin/SkinWebBrowser.h"
#include "source/ChannelSource.h"
#include "source/OperatorExtras.h"
#include "splash/CPictureEx.h"
#include "stats/StatsReporter.h"

namespace tembra {

namespace {

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

QRect markerRect(const ListMarker& m) { return PanelPlacement::toQRect(m.rect); }

void setVisible(CWindowWnd& skin, const char* name, bool visible) {
  if (SkinControl* c = skin.findControl(QString::fromLatin1(name))) c->setVisible(visible);
}

}  // namespace

ChannelPanel::ChannelPanel(WindowContext& window) : window_(window) {}

void ChannelPanel::setTickInterval(int milliseconds) { tickMs_ = std::max(1, milliseconds); }

void ChannelPanel::ShowCatalogueState() {
  if (CPictureEx* picture = window_.listLoadingPicture()) picture->hide();
  if (window_.source().catalogueLoaded() == 0) {
    StartCountdown();
    return;
  }
  CWindowWnd& skin = window_.skin();
  skin.stopTimer(1);
  setVisible(skin, "listlayout", true);
  FillGroupSelector();
  FillChannelList();
  setVisible(skin, "listload", false);
}

// A group already in the selector is not added again: a refresh whose load
// failed leaves the catalogue (and so its groups) as it was.
void ChannelPanel::FillGroupSelector() {
  SkinCombo* combo = window_.skin().findCombo(QStringLiteral("channeltype"));
  if (combo == nullptr) return;
  const WindowState& state = window_.state();
  for (const SourceGroup& group : window_.source().groups()) {
    const QString id = qs(group.id);
    if (combo->findByName(id) >= 0) continue;
    CListLabelElementUI item;
    item.name = id;
    item.text = qs(group.name);
    item.maxHeight = state.rowHeightLimit;
    item.maxWidth = state.rowWidthLimit;
    combo->add(item);
    combo->setDropDownHeight(DropDownHeight::For(combo->count(), state.rowHeightLimit));
  }
}

void ChannelPanel::FillChannelList() {
  CWindowWnd& skin = window_.skin();
  std::u16string key(ChannelSource::kAllGroups);
  if (SkinCombo* combo = skin.findCombo(QStringLiteral("channeltype"))) {
    if (const CListLabelElementUI* selected = combo->item(combo->selectedIndex())) {
      key = selected->name.toStdU16String();
      combo->setToolTip(selected->text);
    }
  }
  const std::vector<SourceChannelRef> channels = window_.source().channels(key);
  CListUI* list = skin.findList(QStringLiteral("channellist"));
  if (list == nullptr) return;
  const WindowState& state = window_.state();
  QVector<CListLabelElementUI> items;
  items.reserve(static_cast<qsizetype>(channels.size()));
  for (const SourceChannelRef& channel : channels) {
    CListLabelElementUI item;
    item.name = qs(channel->id);
    item.text = qs(channel->name);
    item.tooltip = item.text;
    item.maxHeight = state.rowHeightLimit;
    item.maxWidth = state.rowWidthLimit;
    items.append(std::move(item));
  }
  list->replaceAll(std::move(items));
  // The rows are new: the playing channel is marked again where it now is,
  // or nowhere when this group does not have it.
  int& mark = window_.state().channelListMark;
  mark = -1;
  if (!playingId_.empty() && playingMarker_ != nullptr)
    moveMark(*list, mark, list->findByName(qs(playingId_)), playingMarker_);
}

void ChannelPanel::StartCountdown() {
  CWindowWnd& skin = window_.skin();
  setVisible(skin, "listlayout", false);
  setVisible(skin, "listload", true);
  skin.setTimer(1, tickMs_);
  window_.state().listCountdown = LoadCountdown::kStart;
  CountdownTick();
  SkinControl* layout = skin.findControl(QStringLiteral("listlayout"));
  if (layout == nullptr) return;
  PanelPlacement::place(skin.findControl(QStringLiteral("listload")),
                        MainLayout::listIndicator(PanelPlacement::rectOf(layout)).listload);
}

void ChannelPanel::CountdownTick() {
  int& counter = window_.state().listCountdown;
  const std::u16string text = LoadCountdown::text(window_.language().GetText(u"TV_WND_LOAD_TIMER"), counter);
  --counter;
  if (text.empty()) return;
  if (SkinControl* label = window_.skin().findControl(QStringLiteral("listloadtime"))) label->setText(qs(text));
}

void ChannelPanel::StartRefresh() {
  CWindowWnd& skin = window_.skin();
  if (!window_.source().refresh()) {
    // No load could start: count down again and retry then.
    StartCountdown();
    return;
  }
  setVisible(skin, "listload", false);
  skin.stopTimer(1);
  placeRefreshPicture();
}

void ChannelPanel::placeRefreshPicture() {
  CPictureEx* picture = window_.listLoadingPicture();
  if (picture == nullptr) return;
  CWindowWnd& skin = window_.skin();
  if (SkinControl* load = skin.findControl(QStringLiteral("listload")))
    PanelPlacement::place(picture, skin, MainLayout::retryPicture(PanelPlacement::rectOf(load)));
  picture->show();
}

void ChannelPanel::OnCatalogueLoaded() {
  window_.source().catalogueArrived();
  ShowCatalogueState();
  if (window_.source().operatorExtras() == nullptr) ShowRightAd();
  if (UdpChannel* udp = window_.udpChannel()) udp->restart();
}

void ChannelPanel::moveMark(CListUI& list, int& mark, int index, const ListMarker* marker) {
  if (mark != -1) list.clearItemMarker(mark);
  mark = -1;
  if (index < 0 || index >= list.count() || marker == nullptr) return;
  list.setItemMarker(index, qs(marker->image), markerRect(*marker));
  mark = index;
}

void ChannelPanel::OnChannelListActivate() {
  CWindowWnd& skin = window_.skin();
  CListUI* channels = skin.findList(QStringLiteral("channellist"));
  if (channels == nullptr) return;
  const int selected = channels->selectedIndex();
  const CListLabelElementUI* item = channels->item(selected);
  if (item == nullptr) return;
  const std::u16string id = item->name.toStdU16String();
  WindowState& state = window_.state();
  moveMark(*channels, state.channelListMark, selected, &ListMarker::ChannelListPlayed());
  state.currentChannelId = id;
  if (id.empty() || !PlayChannel(id)) return;
  playingMarker_ = &ListMarker::ChannelListPlayed();
  CListUI* playing = skin.findList(QStringLiteral("playinglist"));
  if (playing == nullptr) return;
  // A channel without a now-playing row leaves no row marked: the old mark
  // would point at a channel that no longer plays.
  const int row = playing->findByName(qs(id));
  moveMark(*playing, state.playingListMark, row, &ListMarker::PlayingListFromChannels());
  if (row >= 0) playing->ensureVisible(row);
}

void ChannelPanel::OnPlayingListActivate() {
  CWindowWnd& skin = window_.skin();
  CListUI* playing = skin.findList(QStringLiteral("playinglist"));
  if (playing == nullptr) return;
  const int selected = playing->selectedIndex();
  const CListLabelElementUI* item = playing->item(selected);
  if (item == nullptr) return;
  const std::u16string id = item->name.toStdU16String();
  WindowState& state = window_.state();
  moveMark(*playing, state.playingListMark, selected, &ListMarker::PlayingListPlayed());
  // Refills "channellist" through the selector's "itemselect".
  if (SkinCombo* combo = skin.findCombo(QStringLiteral("channeltype"))) combo->select(0);
  state.currentChannelId = id;
  if (id.empty() || !PlayChannel(id)) return;
  playingMarker_ = &ListMarker::ChannelListFromGuide();
  CListUI* channels = skin.findList(QStringLiteral("channellist"));
  if (channels == nullptr) return;
  const int row = channels->findByName(qs(id));
  moveMark(*channels, state.channelListMark, row, &ListMarker::ChannelListFromGuide());
  if (row >= 0) channels->ensureVisible(row);
}

bool ChannelPanel::PlayChannel(const std::u16string& channelId) {
  ChannelSource& source = window_.source();
  const std::optional<StreamRequest> stream = source.streamFor(channelId);
  if (!stream) return false;
  PlaybackTransport* transport = window_.transport();
  if (transport != nullptr && !transport->confirmLeave(PlaybackTransport::Leave::Switch)) return false;
  const std::u16string address = StreamAddress::ForPlayer(stream->address);
  if (PlayerHost* player = window_.player()) player->PlayAddress(address, stream->name, stream->userAgent, stream->referrer);
  OperatorExtras* extras = source.operatorExtras();
  StatsReporter* stats = window_.stats();
  if (stats != nullptr && extras != nullptr) {
    const std::optional<OperatorExtras::Group> group = extras->groupOfChannel(channelId);
    stats->recordChannelWatch(true, channelId, stream->name, group ? std::u16string_view(group->id) : u"",
                              group ? std::u16string_view(group->name) : u"", StatsReporter::kKindDefault);
  }
  playingId_ = channelId;
  if (transport != nullptr) transport->channelPlayed(channelId, stream->name);
  return true;
}

void ChannelPanel::ShowRightAd() {
  // A source without ads shows programme details there, under its note.
  if (window_.source().operatorExtras() == nullptr) {
    if (ProgrammeDetailsView* view = window_.detailsView()) view->setNote(ProgrammeDetailsView::noteFor(window_.source()));
    return;
  }
  SkinWebBrowser* browser = window_.skin().findWebBrowser(QStringLiteral("iewnd"));
  if (browser == nullptr) return;
  const std::optional<AdPage> page =
      AdPageAddress::Resolve(window_.config().ReadValue(u"WEB_TV_AD_RIGHT", true), fromUtf8(window_.programFolder()));
  if (!page) return;
  browser->navigate(page->remote ? QUrl(qs(page->address)) : QUrl::fromLocalFile(qs(page->address)));
}

// Wraps round at either end, as a remote's channel keys do.
void ChannelPanel::PlayNeighbour(int step) {
  CListUI* channels = window_.skin().findList(QStringLiteral("channellist"));
  if (channels == nullptr || step == 0) return;
  const int count = channels->count();
  if (count == 0) return;
  int from = window_.state().channelListMark;
  if (from < 0 || from >= count) from = channels->selectedIndex();
  int target;
  if (from < 0) target = step > 0 ? 0 : count - 1;
  else target = static_cast<int>(((static_cast<long long>(from) + step) % count + count) % count);
  channels->select(target);
  OnChannelListActivate();
}

}  // namespace tembra
