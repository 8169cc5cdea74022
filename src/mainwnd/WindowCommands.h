#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace tembra {

class CWindowWnd;
class ConfigStore;
class MessageTarget;
class TrayIcon;
struct WindowState;

// The main window's commands: closing, the home page, the hand-over to the
// updater, restoring from the tray, the about dialog and the service's
// notices.
class WindowCommands {
 public:
  // Finds a running updater's window by its caption and brings it forward;
  // false when there is none.
  using FindUpdater = std::function<bool(const std::u16string& caption)>;
  // The tray icon, or null before the start-up sequence made it.
  using Tray = std::function<TrayIcon*()>;

  struct Setup {
    CWindowWnd* window = nullptr;
    WindowState* state = nullptr;
    MessageTarget* target = nullptr;  // the window's own queue, for the dialogs
    ConfigStore* config = nullptr;
    std::string programFolder;        // ends in '/'
    Tray tray;
    FindUpdater findUpdater;          // empty: FindUpdaterWindow
  };

  explicit WindowCommands(Setup setup);

  // Removes the tray icon and closes the window once the current message
  // has been handled (the close sequence follows).
  void CloseWindow();
  // Hands over to the updater: a running one's window is brought forward,
  // else "tembra-autoupdate" beside the executable is started; either way
  // the window closes (and "tembra-advertise" is then left alone). With
  // neither, the user is told how to install it, and a forced upgrade
  // closes the window all the same.
  void StartUpdater(bool forced);
  // "HomePage" from config.ini in the desktop's browser; a message when
  // none is set or no browser could be started.
  void OpenHomePage();
  void RestoreOrRaise();
  void OpenAbout();
  // The service demands an upgrade: the forced-upgrade dialog, modal; the
  // window closes when it cannot be shown.
  void ForcedUpgrade();
  // A notice from the service, as a tray balloon.
  void ShowNotice(const std::u16string& text);
  int TrayCallback(intptr_t mouseMessage);

  // The updater's window on X11, through the window manager's client list;
  // never found elsewhere, nor for an empty caption.
  static bool FindUpdaterWindow(const std::u16string& caption);

  static constexpr const char* kUpdaterProgram = "tembra-autoupdate";

 private:
  void removeTrayIcon();

  Setup setup_;
};

}  // namespace tembra
