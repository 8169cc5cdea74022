#include "mainwnd/StreamAddress.h"

#include <array>

namespace tembra {

namespace {

constexpr std::array<std::u16string_view, 15> kSchemes = {
    u"http",  u"https", u"udp",  u"rtp", u"rtsp", u"rtsps", u"rtmp", u"rtmps",
    u"rtmpt", u"rtmpe", u"srt", u"mms", u"mmsh", u"mmst", u"file"};

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool printable(std::u16string_view text) {
  for (char16_t c : text) {
    if (c < 0x20 || c == 0x7F || c == 0xFFFD) return false;
  }
  return true;
}

bool knownScheme(std::u16string_view scheme) {
  for (std::u16string_view s : kSchemes) {
    if (s.size() != scheme.size()) continue;
    bool same = true;
    for (size_t i = 0; i < s.size() && same; ++i) same = lower(scheme[i]) == s[i];
    if (same) return true;
  }
  return false;
}

}  // namespace

bool StreamAddress::IsPlayable(std::u16string_view address) {
  if (address.empty() || !printable(address)) return false;
  if (address.front() == u' ' || address.back() == u' ') return false;
  if (address.front() == u'/') return address.size() > 1;
  const size_t sep = address.find(u"://");
  if (sep == std::u16string_view::npos || sep == 0) return false;
  return knownScheme(address.substr(0, sep)) && address.size() > sep + 3;
}

std::u16string StreamAddress::ForPlayer(std::u16string_view decoded) {
  return std::u16string(IsPlayable(decoded) ? decoded : Unopenable());
}

}  // namespace tembra
