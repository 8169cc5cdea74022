#include "playlist/Utf8Repair.h"

#include <cstdint>
#include <cstring>

namespace tembra {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Index of the first byte at or after i with its high bit set.
size_t skipAscii(std::string_view text, size_t i) {
  const size_t n = text.size();
  while (i + 8 <= n) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (word & 0x8080808080808080ULL) break;
    i += 8;
  }
  while (i < n && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

}  // namespace

size_t Utf8Repair::sequenceAt(std::string_view text, size_t i, size_t& bad) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    bad = 1;
    return 0;
  }
  size_t k = 1;
  for (; k < length && i + k < text.size(); ++k) {
    const unsigned char c = byte(i + k);
    const bool fits = k == 1 ? (c >= low && c <= high) : isContinuation(c);
    if (!fits) break;
  }
  if (k == length) return length;
  bad = k;
  return 0;
}

bool Utf8Repair::isValid(std::string_view text) {
  size_t i = 0;
  for (;;) {
    i = skipAscii(text, i);
    if (i >= text.size()) return true;
    size_t bad = 0;
    const size_t length = sequenceAt(text, i, bad);
    if (length == 0) return false;
    i += length;
  }
}

void Utf8Repair::appendRepaired(std::string& out, std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t plain = skipAscii(text, i);
    size_t end = plain;
    size_t bad = 0;
    size_t length = 0;
    while (end < text.size() && (length = sequenceAt(text, end, bad)) != 0) end += length;
    out.append(text.data() + i, end - i);
    if (end >= text.size()) break;
    out.append(kReplacement);
    i = end + bad;
  }
}

std::string Utf8Repair::repaired(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  appendRepaired(out, text);
  return out;
}

}  // namespace tembra
