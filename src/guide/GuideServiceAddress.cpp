#include "guide/GuideServiceAddress.h"

namespace tembra {

namespace {

bool sameAsciiNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
    if (x != y) return false;
  }
  return true;
}

uint16_t portOf(std::u16string_view text) {
  if (text.empty() || text.size() > 5) return 0;
  uint32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
  }
  return value >= 1 && value <= 65535 ? static_cast<uint16_t>(value) : 0;
}

}  // namespace

GuideServiceAddress GuideServiceAddress::Parse(std::u16string_view url) {
  GuideServiceAddress out;
  std::u16string_view scheme = u"http";
  std::u16string_view rest = url;
  if (size_t mark = url.find(u"://"); mark != std::u16string_view::npos) {
    scheme = url.substr(0, mark);
    rest = url.substr(mark + 3);
  }
  std::u16string_view authority = rest.substr(0, rest.find_first_of(u"/?#"));
  if (size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) authority = authority.substr(at + 1);
  const uint16_t defaultPort = sameAsciiNoCase(scheme, u"https") ? 443 : 80;
  std::u16string_view host = authority;
  std::u16string_view port;
  bool hasPort = false;
  if (!authority.empty() && authority.front() == u'[') {
    const size_t close = authority.find(u']');
    host = authority.substr(0, close == std::u16string_view::npos ? authority.size() : close + 1);
    if (close != std::u16string_view::npos && close + 1 < authority.size() && authority[close + 1] == u':') {
      port = authority.substr(close + 2);
      hasPort = true;
    }
  } else if (size_t colon = authority.find(u':'); colon != std::u16string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
    hasPort = true;
  }
  out.host = std::u16string(host);
  out.port = hasPort && !port.empty() ? portOf(port) : defaultPort;
  return out;
}

}  // namespace tembra
