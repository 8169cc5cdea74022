#include "ads/AdSlot.h"

#include <limits>

#include "platform/Utf.h"

namespace tembra {

namespace {
constexpr std::u16string_view kSeparator = u"<EOF>";
}  // namespace

const AdSlot& AdSlot::Right() {
  static constexpr AdSlot slot{u"WEB_TV_AD_RIGHT", u"Advertise\\Fix", "Advertise/Fix", "Advertise/Fix.zip", true};
  return slot;
}

const AdSlot& AdSlot::Pop() {
  static constexpr AdSlot slot{u"WEB_TV_AD_POP", u"Advertise\\Pop", "Advertise/Pop", "Advertise/Pop.zip", false};
  return slot;
}

const AdSlot* AdSlot::Find(std::u16string_view key) {
  if (key == Right().key) return &Right();
  if (key == Pop().key) return &Pop();
  return nullptr;
}

int64_t AdSlot::ParseNumber(std::u16string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == u' ' || text[at] == u'\t' || text[at] == u'\r' || text[at] == u'\n')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';
  constexpr uint64_t kLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  uint64_t value = 0;
  for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    const uint64_t digit = static_cast<uint64_t>(text[at] - u'0');
    if (value > (kLimit + 1 - digit) / 10) {
      return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    }
    value = value * 10 + digit;
  }
  if (negative) return value > kLimit ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(value);
  return value > kLimit ? std::numeric_limits<int64_t>::max() : static_cast<int64_t>(value);
}

int64_t AdSlot::StoredTime(std::u16string_view value) {
  const size_t at = value.find(kSeparator);
  if (at == std::u16string_view::npos) return 0;
  return ParseNumber(value.substr(0, at));
}

std::u16string_view AdSlot::PagePart(std::u16string_view value) {
  const size_t at = value.find(kSeparator);
  return at == std::u16string_view::npos ? value : value.substr(at + kSeparator.size());
}

std::u16string AdSlot::PackageValue(int64_t modifyTime) const {
  return asciiToUtf16(std::to_string(modifyTime)) + std::u16string(kSeparator) + std::u16string(storedFolder) +
         u"\\index.html";
}

}  // namespace tembra
