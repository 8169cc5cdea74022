#include "xmltv/XmlByteText.h"

#include "platform/Utf.h"

#include <cstring>

#include "xml/XmlEntities.h"

namespace tembra {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool endsName(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == '/' || c == '>' || c == '='; }

// The code point a reference body stands for, or 0.
uint32_t resolve(std::string_view body) {
  if (body.empty() || body.size() > XmlByteText::kMaxReference) return 0;
  char16_t wide[XmlByteText::kMaxReference];
  for (size_t i = 0; i < body.size(); ++i) {
    const auto c = static_cast<unsigned char>(body[i]);
    if (c >= 0x80) return 0;
    wide[i] = c;
  }
  return XmlEntities::Resolve(std::u16string_view(wide, body.size()));
}

}  // namespace

void XmlByteText::appendCodePoint(std::string& out, uint32_t c) { appendUtf8(out, static_cast<char32_t>(c)); }

void XmlByteText::appendDecoded(std::string& out, std::string_view raw) {
  const char* p = raw.data();
  const char* const end = p + raw.size();
  while (p < end) {
    const char* amp = static_cast<const char*>(std::memchr(p, '&', static_cast<size_t>(end - p)));
    if (amp == nullptr) {
      out.append(p, end);
      return;
    }
    out.append(p, amp);
    const char* limit = end - amp > static_cast<ptrdiff_t>(kMaxReference + 2) ? amp + kMaxReference + 2 : end;
    const char* semi = static_cast<const char*>(std::memchr(amp + 1, ';', static_cast<size_t>(limit - amp - 1)));
    const uint32_t cp = semi ? resolve(std::string_view(amp + 1, static_cast<size_t>(semi - amp - 1))) : 0;
    if (cp) {
      appendCodePoint(out, cp);
      p = semi + 1;
    } else {
      out.push_back('&');
      p = amp + 1;
    }
  }
}

std::optional<std::string_view> XmlByteText::attribute(std::string_view area, std::string_view name) {
  const size_t end = area.size();
  size_t p = 0;
  while (p < end) {
    while (p < end && (static_cast<unsigned char>(area[p]) <= 0x20 || area[p] == '/')) ++p;
    if (p >= end) break;
    const size_t nameStart = p;
    while (p < end && !endsName(area[p])) ++p;
    const size_t nameEnd = p;
    while (p < end && isSpace(area[p])) ++p;
    size_t valueStart = p;
    size_t valueEnd = p;
    if (p < end && area[p] == '=') {
      ++p;
      while (p < end && isSpace(area[p])) ++p;
      if (p < end && (area[p] == '"' || area[p] == '\'')) {
        const char quote = area[p];
        valueStart = p + 1;
        const size_t close = area.find(quote, valueStart);
        valueEnd = close == std::string_view::npos ? end : close;
        p = valueEnd < end ? valueEnd + 1 : end;
      } else {
        valueStart = p;
        while (p < end && static_cast<unsigned char>(area[p]) > 0x20 && area[p] != '>') ++p;
        valueEnd = p;
      }
    }
    if (area.substr(nameStart, nameEnd - nameStart) == name) return area.substr(valueStart, valueEnd - valueStart);
    if (p == nameStart) ++p;  // a stray '=' with no name before it
  }
  return std::nullopt;
}

}  // namespace tembra
