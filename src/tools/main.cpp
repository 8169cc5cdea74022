// tembra-tool: the command-line companion for operators, skin and language
// authors. Results go to stdout, problems to stderr; exit 0 on success, 1 on
// a negative answer, 2 on bad arguments or unreadable input.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/Commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "help") {
    std::fputs(tembra::tools::kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "config") return tembra::tools::runConfig(args);
  if (command == "xml") return tembra::tools::runXml(args);
  if (command == "address") return tembra::tools::runAddress(args);
  if (command == "catalogue") return tembra::tools::runCatalogue(args);
  if (command == "guide") return tembra::tools::runGuide(args);
  if (command == "stats") return tembra::tools::runStats(args);
  if (command == "notice") return tembra::tools::runNotice(args);
  if (command == "zip") return tembra::tools::runZip(args);
  if (command == "ads") return tembra::tools::runAds(args);
  if (command == "skin") return tembra::tools::runSkin(args);
  if (command == "playlist") return tembra::tools::runPlaylist(args);
  if (command == "catchup") return tembra::tools::runCatchup(args);
  if (command == "epg") return tembra::tools::runEpg(args);
  std::fprintf(stderr, "tembra-tool: unknown command '%s'\n\n%s", command.c_str(), tembra::tools::kUsage);
  return 2;
}
