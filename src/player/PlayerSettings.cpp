#include "player/PlayerSettings.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace tembra {

namespace {
constexpr const char* kVolumeKey = "audio/volume";
constexpr const char* kMutedKey = "audio/muted";
}  // namespace

PlayerSettings::PlayerSettings(QString path) : path_(path.isEmpty() ? DefaultPath() : std::move(path)) {
  QSettings s(path_, QSettings::IniFormat);
  bool ok = false;
  const int v = s.value(kVolumeKey, kDefaultVolume).toInt(&ok);
  volume_ = ok ? Clamp(v) : kDefaultVolume;
  // Anything but a clear "true" (a hand-edited or torn file) keeps the
  // sound on.
  muted_ = s.value(kMutedKey, false).toString().trimmed().compare("true", Qt::CaseInsensitive) == 0;
}

void PlayerSettings::setVolume(int volume) {
  const int v = Clamp(volume);
  if (v == volume_) return;
  volume_ = v;
  save();
}

void PlayerSettings::setMuted(bool muted) {
  if (muted == muted_) return;
  muted_ = muted;
  save();
}

void PlayerSettings::save() const {
  QSettings s(path_, QSettings::IniFormat);
  s.setValue(kVolumeKey, volume_);
  s.setValue(kMutedKey, muted_);
  s.sync();
}

QString PlayerSettings::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/tembra/player.ini";
}

int PlayerSettings::Clamp(int volume) { return std::clamp(volume, 0, kMaxVolume); }

}  // namespace tembra
