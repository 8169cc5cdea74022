#include "mainwnd/ChannelPanel.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QString>
#include <QUrl>
#include <QVector>

#include "app/ConfigStore.h"
#include "app/LanguageTable.h"
#include "mainwnd/AdPageAddress.h"
#include "mainwnd/DropDownHeight.h"
#include "mainwnd/ListMarker.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/PlaybackTransport.h"
#include "mainwnd/PanelPlacement.h"
#include "mainwnd/ProgrammeDetailsView.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/StreamAddress.h"
#include "mainwnd/WindowContext.h"
#include "notice/UdpChannel.h"
#include "platform/Utf.h"
#include "player/PlayerHost.h"
#include "skin/CListUI.h"
#include "skin/CWindowWnd.h"
#include "skin/SkinCombo.h"
#include "skin/SkinControl.h"
#include "skin/SkinEdit.h"
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

ChannelPanel::ChannelPanel(WindowContext& window, std::string favouritesFile)
    : window_(window),
      favourites_(std::move(favouritesFile)),
      writer_([path = favourites_.path()](const std::string& text) { return Favourites::writeText(path, text); }) {
  favourites_.load();
  saveTimer_.setSingleShot(true);
  saveTimer_.callOnTimeout([this] { saveNow(); });
}

ChannelPanel::~ChannelPanel() {
  if (saveTimer_.isActive()) saveNow();
}

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
  // A refresh may have renamed channels or given them new ids: the kept
  // ones follow before the rows are made.
  if (!favourites_.favourites().empty() || !favourites_.recent().empty()) {
    std::vector<Favourites::Channel> catalogue;
    for (const SourceChannelRef& c : window_.source().channels(ChannelSource::kAllGroups))
      catalogue.push_back({c->id, c->name});
    if (favourites_.reconcile(catalogue)) saveNow();
  }
  const WindowState& state = window_.state();
  index_.rebuild(window_.source(), favourites_, {state.rowHeightLimit, state.rowWidthLimit});
  FillGroupSelector();
  refillList();
  setVisible(skin, "listload", false);
  maybeResume();
}

// A group already in the selector is not added again: a refresh whose load
// failed leaves the catalogue (and so its groups) as it was.
void ChannelPanel::FillGroupSelector() {
  SkinCombo* combo = window_.skin().findCombo(QStringLiteral("channeltype"));
  if (combo == nullptr) return;
  const WindowState& state = window_.state();
  std::vector<SourceGroup> groups = {{std::u16string(ChannelSource::kAllGroups), u"All channels"},
                                     {std::u16string(kFavouritesGroup), u"Favourites"},
                                     {std::u16string(kRecentGroup), u"Recently watched"}};
  for (SourceGroup& g : window_.source().groups()) groups.push_back(std::move(g));
  for (const SourceGroup& group : groups) {
    const QString id = qs(group.id);
    if (combo->findByName(id) >= 0) continue;
    CListLabelElementUI item;
    item.name = id;
    item.text = qs(group.name);
    item.tooltip = item.text;
    item.maxHeight = state.rowHeightLimit;
    item.maxWidth = state.rowWidthLimit;
    combo->add(item);
  }
  // Every group in reach: as many rows as the screen has room for (the
  // drop-down itself keeps within the screen where it opens).
  const QScreen* screen = combo->screen() != nullptr ? combo->screen() : QGuiApplication::primaryScreen();
  const int room = screen != nullptr ? screen->availableGeometry().height() : 0;
  combo->setDropDownHeight(DropDownHeight::For(combo->count(), state.rowHeightLimit, room));
}

std::u16string ChannelPanel::selectedGroup() const {
  if (SkinCombo* combo = window_.skin().findCombo(QStringLiteral("channeltype")))
    if (const CListLabelElementUI* selected = combo->item(combo->selectedIndex())) return selected->name.toStdU16String();
  return std::u16string(ChannelSource::kAllGroups);
}

std::vector<SourceChannelRef> ChannelPanel::groupChannels(std::u16string_view group) const {
  const ChannelSource& source = window_.source();
  if (group != kFavouritesGroup && group != kRecentGroup) return source.channels(group);
  std::vector<SourceChannelRef> out;
  for (const Favourites::Channel& kept : group == kFavouritesGroup ? favourites_.favourites() : favourites_.recent())
    if (SourceChannelRef c = source.findChannel(kept.id)) out.push_back(std::move(c));
  return out;
}

