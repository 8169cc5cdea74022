#include "player/MpvSession.h"

#include "player/MpvEventCopy.h"

#include <mpv/client.h>

#include <QMetaObject>
#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstring>
#include <memory>

namespace tembra {

namespace {
// reply_userdata of the stop command; the observed properties have theirs
// (10 and on: the transport's).
constexpr uint64_t kStopReply = 3;
constexpr uint64_t kPausedForCache = 1;
constexpr uint64_t kBufferingState = 2;
constexpr uint64_t kTrackList = 4;
constexpr uint64_t kAudioId = 5;
constexpr uint64_t kSubtitleId = 6;
constexpr uint64_t kTimePos = 10, kDuration = 11, kSeekable = 12, kPause = 13, kCacheState = 14;

// "aid"/"sid" observed as numbers: "no" (and "auto" before a file picks
// one) arrive without a value.
int64_t trackIdOf(const mpv_event_property& prop) {
  return prop.format == MPV_FORMAT_INT64 ? *static_cast<int64_t*>(prop.data) : 0;
}

// Only letters, digits, '-' and ',' reach mpv's language lists.
std::string languageList(const std::string& language) {
  std::string out;
  for (char c : language)
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ',') out.push_back(c);
  return out;
}
}  // namespace

MpvSession::MpvSession(MpvOptions::Outputs outputs, QObject* parent) : QObject(parent), outputs_(outputs) {}

MpvSession::~MpvSession() {
  emit aboutToClose();
  if (!handle_) return;
  // The event thread is gone before the handle it waits on.
  stopEventThread();
  mpv_terminate_destroy(handle_);
  handle_ = nullptr;
}

void MpvSession::stopEventThread() {
  if (!events_.joinable()) return;
  stopEvents_.store(true);
  mpv_wakeup(handle_);
  events_.join();
}

