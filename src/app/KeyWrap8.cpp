#include "app/KeyWrap8.h"

#include <cstring>

#include "app/Aes128.h"

namespace tembra {

namespace {
constexpr uint8_t kInitialValue = 0xA6;
}

// A is the first half-block of the result, R[1..n] the rest; each step
// enciphers A || R[i], keeps the first half as A with t mixed in and the
// second half as the new R[i].
std::vector<uint8_t> KeyWrap8::wrap(const Aes128& aes, std::span<const uint8_t> plain) {
  if (plain.empty() || plain.size() % kSemiblock != 0) return {};
  const size_t n = plain.size() / kSemiblock;
  std::vector<uint8_t> out(plain.size() + kSemiblock);
  std::memset(out.data(), kInitialValue, kSemiblock);
  std::memcpy(out.data() + kSemiblock, plain.data(), plain.size());
  uint8_t* a = out.data();
  uint8_t block[16];
  for (size_t j = 0; j <= 5; ++j) {
    for (size_t i = 1; i <= n; ++i) {
      uint8_t* r = out.data() + i * kSemiblock;
      std::memcpy(block, a, 8);
      std::memcpy(block + 8, r, 8);
      aes.encryptBlock(block, block);
      std::memcpy(a, block, 8);
      a[7] ^= static_cast<uint8_t>(n * j + i);
      std::memcpy(r, block + 8, 8);
    }
  }
  return out;
}

std::optional<std::vector<uint8_t>> KeyWrap8::unwrap(const Aes128& aes, std::span<const uint8_t> wrapped) {
  if (wrapped.size() < 2 * kSemiblock || wrapped.size() % kSemiblock != 0) return std::nullopt;
  const size_t n = wrapped.size() / kSemiblock - 1;
  uint8_t a[8];
  std::memcpy(a, wrapped.data(), 8);
  std::vector<uint8_t> plain(wrapped.begin() + kSemiblock, wrapped.end());
  uint8_t block[16];
  for (size_t j = 6; j-- > 0;) {
    for (size_t i = n; i >= 1; --i) {
      uint8_t* r = plain.data() + (i - 1) * kSemiblock;
      a[7] ^= static_cast<uint8_t>(n * j + i);
      std::memcpy(block, a, 8);
      std::memcpy(block + 8, r, 8);
      aes.decryptBlock(block, block);
      std::memcpy(a, block, 8);
      std::memcpy(r, block + 8, 8);
    }
  }
  uint8_t diff = 0;
  for (uint8_t b : a) diff |= static_cast<uint8_t>(b ^ kInitialValue);
  if (diff != 0) return std::nullopt;
  return plain;
}

}  // namespace tembra
