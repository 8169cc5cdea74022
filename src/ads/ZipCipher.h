#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tembra {

// The traditional PKWARE stream cipher of encrypted zip members: three
// 32-bit keys seeded from the password and updated with every plain byte.
class ZipCipher {
 public:
  static constexpr size_t kHeaderBytes = 12;

  explicit ZipCipher(std::string_view password);

  // Decrypts the member's 12-byte header and returns its last plain byte,
  // the check byte the password test compares.
  uint8_t DecryptHeader(uint8_t* header);
  void Decrypt(uint8_t* data, size_t size);

 private:
  void update(uint8_t plain);
  uint8_t streamByte() const;

  uint32_t key0_ = 0x12345678;
  uint32_t key1_ = 0x23456789;
  uint32_t key2_ = 0x34567890;
};

}  // namespace tembra
