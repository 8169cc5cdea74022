#include "mainwnd/AdPageAddress.h"

#include "ads/AdSlot.h"

namespace tembra {

namespace {

std::u16string lowerAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return out;
}

bool leavesFolder(std::u16string_view path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'/', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (path.substr(start, end - start) == u"..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::optional<AdPage> AdPageAddress::Resolve(std::u16string_view value, std::u16string_view programFolder) {
  const std::u16string_view page = AdSlot::PagePart(value);
  if (page.find_first_not_of(u" \t\r\n") == std::u16string_view::npos) return std::nullopt;
  std::u16string lowered = lowerAscii(page);
  if (lowered.find(u"http://") != std::u16string::npos || lowered.find(u"https://") != std::u16string::npos)
    return AdPage{true, std::move(lowered)};

  std::u16string relative(page);
  for (char16_t& c : relative) {
    if (c == u'\\') c = u'/';
  }
  const size_t first = relative.find_first_not_of(u'/');
  relative.erase(0, first == std::u16string::npos ? relative.size() : first);
  if (relative.empty() || leavesFolder(relative)) return std::nullopt;
  std::u16string folder(programFolder);
  if (!folder.empty() && folder.back() != u'/') folder += u'/';
  return AdPage{false, folder + relative};
}

}  // namespace tembra
