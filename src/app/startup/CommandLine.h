#pragma once
#include <string>
#include <vector>

namespace tembra {

// The program's own command line: --version and --help (-h), looked at
// before any window or display is opened. Everything else is left to Qt,
// which removes its own options (-platform, -display, ...); whatever is
// left after that is an error.
class CommandLine {
 public:
  enum class Action { Run, Version, Help };

  static Action parse(int argc, char** argv);
  // Arguments Qt left that nobody knows (argv[0] excluded).
  static std::vector<std::string> leftOver(const std::vector<std::string>& argumentsAfterQt);

  static std::string versionText();
  static std::string helpText();
};

}  // namespace tembra
