#pragma once
#include <memory>
#include <string>

namespace tembra {

class CSplashDlg;
class ChannelSource;
class SignalBridge;
class SingleInstance;
class TembraPlayerWnd;

// The application object: the whole life of the program runs inside
// InitInstance (skin folder, single instance, main window, event loop);
// ExitInstance gives the process's exit code. Made after QApplication.
class CTembraPlayerApp {
 public:
  // Exit codes besides the window's own quit code (0).
  static constexpr int kStartFailed = 1;

  CTembraPlayerApp();
  ~CTembraPlayerApp();

  // Always false: when it returns the program is over and ExitInstance
  // gives the exit code.
  bool InitInstance();
  int ExitInstance();
  // The playlist named on the command line (a file or a URL).
  void setPlaylist(std::string playlist) { playlist_ = std::move(playlist); }
  // The user chose another source: the program is to start again once this
  // copy has ended (and freed its single-instance lock).
  bool restartWanted() const { return restart_; }

  // The executable's folder followed by "skin/Default/": where every
  // layout file and skin image is looked up.
  const std::string& skinFolder() const { return skinFolder_; }
  static std::string SkinFolderFor(const std::string& executableFolder);

  // The single-instance lock and socket, held for the life of the process;
  // the main window opens the socket once its layout is loaded and closes
  // it when it starts closing. Null before InitInstance has taken the lock.
  SingleInstance* singleInstance() const { return instance_.get(); }
  // Termination signals, to run the window's close sequence.
  SignalBridge* signalBridge() const { return signals_.get(); }
  // The main window; null until it is made. It lives as long as this object.
  TembraPlayerWnd* mainWindow() const { return window_.get(); }

 private:
  // Creates the main window, shows it and runs the event loop until the
  // window's close sequence quits it; returns the quit code.
  int CreateMainWindowAndRun();
  // The source this start opens; null after the first-run page was left
  // without one.
  std::shared_ptr<ChannelSource> chooseSource(bool& cancelled, std::string& sourceId);
  // A termination signal before the main window exists ends start-up.
  void onEarlySignal();

  std::string skinFolder_;
  std::string playlist_;
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<SignalBridge> signals_;
  // The splash outlives the window, which ends it.
  std::unique_ptr<CSplashDlg> splash_;
  std::unique_ptr<TembraPlayerWnd> window_;
  bool terminated_ = false;
  bool restart_ = false;
  int exitCode_ = 0;
};

}  // namespace tembra
