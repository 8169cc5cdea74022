#include "app/startup/CommandLine.h"

#include <cstring>

namespace tembra {

CommandLine::Action CommandLine::parse(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) return Action::Version;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return Action::Help;
  }
  return Action::Run;
}

std::vector<std::string> CommandLine::leftOver(const std::vector<std::string>& args) {
  if (args.size() <= 1) return {};
  return {args.begin() + 1, args.end()};
}

std::string CommandLine::versionText() { return "tembra-player " TEMBRA_VERSION "\n"; }

std::string CommandLine::helpText() {
  return "Usage: tembra-player [--version | --help]\n"
         "Watch the operator's live TV channels.\n"
         "\n"
         "  --version  print the version and exit\n"
         "  -h, --help print this help and exit\n"
         "\n"
         "Settings live in config.ini beside the program; only one copy runs per\n"
         "user: starting another brings the running one's window forward.\n"
         "Qt's own options (-platform, -display, ...) are accepted as well.\n";
}

}  // namespace tembra
