#include <cstdio>

#include "tools/Commands.h"

namespace tembra::tools {

int runXml(const std::vector<std::string>&) {
  std::fputs("tembra-tool: 'xml' is not available in this build\n", stderr);
  return 2;
}

}  // namespace tembra::tools
