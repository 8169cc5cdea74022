#include "e2e/PlayerProcess.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

#include "platform/ModulePath.h"

namespace tembra::test {

namespace fs = std::filesystem;

namespace {

// A start of the stand-in leaves one line: its arguments.
const char* kStandIn =
    "#!/bin/sh\n"
    "echo \"started $*\" >> \"$(dirname \"$0\")/$(basename \"$0\").ran\"\n";

}  // namespace

bool PlayerProcess::PrepareProgramFolder(const std::string& folder, std::string& error) {
  const std::string built = ModulePath::record();
  std::error_code ec;
  fs::create_directories(folder, ec);
  // A hard link, not a symbolic one: the program finds its folder through
  // /proc/self/exe, which resolves symbolic links.
  fs::create_hard_link(built + "tembra-player", folder + "/tembra-player", ec);
  if (ec) {
    ec.clear();
    fs::copy_file(built + "tembra-player", folder + "/tembra-player", ec);
    if (ec) {
      error = "cannot place the program in " + folder + ": " + ec.message();
      return false;
    }
  }
  for (const char* item : {"libtembra-web.so", "skin", "languages", "logo.html", "icons"}) {
    if (!fs::exists(built + item)) continue;
    fs::create_symlink(built + item, folder + "/" + item, ec);
    if (ec) {
      error = std::string("cannot link ") + item + ": " + ec.message();
      return false;
    }
  }
  PlaceStandIn(folder, "tembra-autoupdate");
  return true;
}

void PlayerProcess::PlaceStandIn(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name;
  std::ofstream(path) << kStandIn;
  ::chmod(path.c_str(), 0755);
}

PlayerProcess::PlayerProcess(const PlayerFolders& folders, const std::string& display,
                             const std::string& busAddress, const std::string& logName,
                             const std::map<std::string, std::string>& env, const std::vector<std::string>& args) {
  logPath_ = folders.state + "/" + logName;
  probePath_ = logPath_.substr(0, logPath_.rfind('.')) + ".loop-probe";
  std::map<std::string, std::string> set = {
      {"DISPLAY", display},
      {"QT_QPA_PLATFORM", "xcb"},
      {"DBUS_SESSION_BUS_ADDRESS", busAddress},
      {"XDG_RUNTIME_DIR", folders.runtime},
      {"HOME", folders.home},
      {"XDG_CONFIG_HOME", folders.home + "/.config"},
      {"XDG_DATA_HOME", folders.home + "/.local/share"},
      {"XDG_STATE_HOME", folders.home + "/.local/state"},
      {"TEMBRA_LOOP_PROBE", probePath_},
  };
  // Under the address sanitizer (the asan preset): the web engine's own
  // allocator mismatches are its own, and under X the OpenGL driver is
  // unloaded at exit with allocations the leak checker can no longer name.
  if (std::getenv("ASAN_OPTIONS") == nullptr) set["ASAN_OPTIONS"] = "new_delete_type_mismatch=0:detect_leaks=0";
  for (const auto& [k, v] : env) set[k] = v;
  ::mkdir(folders.runtime.c_str(), 0700);
  ::chmod(folders.runtime.c_str(), 0700);
  ::unlink(probePath_.c_str());
  // The shell only changes directory and sends the output to the log, then
  // becomes the program (same pid) with the arguments.
  std::vector<std::string> shell{"-c", "cd \"$1\" || exit 126; log=\"$0\"; program=\"$2\"; shift 2; exec \"$program\" \"$@\" >>\"$log\" 2>&1",
                                 logPath_, folders.state, folders.program + "/tembra-player"};
  shell.insert(shell.end(), args.begin(), args.end());
  process_ = std::make_unique<ChildProcess>("/bin/sh", shell, set,
                                            std::vector<std::string>{"WAYLAND_DISPLAY", "SESSION_MANAGER"});
}

PlayerProcess::~PlayerProcess() {
  if (process_ && process_->running()) {
    ::kill(process_->pid(), SIGKILL);
    waitForExit(5000);
  }
}

bool PlayerProcess::waitForExit(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (process_->running()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

bool PlayerProcess::terminate(int timeoutMs) {
  if (process_->running()) ::kill(process_->pid(), SIGTERM);
  return waitForExit(timeoutMs);
}

std::string PlayerProcess::log() const {
  std::ifstream in(logPath_, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

PlayerProcess::Probe PlayerProcess::probe() const {
  Probe p;
  std::ifstream in(probePath_);
  std::string key;
  long value = 0;
  while (in >> key >> value) {
    p.written = true;
    if (key == "worst_ms") p.worstMs = value;
    else if (key == "worst_own_ms") p.worstOwnMs = value;
    else if (key == "ticks") p.ticks = value;
    else if (key == "first_frame_ms") p.firstFrameMs = value;
    else if (key == "recent_own_ms") p.recentOwnMs = value;
    else if (key == "writes") p.writes = value;
    else if (key == "settled") p.settled = value != 0;
    else if (key == "settle_own_ms") p.settleOwnMs = value;
  }
  return p;
}

}  // namespace tembra::test
