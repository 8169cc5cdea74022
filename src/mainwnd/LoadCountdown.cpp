#include "mainwnd/LoadCountdown.h"

#include "platform/Utf.h"

namespace tembra {

std::optional<int> LoadCountdown::tick(int& counter) {
  if (counter <= 0) return std::nullopt;
  return counter--;
}

std::u16string LoadCountdown::text(std::u16string_view templ, int n) {
  std::u16string out;
  bool replaced = false;
  for (size_t i = 0; i < templ.size(); ++i) {
    if (templ[i] != u'%' || i + 1 == templ.size()) {
      out.push_back(templ[i]);
      continue;
    }
    const char16_t next = templ[i + 1];
    if (next == u'%') {
      out.push_back(u'%');
      ++i;
    } else if (!replaced && (next == u'd' || next == u'i' || next == u'u')) {
      out += asciiToUtf16(std::to_string(n));
      replaced = true;
      ++i;
    } else {
      out.push_back(u'%');
    }
  }
  return out;
}

}  // namespace tembra
