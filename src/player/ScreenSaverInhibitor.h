#pragma once
#include <QDBusConnection>
#include <QString>
#include <cstdint>
#include <memory>

namespace tembra {

// Holds the desktop's screen saver off while a stream plays, through the
// freedesktop ScreenSaver interface on the session bus when a desktop
// offers it; without one it does nothing (the window still swallows the
// screen-saver commands it receives). No call waits for the desktop: the
// hold is asked for and given back asynchronously, and the answers are
// taken on the event loop of the thread that made this object (GUI only).
class ScreenSaverInhibitor {
 public:
  static constexpr const char* kService = "org.freedesktop.ScreenSaver";
  static constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
  // How long an unanswered request stays pending before it counts as
  // refused; nothing waits for it.
  static constexpr int kCallTimeoutMs = 5000;

  explicit ScreenSaverInhibitor(QDBusConnection bus = QDBusConnection::sessionBus());
  // Lets the screen saver run again, also when the desktop's answer to a
  // hold is still on its way: the hold it grants is given straight back.
  ~ScreenSaverInhibitor();
  ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
  ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

  // What the player wants; idempotent in both directions. A desktop that
  // refused a hold is asked again only after a release.
  void setInhibited(bool inhibited);
  // The desktop granted a hold that has not been given back.
  bool inhibited() const;
  // A request to the desktop has not been answered yet.
  bool pending() const;

 private:
  struct Shared;
  static void settle(const std::shared_ptr<Shared>& shared);

  // Shared with the watcher of a request in flight, which may outlive this
  // object. GUI thread only.
  std::shared_ptr<Shared> shared_;
};

}  // namespace tembra
