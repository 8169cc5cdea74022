#include "xmltv/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include <vector>

namespace tembra {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string_view CaseFold::trim(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string CaseFold::fold(std::string_view utf8) {
  utf8 = trim(utf8);
  bool ascii = true;
  for (char c : utf8) ascii &= static_cast<unsigned char>(c) < 0x80;
  std::string out;
  if (ascii) {
    // ASCII folds to its lower case: the common case needs no conversion.
    out.resize(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
      const char c = utf8[i];
      out[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    }
    return out;
  }
  if (utf8.size() > (1u << 20)) utf8 = utf8.substr(0, 1u << 20);  // a name, not a book
  UErrorCode status = U_ZERO_ERROR;
  std::vector<UChar> wide(utf8.size() + 1);
  int32_t wideLength = 0;
  u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &wideLength, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return std::string(utf8);
  // Full folding can lengthen the text (ß becomes ss): three times is the
  // most any character grows.
  std::vector<UChar> folded(static_cast<size_t>(wideLength) * 3 + 1);
  status = U_ZERO_ERROR;
  const int32_t foldedLength = u_strFoldCase(folded.data(), static_cast<int32_t>(folded.size()), wide.data(),
                                             wideLength, U_FOLD_CASE_DEFAULT, &status);
  if (U_FAILURE(status)) return std::string(utf8);
  out.resize(static_cast<size_t>(foldedLength) * 3 + 1);
  int32_t outLength = 0;
  status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &outLength, folded.data(), foldedLength,
                     0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return std::string(utf8);
  out.resize(static_cast<size_t>(outLength));
  return out;
}

}  // namespace tembra