std::vector<SourceChannelRef> ChannelPanel::channelsOnShow() {
  if (searchText_.isEmpty()) return groupChannels(selectedGroup());
  std::vector<SourceChannelRef> out;
  for (uint32_t i : index_.search(searchText_)) out.push_back(index_.channel(static_cast<int>(i)));
  return out;
}

void ChannelPanel::FillChannelList() {
  if (!searchText_.isEmpty()) {
    searchText_.clear();
    clearSearchField();
  }
  refillList();
}

void ChannelPanel::clearSearchField() {
  // The field's change comes back through SetSearchText, which finds the
  // search already given up.
  if (auto* field = qobject_cast<SkinEdit*>(window_.skin().findControl(QStringLiteral("channelsearch"))))
    field->setEditText(QString());
}

void ChannelPanel::SetSearchText(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed == searchText_) return;
  searchText_ = trimmed;
  refillList();
}

void ChannelPanel::refillList() {
  CWindowWnd& skin = window_.skin();
  if (SkinCombo* combo = skin.findCombo(QStringLiteral("channeltype")))
    if (const CListLabelElementUI* selected = combo->item(combo->selectedIndex())) combo->setToolTip(selected->text);
  QVector<CListLabelElementUI> rows;
  if (!searchText_.isEmpty()) {
    const std::vector<uint32_t> found = index_.search(searchText_);
    rows.reserve(static_cast<qsizetype>(found.size()));
    for (uint32_t i : found) rows.append(index_.row(static_cast<int>(i)));
  } else if (const std::u16string group = selectedGroup(); group == ChannelSource::kAllGroups) {
    rows = index_.rows();
  } else {
    const std::vector<SourceChannelRef> channels = groupChannels(group);
    rows.reserve(static_cast<qsizetype>(channels.size()));
    for (const SourceChannelRef& channel : channels) rows.append(index_.rowFor(*channel, favourites_));
  }
  if (CListUI* list = skin.findList(QStringLiteral("channellist"))) list->setEmptyText(emptyListText());
  showRows(std::move(rows));
}

// What the channel list says when the search or the group it shows has no
// channel; a catalogue that has none at all says so in its own panel.
QString ChannelPanel::emptyListText() const {
  if (!searchText_.isEmpty()) return QStringLiteral("No channel matches \u201c%1\u201d").arg(searchText_);
  const std::u16string group = selectedGroup();
  if (group == kFavouritesGroup)
    return QStringLiteral("No favourites yet. Right-click a channel to add it.");
  if (group == kRecentGroup) return QStringLiteral("The channels you watch will be listed here.");
  return {};
}

