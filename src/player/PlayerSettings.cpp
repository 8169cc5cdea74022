#include "player/PlayerSettings.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace tembra {

namespace {
constexpr const char* kVolumeKey = "audio/volume";
constexpr const char* kMutedKey = "audio/muted";
constexpr const char* kAudioLanguageKey = "tracks/audio-language";
constexpr const char* kSubtitleLanguageKey = "tracks/subtitle-language";
constexpr const char* kAspectKey = "picture/aspect";
constexpr const char* kZoomKey = "picture/zoom";
constexpr const char* kAspectNames[] = {"auto", "16:9", "4:3", "fill"};
}  // namespace

PlayerSettings::PlayerSettings(QString path) : path_(path.isEmpty() ? DefaultPath() : std::move(path)) {
  QSettings s(path_, QSettings::IniFormat);
  bool ok = false;
  const int v = s.value(kVolumeKey, kDefaultVolume).toInt(&ok);
  volume_ = ok ? Clamp(v) : kDefaultVolume;
  // Anything but a clear "true" (a hand-edited or torn file) keeps the
  // sound on.
  muted_ = s.value(kMutedKey, false).toString().trimmed().compare("true", Qt::CaseInsensitive) == 0;
  audioLanguage_ = CleanLanguage(s.value(kAudioLanguageKey).toString().toStdString());
  subtitleLanguage_ = CleanLanguage(s.value(kSubtitleLanguageKey).toString().toStdString());
  const std::string aspect = s.value(kAspectKey).toString().trimmed().toLower().toStdString();
  for (size_t i = 0; i < std::size(kAspectNames); ++i)
    if (aspect == kAspectNames[i]) aspect_ = static_cast<Aspect>(i);
  const int zoom = s.value(kZoomKey, 100).toInt(&ok);
  zoom_ = ok ? NearestZoom(zoom) : 100;
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

void PlayerSettings::setAudioLanguage(const std::string& language) {
  const std::string clean = CleanLanguage(language);
  if (clean == audioLanguage_) return;
  audioLanguage_ = clean;
  save();
}

void PlayerSettings::setSubtitleLanguage(const std::string& language) {
  const std::string clean = CleanLanguage(language);
  if (clean == subtitleLanguage_) return;
  subtitleLanguage_ = clean;
  save();
}

void PlayerSettings::setAspect(Aspect aspect) {
  if (aspect == aspect_) return;
  aspect_ = aspect;
  save();
}

void PlayerSettings::setZoom(int percent) {
  const int zoom = NearestZoom(percent);
  if (zoom == zoom_) return;
  zoom_ = zoom;
  save();
}

std::string PlayerSettings::CleanLanguage(const std::string& language) {
  if (language.empty() || language.size() > kMaxLanguage) return {};
  for (char c : language)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return {};
  return language;
}

int PlayerSettings::NearestZoom(int percent) {
  int best = kZoomSteps[0];
  for (int step : kZoomSteps)
    if (std::abs(static_cast<long>(step) - percent) < std::abs(static_cast<long>(best) - percent)) best = step;
  return best;
}

std::string PlayerSettings::AspectOverride(Aspect aspect) {
  switch (aspect) {
    case Aspect::Wide: return "16:9";
    case Aspect::Standard: return "4:3";
    default: return "-1";
  }
}

double PlayerSettings::Panscan(Aspect aspect) { return aspect == Aspect::Fill ? 1.0 : 0.0; }

// mpv's zoom is a power of two: 1 doubles the picture.
double PlayerSettings::VideoZoom(int percent) { return std::log2(NearestZoom(percent) / 100.0); }

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
  s.setValue(kAudioLanguageKey, QString::fromStdString(audioLanguage_));
  s.setValue(kSubtitleLanguageKey, QString::fromStdString(subtitleLanguage_));
  s.setValue(kAspectKey, QString::fromLatin1(kAspectNames[static_cast<int>(aspect_)]));
  s.setValue(kZoomKey, zoom_);
  s.sync();
}

QString PlayerSettings::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/tembra/player.ini";
}

int PlayerSettings::Clamp(int volume) { return std::clamp(volume, 0, kMaxVolume); }

}  // namespace tembra
