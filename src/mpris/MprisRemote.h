#pragma once
#include <QString>
#include <QVariantMap>

namespace tembra {

// What the desktop's media controls see of the program and ask of it,
// read fresh each time (all on the GUI thread).
struct MprisState {
  QString status = QStringLiteral("Stopped");  // "Playing", "Paused" or "Stopped"
  QVariantMap metadata;
  double volume = 1.0;  // 0..1
  bool canGoNext = false;
  bool canGoPrevious = false;
  bool canPlay = false;
  bool canPause = false;

  bool operator==(const MprisState&) const = default;
};

// The program side of the media controls. MprisService calls these from
// the bus's method calls and property reads.
class MprisRemote {
 public:
  virtual ~MprisRemote() = default;

  virtual MprisState state() = 0;
  virtual void raise() = 0;
  virtual void quit() = 0;
  virtual void play() = 0;
  virtual void pause() = 0;
  virtual void playPause() = 0;
  virtual void stop() = 0;
  virtual void next() = 0;
  virtual void previous() = 0;
  virtual void setVolume(double volume) = 0;
};

}  // namespace tembra
