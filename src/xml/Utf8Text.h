#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tembra {

// UTF-8 checks and decoding for file loading.
class Utf8Text {
 public:
  // The shape test used to tell UTF-8 files from 8-bit code page files:
  // every byte of 0x80 or above must begin a sequence (110xxxxx, 1110xxxx
  // or 11110xxx) followed by the right number of 10xxxxxx bytes. Only the
  // shape is tested; what the decoder rejects beyond it (overlong forms,
  // surrogates) still decodes to replacement characters.
  static bool IsWellFormed(std::string_view bytes);

  // Appends the UTF-16 form of bytes to out. Each maximal ill-formed
  // subsequence becomes one U+FFFD. Returns the number of replacements, so
  // 0 means the bytes were strictly valid UTF-8.
  static size_t Decode(std::string_view bytes, std::u16string& out);
};

}  // namespace tembra
