#include "xmltv/Utf8Clean.h"

#include <cstdint>
#include <cstring>

namespace tembra {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// Length of the well-formed sequence at p (1-4), or 0 when ill-formed; on
// 0, *bad is set to the length of the maximal ill-formed subsequence.
size_t sequenceAt(const unsigned char* p, const unsigned char* end, size_t* bad) {
  const unsigned char b = *p;
  if (b < 0x80) return 1;
  size_t need;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    *bad = 1;
    return 0;
  }
  size_t i = 1;
  for (; i <= need; ++i) {
    if (p + i >= end) break;
    const unsigned char c = p[i];
    const unsigned char l = i == 1 ? lo : 0x80;
    const unsigned char h = i == 1 ? hi : 0xBF;
    if (c < l || c > h) break;
  }
  if (i > need) return need + 1;
  *bad = i;
  return 0;
}

}  // namespace

bool Utf8Clean::valid(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    // Eight ASCII bytes at a time: most guide text is ASCII.
    while (end - p >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      if (w & 0x8080808080808080ull) break;
      p += 8;
    }
    if (p >= end) break;
    size_t bad = 0;
    const size_t n = sequenceAt(p, end, &bad);
    if (n == 0) return false;
    p += n;
  }
  return true;
}

void Utf8Clean::append(std::string& out, std::string_view bytes) {
  if (valid(bytes)) {
    out.append(bytes);
    return;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    size_t bad = 0;
    const size_t n = sequenceAt(p, end, &bad);
    if (n) {
      out.append(reinterpret_cast<const char*>(p), n);
      p += n;
    } else {
      out.append(kReplacement, 3);
      p += bad;
    }
  }
}

std::string_view Utf8Clean::clip(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t n = maxBytes;
  // Step back over continuation bytes to the lead of the cut character.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

}  // namespace tembra
