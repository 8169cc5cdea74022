#include "platform/Utf.h"

#include <cstdint>
#include <cstring>

namespace tembra {

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::u16string fromUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  // Never more UTF-16 units than bytes (a four-byte sequence makes two), so
  // the text is written in place and cut to length at the end: a catalogue
  // or guide reply is megabytes, and a push_back per character took longer
  // than receiving it.
  std::u16string out(n, u'\0');
  char16_t* o = out.data();
  size_t i = 0;
  while (i < n) {
    // Runs of ASCII (nearly all of the markup) eight bytes at a time.
    while (i + 8 <= n) {
      uint64_t eight;
      std::memcpy(&eight, p + i, 8);
      if ((eight & 0x8080808080808080ULL) != 0) break;
      for (int k = 0; k < 8; ++k) o[k] = p[i + k];
      o += 8;
      i += 8;
    }
    if (i >= n) break;
    unsigned char b = p[i];
    if (b < 0x80) {
      *o++ = b;
      ++i;
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t min = 0;
    if ((b & 0xE0) == 0xC0) { extra = 1; c = b & 0x1F; min = 0x80; }
    else if ((b & 0xF0) == 0xE0) { extra = 2; c = b & 0x0F; min = 0x800; }
    else if ((b & 0xF8) == 0xF0) { extra = 3; c = b & 0x07; min = 0x10000; }
    else { *o++ = 0xFFFD; ++i; continue; }
    size_t j = 1;
    for (; j <= static_cast<size_t>(extra); ++j) {
      if (i + j >= n || (p[i + j] & 0xC0) != 0x80) break;
      c = (c << 6) | (p[i + j] & 0x3F);
    }
    if (j <= static_cast<size_t>(extra) || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      *o++ = 0xFFFD;
      i += j;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (c >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      *o++ = static_cast<char16_t>(c);
    }
    i += j;
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::u16string asciiToUtf16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace tembra
