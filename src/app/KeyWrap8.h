#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tembra {

class Aes128;

// The AES key wrap with the initial value A6A6A6A6A6A6A6A6, except that
// only the low 8 bits of the step counter t are folded into A (into its last
// byte). Below 43 blocks t never exceeds 255 and the result is the standard
// key wrap; from 43 blocks on it differs, and stored values depend on that.
// One block (n = 1) runs the same six rounds.
class KeyWrap8 {
 public:
  static constexpr size_t kSemiblock = 8;

  // plain: n * 8 bytes, n >= 1. Returns (n + 1) * 8 bytes; empty for any
  // other size.
  static std::vector<uint8_t> wrap(const Aes128& aes, std::span<const uint8_t> plain);
  // wrapped: (n + 1) * 8 bytes, n >= 1. nullopt for any other size or when
  // the integrity check fails.
  static std::optional<std::vector<uint8_t>> unwrap(const Aes128& aes, std::span<const uint8_t> wrapped);
};

}  // namespace tembra
