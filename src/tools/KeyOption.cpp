#include "tools/KeyOption.h"

#include <cstdio>

#include "platform/Hex.h"

namespace tembra::tools {

bool takeKeyOption(std::vector<std::string>& args, std::optional<std::array<uint8_t, 16>>& key) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--key") continue;
    if (i + 1 >= args.size()) {
      std::fputs("tembra-tool: --key needs a value of 32 hexadecimal digits\n", stderr);
      return false;
    }
    auto parsed = parseKey16(args[i + 1]);
    if (!parsed) {
      std::fprintf(stderr, "tembra-tool: --key '%s' is not 32 hexadecimal digits\n", args[i + 1].c_str());
      return false;
    }
    key = parsed;
    args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
    return true;
  }
  return true;
}

}  // namespace tembra::tools
