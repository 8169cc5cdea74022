#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <memory>
#include <string>

#include "player/MpvOptions.h"
#include "player/PlayerControl.h"
#include "player/PlayerSettings.h"
#include "player/StreamAuth.h"

namespace tembra {

class MpvSession;
class PlayerView;
class ScreenSaverInhibitor;

// The player component on libmpv: plays the address it is given, shows the
// logo page while idle and the channel name, buffering, errors and volume
// over the video. Lives on the GUI thread; every call returns at once.
class MpvPlayer : public QObject, public PlayerControl {
  Q_OBJECT
 public:
  enum class State { Idle, Opening, Playing, Buffering, Failed };

  struct Config {
    bool renderVideo = true;   // false: vo=null, no video widget
    bool audio = true;         // false: ao=null
    bool logoPage = true;      // false: no web view (headless use)
    bool inhibitScreenSaver = true;
    QString settingsPath;      // empty: PlayerSettings::DefaultPath()
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
  void Play() override;
  void StopPlayer() override;
  int32_t QueryState(int32_t what) override;
  void Activate() override;
  void SetLogoPage(const std::u16string& path) override;

  bool CreateWindow(const PlayerRect& rect) override;
  void DestroyWindow() override;
  bool HasWindow() const override;
  void ShowWindow(bool show) override;
  QWidget* widget() override;

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
  bool screenSaverInhibited() const;
  // -1 until the current stream has shown its first video frame.
  int64_t estimatedFrameNumber() const;
  PlayerView* view() const;
  // The session playing (or last asked to play) the current channel.
  MpvSession* session() const { return sessions_[active_].get(); }

 signals:
  void stateChanged(tembra::MpvPlayer::State state);

 private:
  void setState(State state);
  void onFileEnded(int reason, int error);
  void onBuffering(bool buffering, int percent);
  void connectSession(int index);

  Config config_;
  // Channel switches alternate between two handles: the new channel opens
  // on one while the other winds the old stream down, which mpv cannot
  // hurry (a network read notices the stop only at its next poll, up to
  // a tenth of a second later).
  std::array<std::unique_ptr<MpvSession>, 2> sessions_;
  int active_ = 0;
  bool used_ = false;  // the active session has been given an address
  std::unique_ptr<ScreenSaverInhibitor> inhibitor_;
  QPointer<PlayerView> view_;
  PlayerSettings settings_;
  StreamAuth auth_;
  std::string address_;
  QString channelName_;
  QString language_;
  QString logoPage_;
  QString errorText_;
  State state_ = State::Idle;
  bool inhibitQueued_ = false;
};

}  // namespace tembra
