#pragma once
#include <QString>

namespace tembra {

// The viewer's volume and mute, kept across runs in the player's own small
// settings file (not the program's enciphered configuration).
class PlayerSettings {
 public:
  static constexpr int kDefaultVolume = 80;
  static constexpr int kMaxVolume = 100;

  // path empty: DefaultPath().
  explicit PlayerSettings(QString path = {});

  int volume() const { return volume_; }
  bool muted() const { return muted_; }
  // Clamped to 0..kMaxVolume; written at once so a crash loses nothing.
  void setVolume(int volume);
  void setMuted(bool muted);
  const QString& path() const { return path_; }

  // <user config folder>/tembra/player.ini
  static QString DefaultPath();
  static int Clamp(int volume);

 private:
  void save() const;

  QString path_;
  int volume_ = kDefaultVolume;
  bool muted_ = false;
};

}  // namespace tembra
