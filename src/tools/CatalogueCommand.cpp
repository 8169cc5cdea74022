// tembra-tool catalogue FILE|URL [--key HEX32]: parses a catalogue reply the
// way the client does and lists its groups and channels with the decoded
// stream addresses.
#include <cstdio>
#include <optional>
#include <string>
#include <unordered_set>

#include "platform/HttpClient.h"
#include "platform/Utf.h"
#include "service/AddressCipher.h"
#include "service/ChannelCatalogue.h"
#include "tools/Commands.h"
#include "tools/KeyOption.h"
#include "xml/XmlFileDecoder.h"

namespace tembra::tools {

namespace {

bool isUrl(const std::string& source) {
  return source.rfind("http://", 0) == 0 || source.rfind("https://", 0) == 0;
}

// The reply body as the client would see it, or nullopt (after a message)
// when it cannot be had.
std::optional<std::u16string> fetch(const std::string& source) {
  if (isUrl(source)) {
    try {
      HttpResponse response = HttpClient::Get(source, 2000, 1);
      if (response.status != 200) {
        std::fprintf(stderr, "tembra-tool: %s answered with status %ld\n", source.c_str(), response.status);
        return std::nullopt;
      }
      return fromUtf8(response.body);
    } catch (const HttpTransportError& e) {
      std::fprintf(stderr, "tembra-tool: cannot fetch %s: %s\n", source.c_str(), e.what());
      return std::nullopt;
    }
  }
  DecodedXmlFile file = XmlFileDecoder::Decode(source);
  if (!file.readOk) {
    std::fprintf(stderr, "tembra-tool: cannot read '%s'\n", source.c_str());
    return std::nullopt;
  }
  return std::move(file.text);
}

}  // namespace

int runCatalogue(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::optional<std::array<uint8_t, 16>> keyOption;
  if (!takeKeyOption(args, keyOption)) return 2;
  if (args.size() != 1) {
    std::fputs("tembra-tool: usage: tembra-tool catalogue FILE|URL [--key HEX32]\n", stderr);
    return 2;
  }
  const AddressCipher::Key key = keyOption ? *keyOption : AddressCipher::DefaultKey();
  const std::optional<std::u16string> text = fetch(args[0]);
  if (!text) return 2;

  const auto catalogue = ChannelCatalogue::Parse(*text);
  // Groups sharing an id would otherwise list the same channels twice; they
  // are listed under the first group with that id.
  std::unordered_set<std::u16string> listed;
  for (const ChannelGroup& group : catalogue->groups()) {
    std::printf("%s\t%s\n", toUtf8(group.id).c_str(), toUtf8(group.name).c_str());
    if (!listed.insert(group.id).second) continue;
    for (const ChannelRef& channel : catalogue->ChannelsOfGroup(group.id)) {
      std::printf("\t%s\t%s\t%s\t%s\n", toUtf8(channel->groupId).c_str(), toUtf8(channel->id).c_str(),
                  toUtf8(channel->name).c_str(), toUtf8(DecodeChannelAddress(channel->address, key)).c_str());
    }
  }
  if (catalogue->channels().empty()) {
    std::fputs("tembra-tool: the catalogue holds no channel\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace tembra::tools
