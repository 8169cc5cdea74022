#pragma once
#include <cstdint>
#include <string_view>

namespace tembra {

// Small deterministic generator (splitmix64): the demo data must come out the
// same for the same seed on every machine and every run, which the standard
// distributions do not promise.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    state_ += 0x9E3779B97F4A7C15ull;
    return mix(state_);
  }
  // Uniform in [0, n); 0 when n is 0.
  uint32_t below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(next() % n); }

  static uint64_t mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // FNV-1a over the text, folded with the seed.
  static uint64_t hash(std::string_view text, uint64_t seed) {
    uint64_t h = 0xCBF29CE484222325ull ^ mix(seed);
    for (unsigned char c : text) {
      h ^= c;
      h *= 0x100000001B3ull;
    }
    return mix(h);
  }

 private:
  uint64_t state_;
};

}  // namespace tembra
