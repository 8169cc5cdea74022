#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// The form body of an upload: "mes=" and the records joined by "^^", as
// UTF-8, in Base64 with '-' for '+', percent-encoded but for [0-9a-zA-Z/.].
class StatsEncoding {
 public:
  // The statistics server takes at most this many UTF-8 bytes of joined
  // records in one request.
  static constexpr size_t kMaxUploadBytes = 102400;
  static constexpr std::u16string_view kSeparator = u"^^";

  static std::u16string Join(const std::vector<std::u16string>& records);
  // "mes=" + the encoded UTF-8 form of text.
  static std::string EncodeBody(std::u16string_view text);
  // The steps after UTF-8, on their own: Base64 text to form body.
  static std::string FormFromBase64(std::string_view base64);
  static std::string Base64(std::string_view bytes);

  // Undoes EncodeBody and splits at "^^" (empty pieces dropped); nullopt
  // when the body is not in that form.
  static std::optional<std::vector<std::u16string>> DecodeBody(std::string_view body);

  // How many of records, from the first, fit one request of at most
  // maxBytes joined UTF-8 bytes; at least 1 when records is not empty, so
  // a record larger than the limit travels alone and whole.
  static size_t FirstBatch(const std::vector<std::u16string>& records, size_t maxBytes);
};

}  // namespace tembra