void ChannelPanel::showRows(QVector<CListLabelElementUI> rows) {
  CListUI* list = window_.skin().findList(QStringLiteral("channellist"));
  if (list == nullptr) return;
  list->replaceAll(std::move(rows));
  // The rows are new: the playing channel is marked again where it now is,
  // or nowhere when this list does not have it.
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
  // The viewer's group (or search) stays: the channel is marked only
  // where the list shown has it.
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
  window_.withPlayer([address, stream = *stream](PlayerHost& player) {
    player.PlayAddress(address, stream.name, stream.userAgent, stream.referrer);
  });
  OperatorExtras* extras = source.operatorExtras();
  StatsReporter* stats = window_.stats();
  if (stats != nullptr && extras != nullptr) {
    const std::optional<OperatorExtras::Group> group = extras->groupOfChannel(channelId);
    stats->recordChannelWatch(true, channelId, stream->name, group ? std::u16string_view(group->id) : u"",
                              group ? std::u16string_view(group->name) : u"", StatsReporter::kKindDefault);
  }
  playingId_ = channelId;
  if (transport != nullptr) transport->channelPlayed(channelId, stream->name);
  noteWatched(channelId);
  StartupTrace::mark("channel-played", toUtf8(channelId));
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

void ChannelPanel::WindowStarted() {
  started_ = true;
  maybeResume();
}

void ChannelPanel::maybeResume() {
  if (!started_ || resumeDone_ || window_.source().catalogueLoaded() == 0) return;
  resumeDone_ = true;
  if (!favourites_.resumeLast() || favourites_.recent().empty() || !playingId_.empty()) return;
  const std::u16string id = favourites_.recent().front().id;
  if (!window_.source().findChannel(id)) return;
  CListUI* list = window_.skin().findList(QStringLiteral("channellist"));
  const int row = list != nullptr ? list->findByName(qs(id)) : -1;
  if (row >= 0) {
    PlayRow(row);
    return;
  }
  window_.state().currentChannelId = id;
  if (PlayChannel(id)) playingMarker_ = &ListMarker::ChannelListPlayed();
}

bool ChannelPanel::PlayRow(int row) {
  CListUI* list = window_.skin().findList(QStringLiteral("channellist"));
  if (list == nullptr || row < 0 || row >= list->count()) return false;
  list->select(row);
  OnChannelListActivate();
  return playingId_ == list->item(row)->name.toStdU16String();
}

bool ChannelPanel::PlayNumber(int number) {
  const int index = index_.indexOfNumber(number);
  if (index < 0) return false;
  const std::u16string id = index_.channel(index)->id;
  CListUI* list = window_.skin().findList(QStringLiteral("channellist"));
  if (list != nullptr) {
    if (const int row = list->findByName(qs(id)); row >= 0) return PlayRow(row);
  }
  // Not in the list shown: played without leaving the viewer's group.
  WindowState& state = window_.state();
  state.currentChannelId = id;
  if (list != nullptr) moveMark(*list, state.channelListMark, -1, nullptr);
  if (!PlayChannel(id)) return false;
  playingMarker_ = &ListMarker::ChannelListPlayed();
  if (CListUI* playing = window_.skin().findList(QStringLiteral("playinglist")))
    moveMark(*playing, state.playingListMark, playing->findByName(qs(id)), &ListMarker::PlayingListFromChannels());
  return true;
}

bool ChannelPanel::IsFavourite(int row) const {
  CListUI* list = window_.skin().findList(QStringLiteral("channellist"));
  const CListLabelElementUI* item = list != nullptr ? list->item(row) : nullptr;
  return item != nullptr && favourites_.isFavourite(item->name.toStdU16String());
}

bool ChannelPanel::ToggleFavourite(int row) {
  CListUI* list = window_.skin().findList(QStringLiteral("channellist"));
  const CListLabelElementUI* item = list != nullptr ? list->item(row) : nullptr;
  if (item == nullptr) return false;
  const std::u16string id = item->name.toStdU16String();
  const bool on = favourites_.toggle({id, item->text.toStdU16String()});
  index_.setFavourite(id, on);
  saveNow();
  if (ShowingFavourites()) {
    refillList();
    if (list->count() > 0) list->select(std::min(row, list->count() - 1));
    return on;
  }
  CListLabelElementUI changed = *item;
  changed.favourite = on;
  list->setItem(row, changed);
  return on;
}

// Kept favourites the catalogue does not have (yet) are not in the list:
// a move steps over them, so the row moves past a row the viewer sees.
bool ChannelPanel::MoveFavourite(int row, int step) {
  CListUI* list = window_.skin().findList(QStringLiteral("channellist"));
  const CListLabelElementUI* item = list != nullptr ? list->item(row) : nullptr;
  if (item == nullptr || !ShowingFavourites() || row + step < 0 || row + step >= list->count()) return false;
  const std::u16string id = item->name.toStdU16String();
  const std::u16string passing = list->item(row + step)->name.toStdU16String();
  bool moved = false;
  for (;;) {
    const std::vector<Favourites::Channel>& kept = favourites_.favourites();
    const auto at = std::find_if(kept.begin(), kept.end(), [&](const Favourites::Channel& c) { return c.id == id; });
    const long next = static_cast<long>(at - kept.begin()) + step;
    if (at == kept.end() || next < 0 || next >= static_cast<long>(kept.size())) break;
    const bool wasPassing = kept[static_cast<size_t>(next)].id == passing;
    if (!favourites_.move(id, step)) break;
    moved = true;
    if (wasPassing) break;
  }
  if (!moved) return false;
  saveNow();
  refillList();
  list->select(row + step);
  return true;
}

std::u16string ChannelPanel::StreamAddressOf(int row) const {
  CListUI* list = window_.skin().findList(QStringLiteral("channellist"));
  const CListLabelElementUI* item = list != nullptr ? list->item(row) : nullptr;
  if (item == nullptr) return {};
  const std::optional<StreamRequest> stream = window_.source().streamFor(item->name.toStdU16String());
  return stream ? stream->address : std::u16string();
}

void ChannelPanel::noteWatched(const std::u16string& channelId) {
  const SourceChannelRef channel = window_.source().findChannel(channelId);
  favourites_.noteWatched({channelId, channel ? channel->name : std::u16string()});
  saveSoon();
}

void ChannelPanel::saveSoon() {
  if (!saveTimer_.isActive()) saveTimer_.start(kRecentSaveMs);
}

void ChannelPanel::saveNow() {
  saveTimer_.stop();
  if (favourites_.writable()) writer_.submit(favourites_.text());
}

}  // namespace tembra
