#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// Turns a settings value into its stored form and back: the text in UTF-8,
// zero-filled to whole 8-byte blocks, wrapped with the AES-128 key wrap
// (t folded to its low 8 bits) and written as upper-case hexadecimal.
class ValueCipher {
 public:
  using Key = std::array<uint8_t, 16>;

  // The longest text (UTF-8 bytes) a stored value can hold: 62 blocks.
  static constexpr size_t kMaxTextBytes = 496;

  // The process-wide cipher under the built-in key.
  static const ValueCipher& Instance();
  // The built-in key (valueKey).
  static const Key& DefaultKey();
  // 32 hexadecimal digits -> key; nullopt on anything else.
  static std::optional<Key> ParseKey(std::string_view hex32);

  explicit ValueCipher(const Key& key);

  // Empty text -> empty result; a text over kMaxTextBytes -> empty result.
  std::u16string EncryptValue(std::u16string_view text) const;
  // Empty, malformed or tampered stored forms -> empty result.
  std::u16string DecryptValue(std::u16string_view stored) const;

 private:
  Key key_;
};

}  // namespace tembra
