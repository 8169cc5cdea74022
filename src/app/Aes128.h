#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace tembra {

// AES-128 on single 16-byte blocks. The key schedule is built when the
// object is made; the object holds key material, so keep it short-lived.
class Aes128 {
 public:
  static constexpr size_t kBlockBytes = 16;
  static constexpr size_t kKeyBytes = 16;

  explicit Aes128(const uint8_t* key);
  ~Aes128();
  Aes128(const Aes128&) = delete;
  Aes128& operator=(const Aes128&) = delete;

  void encryptBlock(const uint8_t* in, uint8_t* out) const;
  void decryptBlock(const uint8_t* in, uint8_t* out) const;

  // The expanded key, w[0] .. w[43], each word's first byte the most significant.
  const std::array<uint32_t, 44>& roundKeyWords() const { return w_; }

 private:
  std::array<uint32_t, 44> w_;
};

}  // namespace tembra
