// tembra-tool address decode HEX | encode TEXT [--key HEX32]: the channel
// address cipher from the command line, for operators who build catalogues
// or check what the client would hand to the player.
#include <cstdio>
#include <optional>
#include <string>

#include "platform/Utf.h"
#include "service/AddressCipher.h"
#include "tools/Commands.h"
#include "tools/KeyOption.h"

namespace tembra::tools {

namespace {
int usageError(const char* problem) {
  std::fprintf(stderr, "tembra-tool: %s\nusage: tembra-tool address decode HEX [--key HEX32]\n"
                       "       tembra-tool address encode TEXT [--key HEX32]\n", problem);
  return 2;
}
}  // namespace

int runAddress(const std::vector<std::string>& args) {
  if (args.empty()) return usageError("address needs 'decode' or 'encode'");
  const std::string& sub = args[0];
  if (sub != "decode" && sub != "encode") return usageError(("unknown address command '" + sub + "'").c_str());
  std::vector<std::string> rest(args.begin() + 1, args.end());
  std::optional<std::array<uint8_t, 16>> keyOption;
  if (!takeKeyOption(rest, keyOption)) return 2;
  if (rest.size() != 1) return usageError(("address " + sub + " takes exactly one argument").c_str());
  const AddressCipher::Key key = keyOption ? *keyOption : AddressCipher::DefaultKey();

  if (sub == "decode") {
    if (rest[0].size() > 128)
      std::fputs("tembra-tool: only the first 128 digits of an address are read\n", stderr);
    std::printf("%s\n", toUtf8(DecodeChannelAddress(fromUtf8(rest[0]), key)).c_str());
    return 0;
  }
  // An address the client could not decode whole must not be handed out.
  if (rest[0].size() > 64) return usageError("an address longer than 64 bytes cannot be enciphered");
  if (rest[0].find('\0') != std::string::npos) return usageError("the address holds a zero byte");
  std::printf("%s\n", toUtf8(EncodeChannelAddress(fromUtf8(rest[0]), key)).c_str());
  return 0;
}

}  // namespace tembra::tools
