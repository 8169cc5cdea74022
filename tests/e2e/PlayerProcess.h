#pragma once
// The real tembra-player as a user runs it, from a program folder of its
// own (the built program hard-linked into a temporary folder beside links
// to the skin, languages, logo page and icons, so config.ini and the
// Advertise folders it writes stay the test's), its working directory in a
// state folder (tv.xml, bi.dat), its own runtime folder (single-instance
// lock), home, display and session bus, and the event-loop probe on.
// Its output goes to a log file in the state folder.
#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mainwnd/ChildProcess.h"

namespace tembra::test {

struct PlayerFolders {
  std::string program;  // holds config.ini
  std::string state;    // working directory
  std::string runtime;  // XDG_RUNTIME_DIR
  std::string home;
};

class PlayerProcess {
 public:
  // Fills folders.program: the program, links to what it reads beside
  // itself, and a stand-in for the updater "tembra-autoupdate" that only
  // notes each start in tembra-autoupdate.ran there. False with the reason
  // on failure.
  static bool PrepareProgramFolder(const std::string& folder, std::string& error);
  // A stand-in program NAME in folder that notes each start in NAME.ran.
  static void PlaceStandIn(const std::string& folder, const std::string& name);

  // Starts the program; env adds to (or replaces in) the environment made
  // from the folders, display and bus.
  PlayerProcess(const PlayerFolders& folders, const std::string& display, const std::string& busAddress,
                const std::string& logName = "tembra-player.log",
                const std::map<std::string, std::string>& env = {}, const std::vector<std::string>& args = {});
  ~PlayerProcess();  // kills a program still running
  PlayerProcess(const PlayerProcess&) = delete;
  PlayerProcess& operator=(const PlayerProcess&) = delete;

  pid_t pid() const { return process_->pid(); }
  bool running() { return process_->running(); }
  // Waits for the end; false when it is still running after timeoutMs.
  bool waitForExit(int timeoutMs);
  // SIGTERM and the wait.
  bool terminate(int timeoutMs);
  // Exit code (or minus the signal); meaningful once running() is false.
  int exitCode() const { return process_->exitCode(); }
  bool exitedNormally() const { return process_->exitedNormally(); }

  std::string log() const;
  const std::string& logPath() const { return logPath_; }

  // The probe's figures: the worst lateness of the event loop after the
  // window showed, and the 10 ms ticks measured; false when no file yet.
  struct Probe {
    bool written = false;
    long worstMs = -1;
    long worstOwnMs = -1;  // less the waits for a CPU taken by other processes
    long ticks = 0;
    long firstFrameMs = -1;
    // The worst own delay since the write before this one, and which
    // write this is (one a second).
    long recentOwnMs = -1;
    long writes = 0;
    // The window's start-up after its first frame (the player and web
    // panes made): whether it ended, and its worst own delay, kept apart
    // from worstOwnMs.
    bool settled = false;
    long settleOwnMs = -1;
  };
  Probe probe() const;
  const std::string& probePath() const { return probePath_; }

 private:
  std::unique_ptr<ChildProcess> process_;
  std::string logPath_;
  std::string probePath_;
};

}  // namespace tembra::test
