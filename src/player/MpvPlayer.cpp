#include "player/MpvPlayer.h"

#include <mpv/client.h>

#include <algorithm>

#include <QDir>
#include <QMenu>
#include <QMetaObject>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

#include "platform/Utf.h"
#include "player/MpvSession.h"
#include "player/MpvVideoWidget.h"
#include "player/PlayerMenu.h"
#include "player/PlayerOverlay.h"
#include "player/PlayerStatusText.h"
#include "player/PlayerView.h"
#include "player/ReconnectBackoff.h"

namespace tembra {

namespace {

QString toQString(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

bool isNetworkAddress(const std::string& address) { return address.find("://") != std::string::npos; }

}  // namespace

MpvPlayer::MpvPlayer(Config config, QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      settings_(config_.settingsPath),
      trace_(std::getenv("TEMBRA_PLAYER_TRACE") != nullptr) {
  reconnectTimer_.setSingleShot(true);
  connect(&reconnectTimer_, &QTimer::timeout, this, &MpvPlayer::reconnect);
  std::vector<MpvOption> bufferOptions;
  if (settings_.timeshiftEnabled()) {
    const QString folder = config_.timeshiftFolder.isEmpty() ? PlayerSettings::TimeshiftFolder() : config_.timeshiftFolder;
    // mpv would open no stream at all with a buffer folder it cannot
    // write to: without the folder, live TV plays without the buffer.
    if (QDir().mkpath(folder)) {
      timeshift_.emplace(settings_.timeshiftMinutes(), settings_.timeshiftMegabytes());
      bufferOptions = timeshift_->options(folder.toStdString());
    }
  }
  for (int i = 0; i < 2; ++i) {
    sessions_[i] = std::make_unique<MpvSession>(MpvOptions::Outputs{config_.renderVideo, config_.audio});
    sessions_[i]->setExtraOptions(bufferOptions);
    connectSession(i);
  }
  timeshiftTimer_.setInterval(1000);
  connect(&timeshiftTimer_, &QTimer::timeout, this, &MpvPlayer::trimTimeshift);
}

// Only the active session speaks for the player; the other one is winding
// an old channel down.
void MpvPlayer::connectSession(int index) {
  MpvSession* s = sessions_[index].get();
  connect(s, &MpvSession::fileStarted, this, [this, index] {
    // A reopening keeps its message up until the picture is back.
    if (index != active_ || state_ == State::Idle || state_ == State::Failed || state_ == State::Reconnecting)
      return;
    setState(State::Opening);
  });
  connect(s, &MpvSession::playbackStarted, this, [this, index] {
    if (index != active_ || (state_ != State::Opening && state_ != State::Reconnecting)) return;
    if (state_ == State::Reconnecting) {
      cancelReconnect();
      errorText_.clear();
    }
    setState(State::Playing);
  });
  connect(s, &MpvSession::bufferingChanged, this, [this, index](bool buffering, int percent) {
    if (index == active_) onBuffering(buffering, percent);
  });
  connect(s, &MpvSession::fileEnded, this, [this, index](int reason, int error) {
    if (index == active_) onFileEnded(reason, error);
  });
  connect(s, &MpvSession::tracksChanged, this, [this, index] {
    if (index == active_) onTracksChanged();
  });
}

MpvPlayer::~MpvPlayer() {
  // The video widget frees its render contexts while the handles still
  // live. Both cores then wind their streams down side by side; each
  // destruction waits only for what is left of its own.
  DestroyWindow();
  for (auto& s : sessions_) s->beginQuit();
  for (auto& s : sessions_) s.reset();
}

void MpvPlayer::SetAddress(const std::u16string& address) { address_ = toUtf8(address); }

void MpvPlayer::SetRequestHeaders(const std::string& userAgent, const std::string& referrer) {
  requestHeaders_.clear();
  // A line break in a value would smuggle in a header line of its own.
  auto clean = [](std::string value) {
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return value;
  };
  if (!userAgent.empty()) requestHeaders_.push_back("User-Agent: " + clean(userAgent));
  if (!referrer.empty()) requestHeaders_.push_back("Referer: " + clean(referrer));
}

std::vector<std::string> MpvPlayer::headersFor(const std::string& address) {
  std::vector<std::string> headers = auth_.HeadersFor(address);
  headers.insert(headers.end(), requestHeaders_.begin(), requestHeaders_.end());
  return headers;
}

void MpvPlayer::SetChannelName(const std::u16string& name) { channelName_ = toQString(name); }

void MpvPlayer::SetAuthFirst(const std::u16string& value) { auth_.setFirst(toUtf8(value)); }

void MpvPlayer::SetAuthSecond(const std::u16string& value) { auth_.setSecond(toUtf8(value)); }

void MpvPlayer::SetLanguage(const std::u16string& language) { language_ = toQString(language); }

void MpvPlayer::SetAuthUrl(const std::u16string& url) { auth_.setUrl(toUtf8(url)); }

void MpvPlayer::SetLogoPage(const std::u16string& path) {
  logoPage_ = toQString(path);
  if (view_) view_->setLogoPage(logoPage_);
}

void MpvPlayer::SetReadyHandler(ReadyHandler handler) { readyHandler_ = std::move(handler); }

void MpvPlayer::Activate() {
  bool ready = true;
  for (auto& s : sessions_) {
    if (!s->initialize()) {
      ready = false;
      break;
    }
    s->setVolume(settings_.volume());
    s->setMuted(settings_.muted());
  }
  if (ready) {
    applyTrackPreference();
    applyPicture();
  }
  if (ready && view_ && view_->video()) view_->video()->attachSessions();
  // Reported from the event loop, so the host has finished its own call
  // before it hears the outcome.
  QMetaObject::invokeMethod(
      this,
      [this, ready] {
        if (readyHandler_) readyHandler_(ready);
      },
      Qt::QueuedConnection);
}

int32_t MpvPlayer::QueryState(int32_t what) {
  switch (what) {
    case kStateReady:
      return sessions_[0]->initialized() && sessions_[1]->initialized() ? 1 : 0;
    case kStateHoldDisplay:
      if (state_ == State::Reconnecting) return reconnectingSince_.elapsed() < kHoldWhileReconnectingMs ? 1 : 0;
      return state_ == State::Opening || state_ == State::Playing || state_ == State::Buffering ? 1 : 0;
    default:
      return 0;
  }
}

void MpvPlayer::Play() {
  cancelReconnect();
  if (address_.empty()) {
    StopPlayer();
    return;
  }
  errorText_.clear();
  if (QueryState(kStateReady) != 1) {
    errorText_ = PlayerStatusText::NotStarted();
    setState(State::Failed);
    return;
  }
  resetTransport();
  if (used_) {
    sessions_[active_]->stop();
    active_ = 1 - active_;
  }
  used_ = true;
  if (view_ && view_->video()) view_->video()->setActive(active_);
  setState(State::Opening);
  if (trace_) std::fprintf(stderr, "player-load %s name=%s\n", address_.c_str(), channelName_.toUtf8().constData());
  sessions_[active_]->load(address_, headersFor(address_));
  if (view_) view_->overlay()->showChannelName(channelName_);
  // Another channel is news even when the state stays "opening".
  changed();
}

void MpvPlayer::StopPlayer() {
  cancelReconnect();
  resetTransport();
  sessions_[active_]->stop();
  errorText_.clear();
  setState(State::Idle);
}

void MpvPlayer::onFileEnded(int reason, int error) {
  if (state_ == State::Idle) return;
  if (reason == MPV_END_FILE_REASON_STOP || reason == MPV_END_FILE_REASON_QUIT) {
    setState(State::Idle);
    return;
  }
  // A live channel never ends by itself: once it has played, any end, by
  // itself or with whatever error the broken stream left the decoders in,
  // is the server or the network going away, and the way back is to open
  // it again. One that never played keeps the reason it could not start.
  const bool watched = state_ == State::Playing || state_ == State::Buffering || state_ == State::Reconnecting;
  if (watched && isNetworkAddress(address_)) {
    beginReconnect();
    return;
  }
  errorText_ = PlayerStatusText::ForEnd(error, reason == MPV_END_FILE_REASON_EOF, isNetworkAddress(address_));
  setState(State::Failed);
}

void MpvPlayer::beginReconnect() {
  if (state_ != State::Reconnecting) {
    reconnectAttempt_ = 0;
    reconnectingSince_.start();
  }
  errorText_ = PlayerStatusText::Interrupted();
  setState(State::Reconnecting);
  reconnectTimer_.start(ReconnectBackoff::DelayMs(reconnectAttempt_));
}

void MpvPlayer::reconnect() {
  reconnectTimer_.stop();
  if (state_ != State::Reconnecting) return;
  ++reconnectAttempt_;
  // The same session: the dropped file has ended on it, nothing to wind
  // down, and its end-file for this attempt is told from the old one's.
  sessions_[active_]->load(address_, headersFor(address_));
}

void MpvPlayer::cancelReconnect() {
  reconnectTimer_.stop();
  reconnectAttempt_ = 0;
}

void MpvPlayer::retry() {
  if (state_ == State::Reconnecting) {
    reconnect();
  } else if (state_ == State::Failed && !address_.empty()) {
    Play();
  }
}

int MpvPlayer::msToNextReconnect() const {
  return reconnectTimer_.isActive() ? reconnectTimer_.remainingTime() : -1;
}

void MpvPlayer::onBuffering(bool buffering, int percent) {
  if (state_ == State::Playing && buffering) setState(State::Buffering);
  else if (state_ == State::Buffering && !buffering) setState(State::Playing);
  if (view_) view_->overlay()->setBuffering(state_ == State::Opening || state_ == State::Buffering, percent);
}

void MpvPlayer::setState(State state) {
  const bool changed = state != state_;
  state_ = state;
  if (timeshift_ && (state_ == State::Playing || state_ == State::Buffering)) {
    if (!timeshiftTimer_.isActive()) timeshiftTimer_.start();
  } else {
    timeshiftTimer_.stop();
  }
  if (view_) {
    const bool message = state_ == State::Failed || state_ == State::Reconnecting;
    PlayerOverlay* overlay = view_->overlay();
    overlay->setError(message ? errorText_ : QString());
    overlay->setBuffering(state_ == State::Opening || state_ == State::Buffering, 0);
    if (state_ == State::Idle || message) overlay->hideChannelName();
    view_->setMode(state_ == State::Idle ? PlayerView::Mode::Logo
                   : message            ? PlayerView::Mode::Message
                                        : PlayerView::Mode::Video);
    view_->setRetryVisible(message);
  }
  if (changed) {
    emit stateChanged(state_);
    this->changed();
  }
}

bool MpvPlayer::CreateWindow(const PlayerRect& rect) {
  if (view_) return true;
  view_ = new PlayerView({sessions_[0].get(), sessions_[1].get()}, config_.renderVideo, config_.logoPage);
  view_->setGeometry(rect.left, rect.top, rect.width(), rect.height());
  view_->hide();
  connect(view_, &PlayerView::volumeStepRequested, this, &MpvPlayer::stepVolume);
  connect(view_, &PlayerView::muteToggleRequested, this, [this] { setMuted(!muted()); });
  connect(view_, &PlayerView::retryRequested, this, &MpvPlayer::retry);
  connect(view_, &PlayerView::menuRequested, this, &MpvPlayer::showMenu);
  connect(view_, &PlayerView::activity, this, [this] {
    if (state_ != State::Idle) view_->overlay()->showVolume(volume(), muted());
  });
  if (!logoPage_.isEmpty()) view_->setLogoPage(logoPage_);
  if (view_->video()) view_->video()->setActive(active_);
  setState(state_);
  return true;
}

void MpvPlayer::DestroyWindow() { delete view_.data(); }

bool MpvPlayer::HasWindow() const { return !view_.isNull(); }

void MpvPlayer::ShowWindow(bool show) {
  if (view_) view_->setVisible(show);
}

QWidget* MpvPlayer::widget() { return view_.data(); }

PlayerView* MpvPlayer::view() const { return view_.data(); }

void MpvPlayer::setVolume(int volume) {
  settings_.setVolume(volume);
  for (auto& s : sessions_) s->setVolume(settings_.volume());
  if (view_) view_->overlay()->showVolume(settings_.volume(), settings_.muted());
  changed();
}

void MpvPlayer::stepVolume(int delta) {
  // Turning the volume up is taken as wanting to hear it.
  if (delta > 0 && muted()) setMuted(false);
  setVolume(volume() + delta);
}

void MpvPlayer::setMuted(bool muted) {
  settings_.setMuted(muted);
  for (auto& s : sessions_) s->setMuted(muted);
  if (view_) view_->overlay()->showVolume(settings_.volume(), settings_.muted());
  changed();
}

int64_t MpvPlayer::estimatedFrameNumber() const { return sessions_[active_]->estimatedFrameNumber(); }

void MpvPlayer::SetPaused(bool paused) {
  // Only a channel on the screen can be held; idle or failed there is
  // nothing to freeze.
  if (paused && (state_ == State::Idle || state_ == State::Failed)) return;
  if (paused == paused_) return;
  paused_ = paused;
  sessions_[active_]->setPaused(paused);
  changed();
}

void MpvPlayer::SetChangeHandler(ChangeHandler handler) { changeHandler_ = std::move(handler); }

void MpvPlayer::changed() {
  if (changeHandler_) changeHandler_();
}

const TrackList& MpvPlayer::tracks() const { return sessions_[active_]->tracks(); }

void MpvPlayer::onTracksChanged() {
  if (trace_) {
    const TrackList& list = tracks();
    const std::string now = "audio=" + std::to_string(list.selected(MediaTrack::Kind::Audio)) +
                            " subtitle=" + std::to_string(list.selected(MediaTrack::Kind::Subtitle)) +
                            " tracks=" + std::to_string(list.all().size());
    if (now != tracedTracks_) {
      tracedTracks_ = now;
      std::fprintf(stderr, "player-tracks %s\n", now.c_str());
    }
  }
  changed();
}

void MpvPlayer::selectAudio(int64_t id) {
  const MediaTrack* track = tracks().find(MediaTrack::Kind::Audio, id);
  if (track == nullptr) return;
  if (!track->language.empty()) settings_.setAudioLanguage(track->language);
  applyTrackPreference();
  sessions_[active_]->selectTrack(MediaTrack::Kind::Audio, id);
}

void MpvPlayer::selectSubtitle(int64_t id) {
  const MediaTrack* track = id > 0 ? tracks().find(MediaTrack::Kind::Subtitle, id) : nullptr;
  if (id > 0 && track == nullptr) return;
  if (track == nullptr) settings_.setSubtitleLanguage({});
  else if (!track->language.empty()) settings_.setSubtitleLanguage(track->language);
  applyTrackPreference();
  sessions_[active_]->selectTrack(MediaTrack::Kind::Subtitle, id);
}

void MpvPlayer::setAspect(PlayerSettings::Aspect aspect) {
  settings_.setAspect(aspect);
  applyPicture();
}

void MpvPlayer::setZoom(int percent) {
  settings_.setZoom(percent);
  applyPicture();
}

void MpvPlayer::applyTrackPreference() {
  for (auto& s : sessions_) s->setTrackPreference(settings_.audioLanguage(), settings_.subtitleLanguage());
}

// Both sessions: the next channel opens on the other one and keeps the shape.
void MpvPlayer::applyPicture() {
  const PlayerSettings::Aspect aspect = settings_.aspect();
  for (auto& s : sessions_)
    s->setPicture(PlayerSettings::AspectOverride(aspect), PlayerSettings::Panscan(aspect),
                  PlayerSettings::VideoZoom(settings_.zoom()));
}

void MpvPlayer::showMenu(const QPoint& globalPos) {
  PlayerMenu::Choices choices;
  QPointer<MpvPlayer> self(this);
  choices.audio = [self](int64_t id) { if (self) self->selectAudio(id); };
  choices.subtitle = [self](int64_t id) { if (self) self->selectSubtitle(id); };
  choices.aspect = [self](PlayerSettings::Aspect a) { if (self) self->setAspect(a); };
  choices.zoom = [self](int percent) { if (self) self->setZoom(percent); };
  QWidget* parent = view_ ? view_->stage() : nullptr;
  QMenu* menu = PlayerMenu::Build(tracks(), settings_.aspect(), settings_.zoom(), std::move(choices), parent);
  // popup, not exec: the menu never runs an event loop of its own inside
  // this call.
  menu->popup(globalPos);
}

PlayerControl::Transport MpvPlayer::TransportState() const {
  const MpvSession::CacheState c = sessions_[active_]->cacheState();
  Transport t;
  t.open = c.open;
  t.position = c.position;
  t.rangeStart = timeshift_ && c.duration <= 0 ? timeshift_->oldestAllowed(c.rangeStart, c.rangeEnd) : c.rangeStart;
  t.rangeEnd = c.rangeEnd;
  t.duration = c.duration;
  t.seekable = c.seekable;
  return t;
}

void MpvPlayer::SeekTo(double position) {
  if (state_ == State::Idle || state_ == State::Failed) return;
  // mpv counts a negative time from the end.
  sessions_[active_]->seekTo(std::max(0.0, position));
}

bool MpvPlayer::StartRecording(const std::string& path) {
  if (path.empty() || state_ == State::Idle || state_ == State::Failed) return false;
  if (!sessions_[active_]->setRecordPath(path)) return false;
  recordPath_ = path;
  return true;
}

void MpvPlayer::StopRecording() {
  if (recordPath_.empty()) return;
  // mpv closes the file when the property is cleared.
  sessions_[active_]->setRecordPath({});
  recordPath_.clear();
}

void MpvPlayer::resetTransport() {
  StopRecording();
  // mpv keeps its pause across files: a channel asked for plays, on
  // whichever of the two handles it opens.
  for (auto& session : sessions_) session->setPaused(false);
  if (paused_) {
    paused_ = false;
    changed();
  }
}

void MpvPlayer::trimTimeshift() {
  if (!timeshift_) return;
  const MpvSession::CacheState c = sessions_[active_]->cacheState();
  if (!c.open || c.duration > 0) return;
  sessions_[active_]->setBackBytes(timeshift_->backBytes(c.forwardBytes, c.totalBytes, c.rangeEnd - c.rangeStart));
}

}  // namespace tembra
