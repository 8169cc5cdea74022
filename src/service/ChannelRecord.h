#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace tembra {

// One <channel> of the catalogue. address is the enciphered hexadecimal
// stream address (AddressCipher decodes it).
struct ChannelRecord {
  std::u16string groupId;
  std::u16string language;
  std::u16string name;
  std::u16string id;
  std::u16string status;
  int32_t vip = 0;
  std::u16string address;
};

// Records are shared and immutable, so a list view may keep a record of an
// older catalogue alive after a refresh replaced it.
using ChannelRef = std::shared_ptr<const ChannelRecord>;

}  // namespace tembra
