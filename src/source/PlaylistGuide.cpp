#include "source/PlaylistGuide.h"

#include <sys/stat.h>

#include <ctime>

#include "platform/MessageTarget.h"
#include "platform/Utf.h"
#include "platform/XdgFolders.h"
#include "source/XmltvGuideLoad.h"
#include "xmltv/XmltvStore.h"

namespace tembra {

namespace {

std::tm localOf(int64_t utc) {
  std::tm fields{};
  const std::time_t t = static_cast<std::time_t>(utc);
  localtime_r(&t, &fields);
  return fields;
}

std::u16string format(const char* pattern, int64_t utc) {
  const std::tm fields = localOf(utc);
  char text[64];
  const size_t n = std::strftime(text, sizeof text, pattern, &fields);
  return fromUtf8(std::string_view(text, n));
}

GuideEntry entryOf(const XmltvProgramme& p) {
  GuideEntry entry;
  entry.title = fromUtf8(p.title);
  entry.startdate = format("%Y-%m-%d", p.start);
  entry.enddate = format("%Y-%m-%d", p.stop);
  entry.starttime = format("%H:%M:%S", p.start);
  return entry;
}

// Seconds since the file was written, by the machine's clock (the guide's
// own clock may stand elsewhere); -1 for no file.
int64_t fileAge(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return -1;
  return static_cast<int64_t>(std::time(nullptr)) - static_cast<int64_t>(info.st_mtime);
}

}  // namespace

struct PlaylistGuide::Loaded {
  XmltvStore store;
};

PlaylistGuide::PlaylistGuide(SourceSettings settings, Options options)
    : settings_(std::move(settings)), options_(std::move(options)) {}

PlaylistGuide::~PlaylistGuide() {
  std::jthread thread;
  {
    std::lock_guard guard(lock_);
    thread = std::move(thread_);
  }
  // The jthread's destructor asks it to stop and joins it; its downloads
  // end at once on the request.
}

int64_t PlaylistGuide::now() const { return options_.now ? options_.now() : static_cast<int64_t>(std::time(nullptr)); }

std::vector<std::string> PlaylistGuide::locations() const {
  std::vector<std::string> out = settings_.guides;
  if (catalogue_) {
    for (const std::string& guide : catalogue_->playlist().guides)
      if (std::find(out.begin(), out.end(), guide) == out.end()) out.push_back(guide);
  }
  return out;
}

void PlaylistGuide::start(MessageTarget* target, std::shared_ptr<const PlaylistCatalogue> catalogue) {
  target_ = target;
  catalogue_ = std::move(catalogue);
  if (catalogue_ && !locations().empty()) startLoad();
}

bool PlaylistGuide::startLoad() {
  std::lock_guard guard(lock_);
  if (loading_ || !catalogue_) return loading_;
  if (locations().empty()) {
    status_ = u"The playlist names no guide; add one in the source's settings.";
    return false;
  }
  loading_ = true;
  std::jthread old = std::move(thread_);  // it has ended: loading_ was false
  if (old.joinable()) old.join();
  try {
    thread_ = std::jthread([this](std::stop_token stop) { loadThread(stop); });
  } catch (const std::system_error&) {
    loading_ = false;
    return false;
  }
  return true;
}

// The cache is used while it is fresh; otherwise each guide is downloaded,
// its raw copy replacing the cached one once it arrived whole. A download
// that fails falls back on the cached copy however old it is.
void PlaylistGuide::loadThread(std::stop_token stop) {
  const int64_t at = now();
  std::vector<GuideFetch> fetches;
  const std::vector<std::string> where = locations();
  const bool caching = !options_.cacheFolder.empty() && XdgFolders::ensure(options_.cacheFolder);
  for (size_t i = 0; i < where.size(); ++i) {
    GuideFetch fetch;
    fetch.request.location = where[i];
    fetch.request.userAgent = settings_.userAgent;
    fetch.request.limits = options_.limits;
    if (caching) {
      fetch.cachePath = options_.cacheFolder + "/guide-" + std::to_string(i) + ".xml";
      const int64_t age = fileAge(fetch.cachePath);
      fetch.cacheFresh = age >= 0 && age < options_.maxAge.count();
    }
    fetches.push_back(std::move(fetch));
  }
  std::vector<XmltvPlaylistChannel> channels;
  channels.reserve(catalogue_->size());
  for (const PlaylistChannel& c : catalogue_->playlist().channels)
    channels.push_back({c.tvgId, c.tvgName, c.name, c.shift + settings_.offsetHours});

  GuideLoadOutcome outcome = loadGuides(fetches, channels, at, stop);
  if (stop.stop_requested()) return;
  bool ok = false;
  {
    std::lock_guard guard(lock_);
    loading_ = false;
    if (outcome.store) {
      auto loaded = std::make_shared<Loaded>();
      loaded->store = std::move(*outcome.store);
      loaded_ = std::move(loaded);
    }
    ok = loaded_ != nullptr;
    status_ = fromUtf8(outcome.problem);
  }
  if (target_ == nullptr) return;
  for (uint32_t message = WM_GUIDE_NOWPLAYING; message <= WM_GUIDE_THIRDDAY; ++message)
    target_->post(message, ok ? 1 : 0, static_cast<intptr_t>(message - WM_GUIDE_NOWPLAYING));
}

int32_t PlaylistGuide::notThere(bool noDownload) {
  {
    std::lock_guard guard(lock_);
    if (loading_) return noDownload ? kNotLoaded : kDownloadStarted;
  }
  if (noDownload) return kNotLoaded;
  return startLoad() ? kDownloadStarted : kNothing;
}

int32_t PlaylistGuide::GetNowPlaying(std::vector<GuideRow>& rows, bool noDownload) {
  return channelRows(rows, noDownload, true);
}

int32_t PlaylistGuide::GetUpcoming(std::vector<GuideRow>& rows, bool noDownload) {
  return channelRows(rows, noDownload, false);
}

int32_t PlaylistGuide::channelRows(std::vector<GuideRow>& rows, bool noDownload, bool onNow) {
  std::shared_ptr<const Loaded> loaded;
  {
    std::lock_guard guard(lock_);
    loaded = loaded_;
  }
  if (!loaded) return notThere(noDownload);
  const int64_t at = now();
  const size_t count = std::min(catalogue_->size(), loaded->store.playlistSize());
  for (size_t i = 0; i < count; ++i) {
    const std::optional<XmltvProgramme> p = onNow ? loaded->store.now(i, at) : loaded->store.next(i, at);
    if (!p) continue;
    const PlaylistChannel& channel = catalogue_->playlist().channels[i];
    rows.push_back({PlaylistCatalogue::idOf(i), fromUtf8(channel.name), entryOf(*p), onNow});
  }
  return rows.empty() ? kNothing : kRows;
}

int32_t PlaylistGuide::GetDayList(int day, std::u16string_view channelId, std::vector<GuideRow>& rows,
                                  bool noDownload) {
  if (day < 0 || day > 2) return kNothing;
  std::shared_ptr<const Loaded> loaded;
  {
    std::lock_guard guard(lock_);
    loaded = loaded_;
  }
  if (!loaded) return notThere(noDownload);
  const std::optional<size_t> index = catalogue_->indexOf(channelId);
  if (!index || *index >= loaded->store.playlistSize()) return kNothing;
  const int64_t at = now();
  const int storeDay = day + pastDays(*loaded, at);
  if (storeDay >= XmltvWindow::kDays) return kNothing;
  const PlaylistChannel& channel = catalogue_->playlist().channels[*index];
  const std::u16string name = fromUtf8(channel.name);
  for (const XmltvProgramme& p : loaded->store.day(*index, storeDay))
    rows.push_back({std::u16string(channelId), name, entryOf(p), p.start <= at && at < p.stop});
  return rows.empty() ? kNothing : kRows;
}

std::shared_ptr<const PlaylistGuide::Loaded> PlaylistGuide::loaded() const {
  std::lock_guard guard(lock_);
  return loaded_;
}

int PlaylistGuide::pastDays(const Loaded& loaded, int64_t at) {
  const XmltvWindow& window = loaded.store.window();
  const int64_t today = localMidnight(at);
  int shift = 0;
  while (shift < XmltvWindow::kDays && window.dayStart[shift + 1] <= today) ++shift;
  return shift;
}

int PlaylistGuide::dayCount() const {
  const std::shared_ptr<const Loaded> held = loaded();
  if (!held) return XmltvWindow::kDays;
  return std::max(1, XmltvWindow::kDays - pastDays(*held, now()));
}

int64_t PlaylistGuide::dayStart(int day) const {
  const int64_t at = now();
  const std::shared_ptr<const Loaded> held = loaded();
  if (held) {
    const int storeDay = day + pastDays(*held, at);
    if (storeDay >= 0 && storeDay <= XmltvWindow::kDays) return held->store.window().dayStart[storeDay];
  }
  return GuideSource::localMidnight(at, day);
}

int32_t PlaylistGuide::GetDayProgrammes(int day, std::u16string_view channelId, std::vector<GuideProgramme>& out,
                                        bool noDownload) {
  if (day < 0 || day >= XmltvWindow::kDays) return kNothing;
  const std::shared_ptr<const Loaded> held = loaded();
  if (!held) return notThere(noDownload);
  const std::optional<size_t> index = catalogue_->indexOf(channelId);
  if (!index || *index >= held->store.playlistSize()) return kNothing;
  const int storeDay = day + pastDays(*held, now());
  if (storeDay >= XmltvWindow::kDays) return kNothing;
  const size_t first = out.size();
  for (const XmltvProgramme& p : held->store.day(*index, storeDay))
    if (p.stop > p.start) out.push_back({p.start, p.stop, entryOf(p)});
  return out.size() > first ? kRows : kNothing;
}

GuideSource::DayState PlaylistGuide::GetDayState(int day) const {
  std::lock_guard guard(lock_);
  if (loaded_) return loaded_->store.programmeCount() > 0 ? DayState::Loaded : DayState::Empty;
  return loading_ ? DayState::Downloading : DayState::NotLoaded;
}

bool PlaylistGuide::downloadRunning() const {
  std::lock_guard guard(lock_);
  return loading_;
}

std::u16string PlaylistGuide::statusText() const {
  std::lock_guard guard(lock_);
  return status_;
}

std::optional<ProgrammeDetails> PlaylistGuide::details(std::u16string_view channelId, const GuideEntry& entry) const {
  std::shared_ptr<const Loaded> loaded;
  {
    std::lock_guard guard(lock_);
    loaded = loaded_;
  }
  if (!loaded || !catalogue_) return std::nullopt;
  const std::optional<size_t> index = catalogue_->indexOf(channelId);
  if (!index || *index >= loaded->store.playlistSize()) return std::nullopt;
  for (int d = 0; d < XmltvWindow::kDays; ++d) {
    for (const XmltvProgramme& p : loaded->store.day(*index, d)) {
      if (format("%Y-%m-%d", p.start) != entry.startdate || format("%H:%M:%S", p.start) != entry.starttime) continue;
      ProgrammeDetails out;
      out.title = fromUtf8(p.title);
      out.time = format("%a %d %H:%M", p.start) + u" - " + format("%H:%M", p.stop);
      out.description = fromUtf8(p.desc);
      out.category = fromUtf8(p.category);
      out.episode = fromUtf8(p.episode);
      return out;
    }
  }
  return std::nullopt;
}

}  // namespace tembra
