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
  readTimeshift(s);
}

// A value that is not a positive number keeps its default; the caps'
// upper bounds are TimeshiftBudget's.
void PlayerSettings::readTimeshift(const QSettings& s) {
  bool ok = false;
  const int minutes = s.value("timeshift/minutes", timeshiftMinutes_).toInt(&ok);
  if (ok && minutes > 0) timeshiftMinutes_ = minutes;
  const qlonglong megabytes = s.value("timeshift/megabytes", static_cast<qlonglong>(timeshiftMegabytes_)).toLongLong(&ok);
  if (ok && megabytes > 0) timeshiftMegabytes_ = megabytes;
  timeshiftEnabled_ = s.value("timeshift/enabled", true).toString().trimmed().compare("false", Qt::CaseInsensitive) != 0;
}

QString PlayerSettings::TimeshiftFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/tembra/timeshift";
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
