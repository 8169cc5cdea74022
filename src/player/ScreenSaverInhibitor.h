#pragma once
#include <QDBusConnection>
#include <QString>
#include <cstdint>

namespace tembra {

// Holds the desktop's screen saver off while a stream plays, through the
// freedesktop ScreenSaver interface on the session bus when a desktop
// offers it; without one it does nothing (the window still swallows the
// screen-saver commands it receives).
class ScreenSaverInhibitor {
 public:
  static constexpr const char* kService = "org.freedesktop.ScreenSaver";
  static constexpr const char* kPath = "/org/freedesktop/ScreenSaver";

  explicit ScreenSaverInhibitor(QDBusConnection bus = QDBusConnection::sessionBus());
  ~ScreenSaverInhibitor();
  ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
  ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

  // Idempotent in both directions.
  void setInhibited(bool inhibited);
  bool inhibited() const { return held_; }

 private:
  QDBusConnection bus_;
  bool held_ = false;
  uint32_t cookie_ = 0;
};

}  // namespace tembra
