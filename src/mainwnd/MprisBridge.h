#pragma once
#include <QObject>
#include <QTimer>
#include <string>

#include "mpris/MprisMetadata.h"
#include "mpris/MprisRemote.h"

namespace tembra {

class MprisService;
class PlayerControl;
class TembraPlayerWnd;
struct SourceChannel;

// The main window as the desktop's media player (MprisService): what plays
// (the channel, its group, the programme on now, its logo), the player's
// state and volume, and the bus's Play, Pause, Stop, Next and Previous
// carried out as the window's own keys and lists do them. The bus is told
// of every switch, pause, volume change and programme change. GUI thread
// only; a child of the window.
class MprisBridge : public QObject, public MprisRemote {
  Q_OBJECT
 public:
  // How often the programme on now is looked at again.
  static constexpr int kProgrammeCheckMs = 30 * 1000;

  explicit MprisBridge(TembraPlayerWnd& window);
  ~MprisBridge() override;

  // Puts the player on the bus once the window has started; nothing
  // waits for the bus, and without one nothing happens.
  void start();
  MprisService* service() const { return service_; }

  // The channel's logo as the logo cache in `folder` keeps it; empty when
  // it holds none (or the channel has no logo).
  static std::string LogoFileFor(const SourceChannel& channel, const std::string& folder);

  MprisState state() override;
  void raise() override;
  void quit() override;
  void play() override;
  void pause() override;
  void playPause() override;
  void stop() override;
  void next() override;
  void previous() override;
  void setVolume(double volume) override;

 private:
  PlayerControl* control() const;
  NowPlaying nowPlaying() const;
  // Tells the bus once the current event is handled (several changes of
  // one switch come as one signal).
  void scheduleChanged();

  TembraPlayerWnd& window_;
  MprisService* service_ = nullptr;  // child
  QTimer programmeCheck_;
  bool changePending_ = false;
};

}  // namespace tembra
