#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tembra {

// Finds a running program's top-level window by its caption and brings it
// forward, through the X11 window manager's client list (EWMH). Used to
// hand over to an updater that is already running. Without an X display,
// or under a window manager that keeps no client list, nothing is found.
class UpdaterWindowFinder {
 public:
  // display as for XOpenDisplay; null means $DISPLAY.
  explicit UpdaterWindowFinder(const char* display = nullptr);
  ~UpdaterWindowFinder();
  UpdaterWindowFinder(const UpdaterWindowFinder&) = delete;
  UpdaterWindowFinder& operator=(const UpdaterWindowFinder&) = delete;

  bool connected() const;

  // The first window of _NET_CLIENT_LIST whose _NET_WM_NAME (UTF-8), or
  // WM_NAME when it has none, equals caption exactly.
  std::optional<uint32_t> find(const std::u16string& caption);

  // Asks the window manager to activate window (_NET_ACTIVE_WINDOW, as a
  // user's request): it is de-iconified, raised and focused.
  bool activate(uint32_t window);

 private:
  struct Connection;
  Connection* conn_;
};

}  // namespace tembra
