// An arbitrary catalogue reply (UTF-8 turned into UTF-16, as the client
// does): the catalogue it gives holds no null channel, and every channel is
// found again by its id and in its group's list.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "platform/Utf.h"
#include "service/ChannelCatalogue.h"

using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string text = tembra::fromUtf8(tembra::fuzz::Bytes(data, size));
  const auto catalogue = tembra::ChannelCatalogue::Parse(text);
  Check(catalogue != nullptr);
  Check(catalogue->loaded() == (catalogue->channels().empty() ? 0 : 1));
  size_t shown = 0;
  for (const auto& channel : catalogue->channels()) {
    Check(channel != nullptr);
    Check(catalogue->FindChannel(channel->id) != nullptr);
    if (++shown > 64) break;  // the lookups are linear; a sample is enough
  }
  size_t groups = 0;
  for (const auto& group : catalogue->groups()) {
    if (++groups > 32) break;
    for (const auto& channel : catalogue->ChannelsOfGroup(group.id)) Check(channel != nullptr);
  }
  return 0;
}
