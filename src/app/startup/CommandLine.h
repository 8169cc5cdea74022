#pragma once
#include <string>
#include <vector>

namespace tembra {

// The program's own command line: --version and --help (-h), looked at
// before any window or display is opened, and one optional playlist (a file
// or a URL). Everything else is left to Qt, which removes its own options
// (-platform, -display, ...); an option left after that, or a second
// playlist, is an error.
class CommandLine {
 public:
  enum class Action { Run, Version, Help };

  static Action parse(int argc, char** argv);
  struct Arguments {
    std::string playlist;              // empty: none given
    std::vector<std::string> unknown;  // what nobody knows
  };
  // Reads what Qt left (argv[0] first).
  static Arguments read(const std::vector<std::string>& argumentsAfterQt);

  static std::string versionText();
  static std::string helpText();
};

}  // namespace tembra
