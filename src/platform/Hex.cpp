#include "platform/Hex.h"

#include <algorithm>

namespace tembra {

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string toHexUpper(const uint8_t* data, size_t size) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(size * 2, '0');
  for (size_t i = 0; i < size; ++i) {
    out[2 * i] = kDigits[data[i] >> 4];
    out[2 * i + 1] = kDigits[data[i] & 0xF];
  }
  return out;
}

std::optional<std::vector<uint8_t>> parseHex(std::string_view digits) {
  if (digits.size() % 2 != 0) return std::nullopt;
  std::vector<uint8_t> out(digits.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    int hi = hexDigitValue(digits[2 * i]);
    int lo = hexDigitValue(digits[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out[i] = static_cast<uint8_t>(hi << 4 | lo);
  }
  return out;
}

std::optional<std::array<uint8_t, 16>> parseKey16(std::string_view hex32) {
  auto bytes = parseHex(hex32);
  if (!bytes || bytes->size() != 16) return std::nullopt;
  std::array<uint8_t, 16> key{};
  std::copy(bytes->begin(), bytes->end(), key.begin());
  return key;
}

std::optional<std::string> percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int hi = hexDigitValue(text[i + 1]), lo = hexDigitValue(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

}  // namespace tembra
