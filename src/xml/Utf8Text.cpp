#include "xml/Utf8Text.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "xml/MemoryAdvice.h"

namespace tembra {

namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ull;

inline bool allAscii8(const unsigned char* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return (w & kHighBits) == 0;
}

inline bool isCont(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

bool Utf8Text::IsWellFormed(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    while (n - i >= 8 && allAscii8(p + i)) i += 8;
    if (i >= n) break;
    unsigned char b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    if ((b & 0xE0) == 0xC0) extra = 1;
    else if ((b & 0xF0) == 0xE0) extra = 2;
    else if ((b & 0xF8) == 0xF0) extra = 3;
    else return false;
    if (n - i - 1 < extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if (!isCont(p[i + k])) return false;
    }
    i += extra + 1;
  }
  return true;
}

// Decoding follows the usual "maximal subpart" rule: the lead byte fixes the
// allowed range of the second byte (which rules out overlong forms,
// surrogates and values above U+10FFFF), and a sequence cut short by a wrong
// byte yields one U+FFFD for the bytes taken so far.
//
// Speed matters here because every file the program loads passes through
// it. ASCII runs, the bulk of any XML file, are widened sixteen (or eight)
// bytes at a time. The output is produced in chunks in a small buffer and
// appended, so the large result is written once rather than zero-filled and
// then overwritten. Every input byte yields at most one output unit
// (four-byte sequences give two), which bounds the chunk buffer.
namespace {

constexpr size_t kChunk = 16 * 1024;

struct DecodeState {
  const unsigned char* s;
  const unsigned char* end;
  size_t bad = 0;
};

// Decodes from st.s until st.s reaches stop (or a little past it, to finish
// a sequence), writing into d. Returns the end of the written units.
char16_t* decodeChunk(DecodeState& st, const unsigned char* stop, char16_t* d) {
  const unsigned char* s = st.s;
  const unsigned char* const end = st.end;
  while (s < stop) {
#if defined(__SSE2__)
    while (stop - s >= 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
      if (_mm_movemask_epi8(v) != 0) break;
      const __m128i zero = _mm_setzero_si128();
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v, zero));
      s += 16;
      d += 16;
    }
#endif
    while (stop - s >= 8 && allAscii8(s)) {
      for (int k = 0; k < 8; ++k) d[k] = s[k];
      s += 8;
      d += 8;
    }
    if (s >= stop) break;
    const unsigned char b = *s;
    if (b < 0x80) {
      *d++ = b;
      ++s;
      continue;
    }
    const size_t left = static_cast<size_t>(end - s);
    if (b >= 0xC2 && b <= 0xDF) {
      if (left >= 2 && isCont(s[1])) {
        *d++ = static_cast<char16_t>(((b & 0x1F) << 6) | (s[1] & 0x3F));
        s += 2;
        continue;
      }
      *d++ = 0xFFFD;
      ++st.bad;
      s += 1;
      continue;
    }
    if (b >= 0xE0 && b <= 0xEF) {
      unsigned char lo = 0x80, hi = 0xBF;
      if (b == 0xE0) lo = 0xA0;
      else if (b == 0xED) hi = 0x9F;
      if (left >= 2 && s[1] >= lo && s[1] <= hi) {
        if (left >= 3 && isCont(s[2])) {
          *d++ = static_cast<char16_t>(((b & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
          s += 3;
          continue;
        }
        *d++ = 0xFFFD;
        ++st.bad;
        s += 2;
        continue;
      }
      *d++ = 0xFFFD;
      ++st.bad;
      s += 1;
      continue;
    }
    if (b >= 0xF0 && b <= 0xF4) {
      unsigned char lo = 0x80, hi = 0xBF;
      if (b == 0xF0) lo = 0x90;
      else if (b == 0xF4) hi = 0x8F;
      size_t taken = 1;
      if (left >= 2 && s[1] >= lo && s[1] <= hi) {
        taken = 2;
        if (left >= 3 && isCont(s[2])) {
          taken = 3;
          if (left >= 4 && isCont(s[3])) {
            char32_t c = (static_cast<char32_t>(b & 0x07) << 18) | ((s[1] & 0x3F) << 12) |
                         ((s[2] & 0x3F) << 6) | (s[3] & 0x3F);
            c -= 0x10000;
            *d++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *d++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
            s += 4;
            continue;
          }
        }
      }
      *d++ = 0xFFFD;
      ++st.bad;
      s += taken;
      continue;
    }
    *d++ = 0xFFFD;
    ++st.bad;
    ++s;
  }
  st.s = s;
  return d;
}

}  // namespace

size_t Utf8Text::Decode(std::string_view bytes, std::u16string& out) {
  const size_t base = out.size();
  out.reserve(base + bytes.size());
  MemoryAdvice::PreferHugePages(out.data() + base, bytes.size() * sizeof(char16_t));
  DecodeState st{reinterpret_cast<const unsigned char*>(bytes.data()),
                 reinterpret_cast<const unsigned char*>(bytes.data()) + bytes.size()};
  // A sequence started just before the chunk's input end may run three
  // bytes past it, adding at most two units beyond kChunk.
  char16_t buf[kChunk + 4];
  while (st.s < st.end) {
    const size_t left = static_cast<size_t>(st.end - st.s);
    const unsigned char* stop = st.s + (left < kChunk ? left : kChunk);
    char16_t* d = decodeChunk(st, stop, buf);
    out.append(buf, static_cast<size_t>(d - buf));
  }
  return st.bad;
}

}  // namespace tembra
