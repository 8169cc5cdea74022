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

CommandLine::Arguments CommandLine::read(const std::vector<std::string>& args) {
  Arguments out;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.empty() || a[0] == '-' || !out.playlist.empty()) out.unknown.push_back(a);
    else out.playlist = a;
  }
  return out;
}

std::string CommandLine::versionText() { return "tembra-player " TEMBRA_VERSION "\n"; }

std::string CommandLine::helpText() {
  return "Usage: tembra-player [PLAYLIST] [--version | --help]\n"
         "Watch live TV: an M3U playlist with its XMLTV guide, or the operator's service.\n"
         "\n"
         "  PLAYLIST   an M3U playlist file or http(s) URL to open; it joins the\n"
         "             sources kept in $XDG_CONFIG_HOME/tembra/sources.ini\n"
         "  --version  print the version and exit\n"
         "  -h, --help print this help and exit\n"
         "\n"
         "Without PLAYLIST the source used last opens; with none kept, the operator's\n"
         "service named in config.ini beside the program. Only one copy runs per\n"
         "user: starting another brings the running one's window forward.\n"
         "Qt's own options (-platform, -display, ...) are accepted as well.\n";
}

}  // namespace tembra
