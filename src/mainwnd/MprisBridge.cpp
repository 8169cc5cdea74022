#include "mainwnd/MprisBridge.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <vector>

#include "mainwnd/ChannelPanel.h"
#include "mainwnd/LogoLoader.h"
#include "mainwnd/PanelLook.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/WindowActions.h"
#include "mainwnd/WindowCommands.h"
#include "mpris/MprisService.h"
#include "player/PlayerHost.h"
#include "skin/CListUI.h"
#include "source/ChannelSource.h"
#include "source/GuideSource.h"
#include "source/LogoCache.h"

namespace tembra {

namespace {
const QString kPlaying = QStringLiteral("Playing");
const QString kPaused = QStringLiteral("Paused");
const QString kStopped = QStringLiteral("Stopped");
}  // namespace

MprisBridge::MprisBridge(TembraPlayerWnd& window) : QObject(&window), window_(window) {
  programmeCheck_.setInterval(kProgrammeCheckMs);
  connect(&programmeCheck_, &QTimer::timeout, this, [this] { scheduleChanged(); });
}

MprisBridge::~MprisBridge() = default;

void MprisBridge::start() {
  if (service_ != nullptr || window_.closing()) return;
  service_ = new MprisService(*this, QDBusConnection::sessionBus(), this);
  if (!service_->start()) return;
  if (PlayerControl* c = control()) c->SetChangeHandler([this] { scheduleChanged(); });
  programmeCheck_.start();
}

std::string MprisBridge::LogoFileFor(const SourceChannel& channel, const std::string& folder) {
  if (channel.logo.empty() || folder.empty()) return {};
  std::string path = folder + "/" + LogoCache::fileNameFor(channel.logo);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) ? path : std::string();
}

PlayerControl* MprisBridge::control() const {
  PlayerHost* host = window_.started() && !window_.closing() ? window_.player() : nullptr;
  return host != nullptr ? host->control() : nullptr;
}

void MprisBridge::scheduleChanged() {
  if (changePending_ || service_ == nullptr) return;
  changePending_ = true;
  QTimer::singleShot(0, this, [this] {
    changePending_ = false;
    if (!window_.closing()) service_->changed();
  });
}

NowPlaying MprisBridge::nowPlaying() const {
  NowPlaying now;
  ChannelSource& source = window_.source();
  const std::u16string& id = window_.state().currentChannelId;
  const SourceChannelRef channel = id.empty() ? nullptr : source.findChannel(id);
  if (!channel) return now;
  now.channelId = channel->id;
  now.name = channel->name;
  for (const SourceGroup& group : source.groups())
    if (group.id == channel->groupId) now.group = group.name;
  PanelLook* look = window_.look();
  now.logoFile = LogoFileFor(*channel, look != nullptr && look->logos() != nullptr ? look->logos()->folder() : std::string());
  if (GuideSource* guide = source.guide()) {
    std::vector<GuideProgramme> day;
    // Never a download from here: what the guide holds now or nothing.
    guide->GetDayProgrammes(0, channel->id, day, true);
    const int64_t at = static_cast<int64_t>(std::time(nullptr));
    for (const GuideProgramme& p : day)
      if (p.start <= at && at < p.stop) now.programme = p.entry.title;
  }
  return now;
}

MprisState MprisBridge::state() {
  MprisState s;
  if (window_.closing()) return s;
  PlayerControl* c = control();
  if (c != nullptr && c->IsPaused()) s.status = kPaused;
  else if (c != nullptr && c->QueryState(PlayerControl::kStateHoldDisplay) != 0) s.status = kPlaying;
  else s.status = kStopped;
  s.metadata = MprisMetadata::Build(s.status == kStopped ? NowPlaying{} : nowPlaying());
  const int volume = c != nullptr ? c->Volume() : -1;
  s.volume = volume >= 0 ? volume / 100.0 : 1.0;
  const CListUI* list = window_.findList(QStringLiteral("channellist"));
  const bool channels = list != nullptr && list->count() > 0;
  s.canGoNext = s.canGoPrevious = s.canPlay = s.canPause = channels;
  return s;
}

void MprisBridge::raise() {
  if (!window_.closing()) window_.commands().RestoreOrRaise();
}

void MprisBridge::quit() {
  if (!window_.closing()) window_.actions().CloseWindow();
}

// Goes on after a pause; after a stop the channel last played starts
// again, from its row when the list on show has it (with its marks), else
// the first channel of the list.
void MprisBridge::play() {
  if (window_.closing()) return;
  PlayerControl* c = control();
  if (c != nullptr && c->IsPaused()) {
    c->SetPaused(false);
    return;
  }
  if (c != nullptr && c->QueryState(PlayerControl::kStateHoldDisplay) != 0) return;
  const std::u16string id = window_.state().currentChannelId;
  CListUI* list = window_.findList(QStringLiteral("channellist"));
  const int row = list != nullptr && !id.empty() ? list->findByName(QString::fromStdU16String(id)) : -1;
  if (row >= 0) {
    list->select(row);
    window_.actions().OnChannelListActivate();
  } else if (!id.empty()) {
    window_.channels().PlayChannel(id);
  } else {
    window_.actions().PlayNeighbour(+1);
  }
  scheduleChanged();
}

// A live channel keeps its place: the picture freezes, the channel stays.
void MprisBridge::pause() {
  if (window_.closing()) return;
  if (PlayerControl* c = control(); c != nullptr && c->QueryState(PlayerControl::kStateHoldDisplay) != 0)
    c->SetPaused(true);
}

void MprisBridge::playPause() {
  if (window_.closing()) return;
  if (state().status == kPlaying) pause();
  else play();
}

void MprisBridge::stop() {
  if (window_.closing()) return;
  if (PlayerHost* host = window_.started() ? window_.player() : nullptr) host->StopPlayer();
  scheduleChanged();
}

void MprisBridge::next() {
  if (window_.closing()) return;
  window_.actions().PlayNeighbour(+1);
  scheduleChanged();
}

void MprisBridge::previous() {
  if (window_.closing()) return;
  window_.actions().PlayNeighbour(-1);
  scheduleChanged();
}

void MprisBridge::setVolume(double volume) {
  if (PlayerControl* c = control()) c->SetVolume(static_cast<int>(std::lround(volume * 100.0)));
}

}  // namespace tembra
