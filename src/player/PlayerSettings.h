#pragma once
#include <QString>
#include <string>
#include <cstdint>

class QSettings;

namespace tembra {

// The viewer's volume and mute, preferred audio and subtitle languages and
// picture shape, kept across runs in the player's own small settings file
// (not the program's enciphered configuration).
class PlayerSettings {
 public:
  static constexpr int kDefaultVolume = 80;
  static constexpr int kMaxVolume = 100;
  // The picture's shape: the stream's own, forced 16:9 or 4:3, or scaled
  // to fill the area (cropping what does not fit).
  enum class Aspect { Auto, Wide, Standard, Fill };
  // The zoom steps offered, in percent.
  static constexpr int kZoomSteps[] = {100, 110, 125, 150, 200};
  static constexpr size_t kMaxLanguage = 16;

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

  // Language codes as streams give them ("deu", "en-US"); empty: none
  // preferred (the stream's default audio, no subtitles).
  const std::string& audioLanguage() const { return audioLanguage_; }
  const std::string& subtitleLanguage() const { return subtitleLanguage_; }
  void setAudioLanguage(const std::string& language);
  void setSubtitleLanguage(const std::string& language);
  Aspect aspect() const { return aspect_; }
  void setAspect(Aspect aspect);
  int zoom() const { return zoom_; }
  // The nearest of kZoomSteps.
  void setZoom(int percent);

  // <user config folder>/tembra/player.ini
  static QString DefaultPath();
  static int Clamp(int volume);
  // A language code as kept: letters, digits and '-', at most kMaxLanguage
  // characters; anything else (a stream's or a hand-edited file's odd
  // text) is no preference.
  static std::string CleanLanguage(const std::string& language);
  static int NearestZoom(int percent);
  // mpv's video-aspect-override, panscan and video-zoom for the shape and zoom.
  static std::string AspectOverride(Aspect aspect);
  static double Panscan(Aspect aspect);
  static double VideoZoom(int percent);

 private:
  void save() const;
  void readTimeshift(const QSettings& s);

  QString path_;
  int volume_ = kDefaultVolume;
  bool muted_ = false;
  std::string audioLanguage_;
  std::string subtitleLanguage_;
  Aspect aspect_ = Aspect::Auto;
  int zoom_ = 100;
  int timeshiftMinutes_ = 60;
  int64_t timeshiftMegabytes_ = 2048;
  bool timeshiftEnabled_ = true;
};

}  // namespace tembra
