#pragma once
#include <QString>
#include <cstdint>

class QSettings;

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
  // The live buffer's caps ("timeshift/minutes", "timeshift/megabytes";
  // only read, the viewer edits the file) and whether it is on at all
  // ("timeshift/enabled", on unless a clear "false").
  int timeshiftMinutes() const { return timeshiftMinutes_; }
  int64_t timeshiftMegabytes() const { return timeshiftMegabytes_; }
  bool timeshiftEnabled() const { return timeshiftEnabled_; }
  // <user cache folder>/tembra/timeshift
  static QString TimeshiftFolder();

  // <user config folder>/tembra/player.ini
  static QString DefaultPath();
  static int Clamp(int volume);

 private:
  void save() const;
  void readTimeshift(const QSettings& s);

  QString path_;
  int volume_ = kDefaultVolume;
  bool muted_ = false;
  int timeshiftMinutes_ = 60;
  int64_t timeshiftMegabytes_ = 2048;
  bool timeshiftEnabled_ = true;
};

}  // namespace tembra
