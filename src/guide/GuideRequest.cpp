#include "guide/GuideRequest.h"

#include <cstdio>

#include "platform/Utf.h"

namespace tembra {

namespace {

// Bytes that would end the request line or a header early, or split it.
bool breaksRequest(std::string_view bytes, bool spaceAllowed) {
  for (unsigned char c : bytes) {
    if (c < 0x20 || c == 0x7F) return true;
    if (c == ' ' && !spaceAllowed) return true;
  }
  return false;
}

bool fits(std::u16string_view text, size_t limit, bool spaceAllowed) {
  const std::string bytes = toUtf8(text);
  return bytes.size() <= limit && !breaksRequest(bytes, spaceAllowed);
}

}  // namespace

bool GuideRequest::TypeFits(std::u16string_view type) { return fits(type, kMaxTypeBytes, false); }

bool GuideRequest::UuidFits(std::u16string_view uuid) { return fits(uuid, kMaxUuidBytes, false); }

bool GuideRequest::HostFits(std::u16string_view host) { return fits(host, kMaxHostBytes, false); }

std::optional<std::string> GuideRequest::Format(std::u16string_view type, std::u16string_view uuid,
                                                const GuideDate& date, std::u16string_view host,
                                                uint16_t port) {
  if (!TypeFits(type) || !UuidFits(uuid) || !HostFits(host)) return std::nullopt;
  const std::string t = toUtf8(type), u = toUtf8(uuid), h = toUtf8(host);
  char buf[kMaxRequestBytes + 1];
  const int n = std::snprintf(buf, sizeof buf,
                              "GET /tvitem.action?type=%s&uuid=%s&startdate=%4d-%02d-%02d&enddate=%4d-%02d-%02d "
                              "HTTP/1.0\r\nAccept: */*\r\nCache-Control: no-cache\r\nConnection: close\r\n"
                              "Host: %s:%d\r\nUser-Agent: xxx\r\n\r\n",
                              t.c_str(), u.c_str(), date.year, date.month, date.day, date.year, date.month,
                              date.day, h.c_str(), static_cast<int>(port));
  if (n < 0 || static_cast<size_t>(n) > kMaxRequestBytes) return std::nullopt;
  return std::string(buf, static_cast<size_t>(n));
}

bool GuideRequest::IsReplyOk(std::string_view block) {
  const size_t lineEnd = block.find("\r\n");
  if (lineEnd == std::string_view::npos || lineEnd < 1 || lineEnd > 99) return false;
  return block.find("200") != std::string_view::npos;
}

}  // namespace tembra
