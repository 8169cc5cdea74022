#pragma once
#include <array>
#include <string>
#include <string_view>

namespace tembra {

// Converts the bytes of a code page encoding (by its iconv name) to UTF-16.
// Bytes the code page cannot read become U+FFFD and conversion goes on
// after them, so a damaged file still loads with its readable text intact.
class CodePageDecoder {
 public:
  explicit CodePageDecoder(const char* iconvName);
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  // False when iconv has no converter of that name.
  bool ok() const;
  std::u16string Decode(std::string_view bytes);

 private:
  bool buildSingleByteTable();
  std::u16string decodeWithTable(std::string_view bytes) const;
  std::u16string decodeWithIconv(std::string_view bytes);

  void* cd_;  // iconv_t
  bool singleByte_ = false;
  std::array<char16_t, 256> table_{};
};

}  // namespace tembra
