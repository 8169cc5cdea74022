#pragma once
#include <QDBusConnection>
#include <QObject>

#include "mpris/MprisRemote.h"

namespace tembra {

// The program on the session bus as a media player, the way the desktop's
// media keys, panels and tools such as playerctl find players: the name
// org.mpris.MediaPlayer2.tembra, the object /org/mpris/MediaPlayer2 with
// the interfaces org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player.
//
// Nothing here waits for the bus: the name is asked for with an
// asynchronous call, and signals are sent without answers. Without a bus
// nothing happens. GUI thread only.
class MprisService : public QObject {
  Q_OBJECT
 public:
  static constexpr const char* kBusName = "org.mpris.MediaPlayer2.tembra";
  static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
  static constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
  static constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

  explicit MprisService(MprisRemote& remote, QDBusConnection bus = QDBusConnection::sessionBus(),
                        QObject* parent = nullptr);
  ~MprisService() override;

  // Registers the object and asks for the name; false without a bus.
  bool start();
  // The bus gave us the name (its answer has come and said so).
  bool owned() const { return owned_; }
  // Reads the state again and tells the bus what changed (PropertiesChanged).
  void changed();

  MprisRemote& remote() { return remote_; }
  // The state as last told (what changed() compares with).
  const MprisState& told() const { return told_; }

 signals:
  void nameOwned(bool owned);

 private:
  MprisRemote& remote_;
  QDBusConnection bus_;
  QObject* object_ = nullptr;  // carries the two adaptors; child of this
  bool registered_ = false;
  bool owned_ = false;
  MprisState told_;
};

}  // namespace tembra
