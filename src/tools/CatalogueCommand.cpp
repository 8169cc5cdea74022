#include <cstdio>

#include "tools/Commands.h"

namespace tembra::tools {

int runCatalogue(const std::vector<std::string>&) {
  std::fputs("tembra-tool: 'catalogue' is not available in this build\n", stderr);
  return 2;
}

}  // namespace tembra::tools
