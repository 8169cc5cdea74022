#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tembra {

// Converts a stream in another encoding (by its iconv name) to UTF-8,
// piece by piece: a character cut between two pieces is completed by the
// next one. Bytes the encoding cannot read become U+FFFD and conversion
// goes on after them.
class Utf8Transcoder {
 public:
  explicit Utf8Transcoder(const char* iconvName);
  ~Utf8Transcoder();
  Utf8Transcoder(const Utf8Transcoder&) = delete;
  Utf8Transcoder& operator=(const Utf8Transcoder&) = delete;

  // False when iconv has no converter of that name.
  bool ok() const;
  // Appends the UTF-8 form of the piece to out (replacing what out held).
  void convert(std::string_view piece, std::string& out);
  // The input is complete: a character left unfinished becomes U+FFFD.
  void finish(std::string& out);

 private:
  bool buildSingleByteTable();

  void* cd_;  // iconv_t
  bool singleByte_ = false;
  // Single-byte encodings: each byte's UTF-8 form, length in the last byte.
  std::array<std::array<char, 4>, 256> table_{};
  std::string carry_;  // the start of a character cut at the end of a piece
};

}  // namespace tembra