bool MpvSession::initialize() {
  if (initialized_) return true;
  if (!handle_) {
    // mpv refuses to start under a numeric locale other than "C"; Qt sets
    // the user's locale when the application object is created.
    std::setlocale(LC_NUMERIC, "C");
    handle_ = mpv_create();
    if (!handle_) {
      error_ = QStringLiteral("mpv could not be created");
      return false;
    }
    auto apply = [this](const std::vector<MpvOption>& options) {
      for (const MpvOption& o : options) {
        const int rc = mpv_set_option_string(handle_, o.name.c_str(), o.value.c_str());
        // An option this mpv does not know is skipped, not fatal: it only
        // tunes start-up speed.
        if (rc < 0 && rc != MPV_ERROR_OPTION_NOT_FOUND && error_.isEmpty())
          error_ = QStringLiteral("mpv option %1: %2").arg(o.name.c_str(), mpv_error_string(rc));
      }
    };
    apply(MpvOptions::Base(outputs_));
    apply(MpvOptions::LiveTuning());
    apply(extraOptions_);
    mpv_observe_property(handle_, kPausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_observe_property(handle_, kBufferingState, "cache-buffering-state", MPV_FORMAT_INT64);
    mpv_observe_property(handle_, kTrackList, "track-list", MPV_FORMAT_NODE);
    mpv_observe_property(handle_, kAudioId, "aid", MPV_FORMAT_INT64);
    mpv_observe_property(handle_, kSubtitleId, "sid", MPV_FORMAT_INT64);
    mpv_observe_property(handle_, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, kDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, kSeekable, "seekable", MPV_FORMAT_FLAG);
    mpv_observe_property(handle_, kPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(handle_, kCacheState, "demuxer-cache-state", MPV_FORMAT_NODE);
  }
  const int rc = mpv_initialize(handle_);
  if (rc < 0) {
    error_ = QStringLiteral("mpv could not start: %1").arg(mpv_error_string(rc));
    return false;
  }
  initialized_ = true;
  events_ = std::thread([this] { waitForEvents(); });
  return true;
}

void MpvSession::waitForEvents() {
  while (!stopEvents_.load()) {
    const mpv_event* event = mpv_wait_event(handle_, -1);
    if (stopEvents_.load()) return;
    if (event->event_id == MPV_EVENT_NONE) continue;
    const bool last = event->event_id == MPV_EVENT_SHUTDOWN;
    // Posted events keep their order; one gone with this object is dropped.
    auto copy = std::make_shared<const MpvEventCopy>(*event);
    QMetaObject::invokeMethod(this, [this, copy] { handleEvent(&copy->event()); }, Qt::QueuedConnection);
    // mpv tells nothing after its shutdown, only the shutdown again.
    if (last) return;
  }
}

void MpvSession::handleEvent(const void* raw) {
  const auto* event = static_cast<const mpv_event*>(raw);
  switch (event->event_id) {
    case MPV_EVENT_START_FILE: {
      const auto* start = static_cast<const mpv_event_start_file*>(event->data);
      if (currentEntry_ == 0) currentEntry_ = start->playlist_entry_id;
      if (start->playlist_entry_id != currentEntry_) return;
      started_ = false;
      emit fileStarted();
      return;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
      if (currentEntry_ <= 0 || started_) return;
      started_ = true;
      emit playbackStarted();
      return;
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event->data);
      if (currentEntry_ <= 0 || end->playlist_entry_id != currentEntry_) return;
      currentEntry_ = -1;
      emit fileEnded(end->reason, end->reason == MPV_END_FILE_REASON_ERROR ? end->error : 0);
      return;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
      const auto* prop = static_cast<const mpv_event_property*>(event->data);
      if (event->reply_userdata >= kTimePos && event->reply_userdata <= kCacheState) {
        observe(event->reply_userdata, prop);
        return;
      }
      if (event->reply_userdata == kTrackList || event->reply_userdata == kAudioId ||
          event->reply_userdata == kSubtitleId) {
        if (event->reply_userdata == kTrackList)
          tracks_ = prop->format == MPV_FORMAT_NODE ? TrackList::FromNode(*static_cast<mpv_node*>(prop->data))
                                                    : TrackList();
        else if (event->reply_userdata == kAudioId)
          audioId_ = trackIdOf(*prop);
        else
          subtitleId_ = trackIdOf(*prop);
        // The list's own "selected" flags may lag a switch; the ids are
        // told as soon as it happens.
        tracks_.select(MediaTrack::Kind::Audio, audioId_);
        tracks_.select(MediaTrack::Kind::Subtitle, subtitleId_);
        emit tracksChanged();
        return;
      }
      if (event->reply_userdata == kPausedForCache) {
        pausedForCache_ = prop->format == MPV_FORMAT_FLAG && *static_cast<int*>(prop->data) != 0;
      } else if (event->reply_userdata == kBufferingState) {
        bufferPercent_ = prop->format == MPV_FORMAT_INT64 ? static_cast<int>(*static_cast<int64_t*>(prop->data)) : 0;
      } else {
        return;
      }
      if (currentEntry_ > 0) emit bufferingChanged(pausedForCache_, bufferPercent_);
      return;
    }
    case MPV_EVENT_COMMAND_REPLY:
      if (event->reply_userdata != kStopReply || stopsPending_ == 0) return;
      if (--stopsPending_ == 0 && loadAfterStop_) {
        auto [address, headers] = std::move(*loadAfterStop_);
        loadAfterStop_.reset();
        load(address, headers);
      }
      return;
    default:
      return;
  }
}

void MpvSession::load(const std::string& address, const std::vector<std::string>& headers) {
  forgetFile();
  if (stopsPending_ > 0) {
    // Played when the stop before it has been answered.
    currentEntry_ = -1;
    started_ = false;
    loadAfterStop_.emplace(address, headers);
    return;
  }
  if (!initialized_) return;
  std::vector<mpv_node> items(headers.size());
  for (size_t i = 0; i < headers.size(); ++i) {
    items[i].format = MPV_FORMAT_STRING;
    items[i].u.string = const_cast<char*>(headers[i].c_str());
  }
  // Set as a node list: a header value may hold the comma that separates
  // entries in the option's text form.
  mpv_node_list list{static_cast<int>(items.size()), items.data(), nullptr};
  mpv_node node;
  node.format = MPV_FORMAT_NODE_ARRAY;
  node.u.list = &list;
  mpv_set_property(handle_, "http-header-fields", MPV_FORMAT_NODE, &node);
  mpv_set_property_string(handle_, "demuxer-lavf-format", MpvOptions::FormatHint(address).c_str());
  // A track picked by hand on the last channel is that channel's: each new
  // one picks by the preferred languages again.
  mpv_set_property_string(handle_, "alang", languageList(audioLanguage_).c_str());
  mpv_set_property_string(handle_, "slang", languageList(subtitleLanguage_).c_str());
  mpv_set_property_string(handle_, "aid", "auto");
  mpv_set_property_string(handle_, "sid", subtitleLanguage_.empty() ? "no" : "auto");

  const char* args[] = {"loadfile", address.c_str(), "replace", nullptr};
  mpv_node argsNode;
  std::vector<mpv_node> argItems(3);
  for (int i = 0; i < 3; ++i) {
    argItems[i].format = MPV_FORMAT_STRING;
    argItems[i].u.string = const_cast<char*>(args[i]);
  }
  mpv_node_list argList{3, argItems.data(), nullptr};
  argsNode.format = MPV_FORMAT_NODE_ARRAY;
  argsNode.u.list = &argList;
  mpv_node result;
  currentEntry_ = 0;
  started_ = false;
  if (mpv_command_node(handle_, &argsNode, &result) < 0) {
    currentEntry_ = -1;
    emit fileEnded(MPV_END_FILE_REASON_ERROR, MPV_ERROR_LOADING_FAILED);
    return;
  }
  if (result.format == MPV_FORMAT_NODE_MAP) {
    for (int i = 0; i < result.u.list->num; ++i)
      if (std::string(result.u.list->keys[i]) == "playlist_entry_id" &&
          result.u.list->values[i].format == MPV_FORMAT_INT64)
        currentEntry_ = result.u.list->values[i].u.int64;
  }
  mpv_free_node_contents(&result);
}

void MpvSession::stop() {
  if (!initialized_) return;
  forgetFile();
  currentEntry_ = -1;
  started_ = false;
  loadAfterStop_.reset();
  // Asynchronous: this runs on the thread that renders the video, and a
  // synchronous stop of a file that shows video waits for that thread to
  // let go of the picture (a zap froze the window for a quarter second, and
  // for good now and then). A load asked for before the answer waits for
  // it (see load), as mpv may run this after a later synchronous command.
  const char* args[] = {"stop", nullptr};
  if (mpv_command_async(handle_, kStopReply, args) >= 0) ++stopsPending_;
}

void MpvSession::beginQuit() {
  if (!initialized_) return;
  currentEntry_ = -1;
  const char* args[] = {"quit", nullptr};
  mpv_command_async(handle_, 0, args);
}

void MpvSession::setVolume(int volume) {
  if (!handle_) return;
  double v = volume;
  mpv_set_property_async(handle_, 0, "volume", MPV_FORMAT_DOUBLE, &v);
}

void MpvSession::setMuted(bool muted) {
  if (!handle_) return;
  int flag = muted ? 1 : 0;
  mpv_set_property_async(handle_, 0, "mute", MPV_FORMAT_FLAG, &flag);
}

void MpvSession::setTrackPreference(const std::string& audioLanguage, const std::string& subtitleLanguage) {
  audioLanguage_ = audioLanguage;
  subtitleLanguage_ = subtitleLanguage;
}

void MpvSession::selectTrack(MediaTrack::Kind kind, int64_t id) {
  if (!initialized_ || kind == MediaTrack::Kind::Video) return;
  const char* name = kind == MediaTrack::Kind::Audio ? "aid" : "sid";
  if (id <= 0) {
    const char* off = "no";
    mpv_set_property_async(handle_, 0, name, MPV_FORMAT_STRING, &off);
  } else {
    mpv_set_property_async(handle_, 0, name, MPV_FORMAT_INT64, &id);
  }
}

void MpvSession::setPicture(const std::string& aspect, double panscan, double zoom) {
  if (!initialized_) return;
  const char* text = aspect.c_str();
  mpv_set_property_async(handle_, 0, "video-aspect-override", MPV_FORMAT_STRING, &text);
  mpv_set_property_async(handle_, 0, "panscan", MPV_FORMAT_DOUBLE, &panscan);
  mpv_set_property_async(handle_, 0, "video-zoom", MPV_FORMAT_DOUBLE, &zoom);
}

int64_t MpvSession::estimatedFrameNumber() const {
  int64_t n = -1;
  if (!initialized_ || currentEntry_ < 0 ||
      mpv_get_property(handle_, "estimated-frame-number", MPV_FORMAT_INT64, &n) < 0)
    return -1;
  return n;
}

void MpvSession::setPaused(bool paused) {
  if (!initialized_) return;
  int flag = paused ? 1 : 0;
  observed_.paused = paused;
  mpv_set_property_async(handle_, 0, "pause", MPV_FORMAT_FLAG, &flag);
}

bool MpvSession::paused() const { return initialized_ && observed_.paused; }

void MpvSession::seekTo(double position) {
  if (!initialized_ || currentEntry_ < 0) return;
  const std::string where = std::to_string(position);
  // Asynchronous: a seek outside what the cache holds goes to the network,
  // and the window's thread must not wait for it.
  const char* args[] = {"seek", where.c_str(), "absolute", nullptr};
  mpv_command_async(handle_, 0, args);
}

namespace {

const mpv_node* member(const mpv_node& map, const char* key) {
  if (map.format != MPV_FORMAT_NODE_MAP) return nullptr;
  for (int i = 0; i < map.u.list->num; ++i)
    if (std::strcmp(map.u.list->keys[i], key) == 0) return &map.u.list->values[i];
  return nullptr;
}

double number(const mpv_node* n) {
  if (n == nullptr) return 0;
  if (n->format == MPV_FORMAT_DOUBLE) return n->u.double_;
  if (n->format == MPV_FORMAT_INT64) return static_cast<double>(n->u.int64);
  return 0;
}

}  // namespace

// What was observed of the file before it no longer speaks for the next
// one (mpv tells the new values only once that one has opened).
void MpvSession::forgetFile() {
  const bool paused = observed_.paused;
  observed_ = Observed{};
  observed_.paused = paused;
  // The last file's tracks are not this one's, whatever mpv tells later.
  if (!tracks_.empty() || audioId_ != 0 || subtitleId_ != 0) {
    tracks_ = TrackList();
    audioId_ = subtitleId_ = 0;
    emit tracksChanged();
  }
}

void MpvSession::observe(uint64_t id, const void* raw) {
  const auto* prop = static_cast<const mpv_event_property*>(raw);
  auto real = [prop]() -> std::optional<double> {
    if (prop->format == MPV_FORMAT_DOUBLE) return *static_cast<double*>(prop->data);
    return std::nullopt;
  };
  auto flag = [prop] { return prop->format == MPV_FORMAT_FLAG && *static_cast<int*>(prop->data) != 0; };
  switch (id) {
    case kTimePos: observed_.position = real(); return;
    case kDuration: observed_.duration = real(); return;
    case kSeekable: observed_.seekable = flag(); return;
    case kPause: observed_.paused = flag(); return;
    default: break;
  }
  observed_.ranges.clear();
  observed_.cacheEnd.reset();
  observed_.forwardBytes = observed_.totalBytes = 0;
  if (prop->format != MPV_FORMAT_NODE) return;
  const mpv_node& cache = *static_cast<const mpv_node*>(prop->data);
  observed_.forwardBytes = static_cast<int64_t>(number(member(cache, "fw-bytes")));
  observed_.totalBytes = static_cast<int64_t>(number(member(cache, "total-bytes")));
  if (const mpv_node* end = member(cache, "cache-end")) observed_.cacheEnd = number(end);
  if (const mpv_node* ranges = member(cache, "seekable-ranges"); ranges && ranges->format == MPV_FORMAT_NODE_ARRAY) {
    for (int i = 0; i < ranges->u.list->num; ++i) {
      const mpv_node& r = ranges->u.list->values[i];
      observed_.ranges.emplace_back(number(member(r, "start")), number(member(r, "end")));
    }
  }
}

MpvSession::CacheState MpvSession::cacheState() const {
  CacheState state;
  if (!initialized_ || currentEntry_ <= 0 || !observed_.position) return state;
  const double position = *observed_.position;
  state.open = true;
  state.position = position;
  state.rangeStart = state.rangeEnd = position;
  if (observed_.duration && *observed_.duration > 0) state.duration = *observed_.duration;
  state.seekable = observed_.seekable;
  state.forwardBytes = observed_.forwardBytes;
  state.totalBytes = observed_.totalBytes;
  // The range the picture is in; a cache may hold several after seeks.
  for (const auto& [start, end] : observed_.ranges) {
    if (start <= position + 1 && position - 1 <= end) {
      state.rangeStart = std::min(start, position);
      state.rangeEnd = std::max(end, position);
    }
  }
  if (observed_.cacheEnd) state.rangeEnd = std::max(state.rangeEnd, *observed_.cacheEnd);
  // A file of known length can be sought in all of it.
  if (state.duration > 0 && state.seekable) {
    state.rangeStart = 0;
    state.rangeEnd = std::max(state.rangeEnd, state.duration);
  }
  return state;
}

void MpvSession::setBackBytes(int64_t bytes) {
  if (!initialized_) return;
  mpv_set_property_async(handle_, 0, "demuxer-max-back-bytes", MPV_FORMAT_INT64, &bytes);
}

bool MpvSession::setRecordPath(const std::string& path) {
  if (!initialized_) return false;
  // Asynchronous: the core opens or closes the file, and a synchronous set
  // waits for a core busy reading the stream (a quarter second was seen).
  const char* value = path.c_str();
  return mpv_set_property_async(handle_, 0, "stream-record", MPV_FORMAT_STRING, &value) >= 0;
}

int64_t MpvSession::frameDrops() const {
  int64_t n = 0;
  if (!initialized_ || mpv_get_property(handle_, "frame-drop-count", MPV_FORMAT_INT64, &n) < 0) return 0;
  return n;
}

}  // namespace tembra
