#pragma once
#include <string>

namespace tembra {

// Starts a companion program that ships beside the executable
// ("tembra-autoupdate", "tembra-advertise"): detached, with no arguments,
// never waited for. It inherits no descriptor this process opened with
// close-on-exec (the single-instance lock among them), so it cannot keep
// the lock after this copy ends.
class ProgramLauncher {
 public:
  // folder ends in '/'. False when folder + name is not an executable
  // regular file or could not be started.
  static bool launch(const std::string& folder, const std::string& name);
  static bool launchable(const std::string& path);
};

}  // namespace tembra
