#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "player/MpvOptions.h"
#include "player/PlayerControl.h"
#include "player/PlayerSettings.h"
#include "player/StreamAuth.h"
#include "player/TrackList.h"
#include "player/TimeshiftBudget.h"

namespace tembra {

class MpvSession;
class PlayerView;

// The player component on libmpv: plays the address it is given, shows the
// logo page while idle and the channel name, buffering, errors and volume
// over the video. A network stream that drops after it has played is
// reopened by itself, with growing pauses (ReconnectBackoff), until it
// plays again or another channel is asked for; a Retry button over the
// message reopens it at once. Lives on the GUI thread; every call returns
// at once.
class MpvPlayer : public QObject, public PlayerControl {
  Q_OBJECT
 public:
  // Reconnecting: the stream played and dropped; the player is reopening
  // it. Failed: it could not be played and the player does not retry by
  // itself.
  enum class State { Idle, Opening, Playing, Buffering, Reconnecting, Failed };

  // A dropped stream keeps the screen awake this long, so a short outage
  // does not blank a viewer's screen; after that it may sleep.
  static constexpr int kHoldWhileReconnectingMs = 5 * 60 * 1000;

  struct Config {
    bool renderVideo = true;   // false: vo=null, no video widget
    bool audio = true;         // false: ao=null
    bool logoPage = true;      // false: no web view (headless use)
    QString settingsPath;      // empty: PlayerSettings::DefaultPath()
    QString timeshiftFolder;   // empty: PlayerSettings::TimeshiftFolder()
  };

  explicit MpvPlayer(Config config, QObject* parent = nullptr);
  MpvPlayer() : MpvPlayer(Config{}) {}
  ~MpvPlayer() override;

  void SetAddress(const std::u16string& address) override;
  void SetChannelName(const std::u16string& name) override;
  void SetAuthFirst(const std::u16string& value) override;
  void SetAuthSecond(const std::u16string& value) override;
  void SetLanguage(const std::u16string& language) override;
  void SetAuthUrl(const std::u16string& url) override;
  void SetRequestHeaders(const std::string& userAgent, const std::string& referrer) override;
  void Play() override;
  void StopPlayer() override;
  int32_t QueryState(int32_t what) override;
  void Activate() override;
  void SetLogoPage(const std::u16string& path) override;
  void SetReadyHandler(ReadyHandler handler) override;
  void SetPaused(bool paused) override;
  bool IsPaused() const override { return paused_; }
  int Volume() const override { return volume(); }
  void SetVolume(int volume) override { setVolume(volume); }
  void SetChangeHandler(ChangeHandler handler) override;

  bool CreateWindow(const PlayerRect& rect) override;
  void DestroyWindow() override;
  bool HasWindow() const override;
  void ShowWindow(bool show) override;
  QWidget* widget() override;

  Transport TransportState() const override;
  void SeekTo(double position) override;
  bool StartRecording(const std::string& path) override;
  void StopRecording() override;
  bool IsRecording() const override { return !recordPath_.empty(); }
  // The live buffer's caps; null when it is off in the settings.
  const TimeshiftBudget* timeshift() const { return timeshift_ ? &*timeshift_ : nullptr; }

  State state() const { return state_; }
  // The text shown over the video for the last failure; empty otherwise.
  const QString& errorText() const { return errorText_; }
  const StreamAuth& auth() const { return auth_; }
  const std::string& address() const { return address_; }
  const QString& channelName() const { return channelName_; }
  const QString& language() const { return language_; }
  const QString& logoPage() const { return logoPage_; }
  int volume() const { return settings_.volume(); }
  bool muted() const { return settings_.muted(); }
  void setVolume(int volume);
  void stepVolume(int delta);
  void setMuted(bool muted);
  // Reopens a dropped or failed stream now (the Retry button).
  void retry();
  // Reopening attempts made since the stream dropped (0 while it plays).
  int reconnectAttempts() const { return reconnectAttempt_; }
  // Time left before the next automatic attempt; -1 when none is due.
  int msToNextReconnect() const;
  // -1 until the current stream has shown its first video frame.
  int64_t estimatedFrameNumber() const;
  PlayerView* view() const;

  // The tracks of the channel playing and the viewer's choices among them
  // and for the picture. A track chosen with a language makes that
  // language the preferred one for the channels after it.
  const TrackList& tracks() const;
  void selectAudio(int64_t id);
  // 0: subtitles off, also for the channels after it.
  void selectSubtitle(int64_t id);
  void setAspect(PlayerSettings::Aspect aspect);
  void setZoom(int percent);
  const PlayerSettings& settings() const { return settings_; }
  // The right-click menu (PlayerMenu) at that place on the screen.
  void showMenu(const QPoint& globalPos);
  // The session playing (or last asked to play) the current channel.
  MpvSession* session() const { return sessions_[active_].get(); }

 signals:
  void stateChanged(tembra::MpvPlayer::State state);

 private:
  void setState(State state);
  void onFileEnded(int reason, int error);
  void onBuffering(bool buffering, int percent);
  void connectSession(int index);
  void beginReconnect();
  void reconnect();
  void cancelReconnect();
  void applyPicture();
  void applyTrackPreference();
  void onTracksChanged();
  void changed();
  void trimTimeshift();
  // Ends a recording and a pause when another file replaces what plays.
  void resetTransport();

  // Every field: GUI thread only.
  Config config_;
  // Channel switches alternate between two handles: the new channel opens
  // on one while the other winds the old stream down, which mpv cannot
  // hurry (a network read notices the stop only at its next poll, up to
  // a tenth of a second later).
  std::array<std::unique_ptr<MpvSession>, 2> sessions_;
  int active_ = 0;
  bool used_ = false;  // the active session has been given an address
  QPointer<PlayerView> view_;
  PlayerSettings settings_;
  StreamAuth auth_;
  std::vector<std::string> headersFor(const std::string& address);
  std::string address_;
  // Header lines for the stream beside the plan entry's ("User-Agent: ...").
  std::vector<std::string> requestHeaders_;
  QString channelName_;
  QString language_;
  QString logoPage_;
  QString errorText_;
  State state_ = State::Idle;
  ReadyHandler readyHandler_;
  ChangeHandler changeHandler_;
  bool paused_ = false;
  // TEMBRA_PLAYER_TRACE set: loads and track switches are told on stderr,
  // for tests that drive the real program; the last selection told.
  bool trace_ = false;
  std::string tracedTracks_;
  // The next reopening of a dropped stream, how many were made since the
  // drop, and since when the stream has been gone.
  QTimer reconnectTimer_;
  int reconnectAttempt_ = 0;
  QElapsedTimer reconnectingSince_;
  std::optional<TimeshiftBudget> timeshift_;
  // Shares the live buffer's byte cap between what lies ahead of the
  // picture and what lies behind it, while something plays.
  QTimer timeshiftTimer_;
  std::string recordPath_;  // empty: not recording
};

}  // namespace tembra
