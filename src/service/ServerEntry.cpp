#include "service/ServerEntry.h"

namespace tembra {

std::u16string ServerEntry::Host(std::u16string_view entry) {
  constexpr std::u16string_view kScheme = u"http://";
  size_t scheme = entry.find(kScheme);
  if (scheme != std::u16string_view::npos) entry.remove_prefix(scheme + kScheme.size());
  size_t colon = entry.find(u':');
  if (colon != std::u16string_view::npos) entry = entry.substr(0, colon);
  return std::u16string(entry);
}

std::vector<std::u16string> ServerEntry::ParsePlanList(std::u16string_view value) {
  std::vector<std::u16string> entries;
  for (int i = 0; i < 3; ++i) {
    size_t at = value.find(kSeparator);
    if (at == std::u16string_view::npos) break;
    entries.emplace_back(value.substr(0, at));
    value.remove_prefix(at + kSeparator.size());
  }
  return entries;
}

}  // namespace tembra
