#pragma once
// Character classes and fast scans over UTF-16 text shared by the tokenizer,
// the parse pass and the readers. The scans return `end` when nothing is
// found; they never read at or past `end`.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tembra::xmlscan {

inline bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// A tag name starts with ':' or '_' or any character outside 0x00-0x40 and
// 0x5B-0x60: letters, the characters after 'z' and everything non-ASCII.
inline bool IsNameStart(char16_t c) {
  // Bit i of the mask: character 0x40 + i starts a name (letters, '_' and
  // the characters after 'z'); ':' is the one below 0x40.
  constexpr uint64_t kFrom40 = 0xFFFFFFFE87FFFFFEull;
  return c >= 0x80 || (c >= 0x40 ? (kFrom40 >> (c - 0x40)) & 1 : c == u':');
}

// Ends the name of a start tag (and of an attribute).
inline bool EndsStartName(char16_t c) { return c <= 0x20 || c == u'/' || c == u'>' || c == u'='; }

// Ends the name of an end tag: whitespace or '>'.
inline bool EndsEndName(char16_t c) { return c <= 0x20 || c == u'>'; }

// Case folding used when names are compared ignoring case: ASCII, Latin-1,
// basic Greek and Cyrillic capitals.
inline char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char16_t(c + 32);
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return char16_t(c + 32);
  if (c >= 0x410 && c <= 0x42F) return char16_t(c + 32);
  if (c >= 0x400 && c <= 0x40F) return char16_t(c + 80);
  return c;
}

// True when the len (< 8) characters at s equal those at e, none of them
// ends a start tag name ('/', '=', '>', whitespace or control) and e[len]
// does. A false result means only "not shown here": the caller then
// compares the slow way. Reads 8 characters at s and at e.
inline bool SameShortName(const char16_t* s, const char16_t* e, uint32_t len) {
#if defined(__SSE2__)
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(e));
  const __m128i bad = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(a, _mm_set1_epi16('/')),
                                                _mm_cmpeq_epi16(a, _mm_set1_epi16('='))),
                                   _mm_cmplt_epi16(a, _mm_set1_epi16(0x21)));
  const unsigned want = (1u << (2 * len)) - 1;
  const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(a, b)));
  const unsigned odd = static_cast<unsigned>(_mm_movemask_epi8(bad));
  return (same & want) == want && (odd & want) == 0 && EndsStartName(e[len]);
#else
  for (uint32_t i = 0; i < len; ++i) {
    if (s[i] != e[i] || EndsStartName(s[i])) return false;
  }
  return EndsStartName(e[len]);
#endif
}

inline const char16_t* FindChar(const char16_t* p, const char16_t* end, char16_t c) {
#if defined(__SSE2__)
  const __m128i v = _mm_set1_epi16(static_cast<short>(c));
  while (end - p >= 8) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int m = _mm_movemask_epi8(_mm_cmpeq_epi16(x, v));
    if (m) return p + (__builtin_ctz(static_cast<unsigned>(m)) >> 1);
    p += 8;
  }
#endif
  while (p < end && *p != c) ++p;
  return p;
}

// First of '>', '"' or '\'' from p.
inline const char16_t* FindTagStop(const char16_t* p, const char16_t* end) {
#if defined(__SSE2__)
  const __m128i gt = _mm_set1_epi16('>');
  const __m128i dq = _mm_set1_epi16('"');
  const __m128i sq = _mm_set1_epi16('\'');
  while (end - p >= 8) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hit =
        _mm_or_si128(_mm_cmpeq_epi16(x, gt), _mm_or_si128(_mm_cmpeq_epi16(x, dq), _mm_cmpeq_epi16(x, sq)));
    const int m = _mm_movemask_epi8(hit);
    if (m) return p + (__builtin_ctz(static_cast<unsigned>(m)) >> 1);
    p += 8;
  }
#endif
  while (p < end && *p != u'>' && *p != u'"' && *p != u'\'') ++p;
  return p;
}

// First occurrence of the three-character sequence a b c at or after p.
inline const char16_t* FindTriple(const char16_t* p, const char16_t* end, char16_t a, char16_t b,
                                  char16_t c) {
  while (end - p >= 3) {
    p = FindChar(p, end - 2, a);
    if (end - p < 3) break;
    if (p[1] == b && p[2] == c) return p;
    ++p;
  }
  return end;
}

// First occurrence of the pair a b at or after p.
inline const char16_t* FindPair(const char16_t* p, const char16_t* end, char16_t a, char16_t b) {
  while (end - p >= 2) {
    p = FindChar(p, end - 1, a);
    if (end - p < 2) break;
    if (p[1] == b) return p;
    ++p;
  }
  return end;
}

// Names compared exactly, or folding case.
inline bool SameName(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  if (a.size() != b.size()) return false;
  if (!ignoreCase) return a == b;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// The length of the name at the start of s: up to a character that ends a
// start tag name (or `alsoStop`, e.g. '?' after a processing instruction's
// target).
inline size_t NameLength(std::u16string_view s, char16_t alsoStop = 0) {
  size_t i = 0;
  while (i < s.size() && !EndsStartName(s[i]) && (alsoStop == 0 || s[i] != alsoStop)) ++i;
  return i;
}

// The raw (undecoded) value of attribute `name` in the attribute area of a
// tag (after its name, before its closing "/>" or ">"): a name, optionally
// "=" and a value that is quoted (single or double) or runs to whitespace or
// the area's end. An attribute without "=" has the empty value.
inline std::optional<std::u16string_view> FindAttribute(std::u16string_view area, std::u16string_view name,
                                                        bool ignoreCase) {
  const size_t end = area.size();
  size_t p = 0;
  while (p < end) {
    while (p < end && (area[p] <= 0x20 || area[p] == u'/')) ++p;
    if (p >= end) break;
    const size_t nameStart = p;
    while (p < end && !EndsStartName(area[p])) ++p;
    const size_t nameEnd = p;
    while (p < end && area[p] <= 0x20) ++p;
    size_t valueStart = p;
    size_t valueEnd = p;
    if (p < end && area[p] == u'=') {
      ++p;
      while (p < end && area[p] <= 0x20) ++p;
      if (p < end && (area[p] == u'"' || area[p] == u'\'')) {
        valueStart = p + 1;
        valueEnd = static_cast<size_t>(FindChar(area.data() + valueStart, area.data() + end, area[p]) - area.data());
        p = valueEnd < end ? valueEnd + 1 : end;
      } else {
        valueStart = p;
        while (p < end && area[p] > 0x20) ++p;
        valueEnd = p;
      }
    }
    if (nameEnd > nameStart && SameName(area.substr(nameStart, nameEnd - nameStart), name, ignoreCase)) {
      return area.substr(valueStart, valueEnd - valueStart);
    }
    if (p == nameStart) ++p;  // a stray '=' or '>' with no name before it
  }
  return std::nullopt;
}

}  // namespace tembra::xmlscan
