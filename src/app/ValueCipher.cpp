#include "app/ValueCipher.h"

#include <cstring>

#include "app/Aes128.h"
#include "app/KeyWrap8.h"
#include "platform/Hex.h"
#include "platform/Utf.h"

namespace tembra {

namespace {
// The stored form of the longest text: (62 + 1) blocks of 16 digits.
constexpr size_t kMaxStoredDigits = (ValueCipher::kMaxTextBytes / 8 + 1) * 16;
}  // namespace

const ValueCipher& ValueCipher::Instance() {
  static const ValueCipher cipher(DefaultKey());
  return cipher;
}

// Every build that must read the same config.ini needs these same bytes.
const ValueCipher::Key& ValueCipher::DefaultKey() {
  static const Key key = [] {
    const uint8_t b0 = 0x48, b1 = 0x4E, b2 = 0x60, b3 = 0xB8, b4 = 0x09, b5 = 0x2D, b6 = 0x4D, b7 = 0x36;
    const uint8_t b8 = 0x1F, b9 = 0xC8, b10 = 0xB9, b11 = 0xEC, b12 = 0xC9, b13 = 0x11, b14 = 0x4D, b15 = 0x22;
    Key k{};
    k[0] = b0, k[1] = b1, k[2] = b2, k[3] = b3, k[4] = b4, k[5] = b5, k[6] = b6, k[7] = b7;
    k[8] = b8, k[9] = b9, k[10] = b10, k[11] = b11, k[12] = b12, k[13] = b13, k[14] = b14, k[15] = b15;
    return k;
  }();
  return key;
}

std::optional<ValueCipher::Key> ValueCipher::ParseKey(std::string_view hex32) { return parseKey16(hex32); }

ValueCipher::ValueCipher(const Key& key) : key_(key) {}

// The text's UTF-8 bytes up to any NUL, zero-filled to whole 8-byte blocks,
// key-wrapped, in upper-case hexadecimal.
std::u16string ValueCipher::EncryptValue(std::u16string_view text) const {
  if (text.empty()) return {};
  std::string bytes = toUtf8(text);
  bytes.resize(std::strlen(bytes.c_str()));
  if (bytes.empty() || bytes.size() > kMaxTextBytes) return {};
  bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
  Aes128 aes(key_.data());
  auto wrapped = KeyWrap8::wrap(aes, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  return asciiToUtf16(toHexUpper(wrapped.data(), wrapped.size()));
}

// Only whole stored forms are accepted: 16 (n + 1) hexadecimal digits with
// 1 <= n <= 62 that pass the integrity check. Anything else reads as empty.
std::u16string ValueCipher::DecryptValue(std::u16string_view stored) const {
  if (stored.size() < 32 || stored.size() > kMaxStoredDigits || stored.size() % 16 != 0) return {};
  std::string digits;
  digits.reserve(stored.size());
  for (char16_t c : stored) {
    if (c > 0x7F) return {};
    digits.push_back(static_cast<char>(c));
  }
  auto wrapped = parseHex(digits);
  if (!wrapped) return {};
  Aes128 aes(key_.data());
  auto plain = KeyWrap8::unwrap(aes, *wrapped);
  if (!plain) return {};
  size_t length = 0;
  while (length < plain->size() && (*plain)[length] != 0) ++length;
  return fromUtf8(std::string_view(reinterpret_cast<const char*>(plain->data()), length));
}

}  // namespace tembra
