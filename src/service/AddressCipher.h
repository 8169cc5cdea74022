#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// The channel address cipher: two-key triple DES (D-E-D to decrypt, E-D-E
// to encrypt) in ECB over a DES variant that numbers bits from the least
// significant end, writes S-box outputs least significant bit first and
// does not swap the halves after the last round.
class AddressCipher {
 public:
  using Key = std::array<uint8_t, 16>;

  // The key the service enciphers addresses with.
  static const Key& DefaultKey();
  static std::optional<Key> ParseKey(std::string_view hex32);

  AddressCipher();
  void SetKey(const Key& key16);

  // ceil(length / 8) blocks; the last input block is zero-filled. out must
  // hold ceil(length / 8) * 8 bytes. False when an argument is missing or
  // length is 0.
  bool DecryptBlocks(const uint8_t* in, uint8_t* out, size_t length) const;
  bool EncryptBlocks(const uint8_t* in, uint8_t* out, size_t length) const;

  // Single variant-DES block operations under one 8-byte key (for tests).
  static void EncryptBlock(const uint8_t key8[8], const uint8_t in[8], uint8_t out[8]);
  static void DecryptBlock(const uint8_t key8[8], const uint8_t in[8], uint8_t out[8]);

 private:
  Key key_{};
};

// Enciphered hexadecimal text -> stream address (never fails; bad input
// gives meaningless or empty text).
std::u16string DecodeChannelAddress(std::u16string_view addressText);
std::u16string DecodeChannelAddress(std::u16string_view addressText, const AddressCipher::Key& key);

// Stream address -> enciphered upper-case hexadecimal, for the service side
// and operators. Addresses over 64 bytes are cut to 64.
std::u16string EncodeChannelAddress(std::u16string_view address);
std::u16string EncodeChannelAddress(std::u16string_view address, const AddressCipher::Key& key);

}  // namespace tembra
