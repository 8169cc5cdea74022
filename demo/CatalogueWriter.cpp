#include "CatalogueWriter.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "TextEscape.h"
#include "platform/Hex.h"
#include "platform/Utf.h"
#include "service/AddressCipher.h"

namespace tembra {

namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr size_t kMaxAddressBytes = 64;

// The cipher works on independent 8-byte blocks, and the addresses of a
// line-up differ only in the few blocks that hold the channel id, so each
// distinct block is enciphered once. Without this a line-up of 100,000
// channels takes minutes in a debug build.
class BlockMemo {
 public:
  std::string Encipher(const std::string& address) {
    if (address.size() > kMaxAddressBytes)
      return toUtf8(EncodeChannelAddress(fromUtf8(address)));
    std::string hex;
    for (size_t at = 0; at < address.size(); at += 8) {
      uint8_t block[8] = {};
      std::memcpy(block, address.data() + at, std::min<size_t>(8, address.size() - at));
      uint64_t key;
      std::memcpy(&key, block, 8);
      auto [it, fresh] = blocks_.try_emplace(key);
      if (fresh) {
        uint8_t out[8];
        cipher_.EncryptBlocks(block, out, 8);
        it->second = toHexUpper(out, 8);
      }
      hex += it->second;
    }
    return hex;
  }

 private:
  AddressCipher cipher_;
  std::unordered_map<uint64_t, std::string> blocks_;
};

}  // namespace

std::string CatalogueWriter::Write(const DemoData& data, const std::string& streamBase) {
  std::string out = kDeclaration;
  out.reserve(data.channels().size() * 260 + 256);
  out += "<channels>\n";
  const auto& channels = data.channels();
  size_t next = 0;
  BlockMemo memo;
  for (uint32_t g = 0; g < data.groups().size(); ++g) {
    const DemoGroup& group = data.groups()[g];
    out += "<group name=\"" + TextEscape::Xml(group.name) + "\" id=\"" + TextEscape::Xml(group.id) +
           "\" type=\"" + group.type + "\" deploy=\"" + std::to_string(group.deploy) + "\">\n";
    for (; next < channels.size() && channels[next].group == g; ++next) {
      const DemoChannel& c = channels[next];
      out += "<channel language=\"" + TextEscape::Xml(c.language) + "\"><name>" +
             TextEscape::Xml(c.name) + "</name><id>" + TextEscape::Xml(c.id) + "</id><status>" +
             c.status + "</status><vip>" + std::to_string(c.vip) + "</vip><lmk_address><item>" +
             memo.Encipher(streamBase + c.id) + "</item></lmk_address></channel>\n";
    }
    out += "</group>\n";
  }
  out += "</channels>\n";
  return out;
}

std::string CatalogueWriter::Empty() { return std::string(kDeclaration) + "<channels/>\n"; }

}  // namespace tembra
