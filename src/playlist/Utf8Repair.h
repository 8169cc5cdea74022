#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tembra {

// Well-formed UTF-8 for text read from files and the network: each maximal
// ill-formed subpart (a bad lead byte, a sequence cut short, an overlong
// form, a surrogate, a value above U+10FFFF) becomes one U+FFFD.
class Utf8Repair {
 public:
  static bool isValid(std::string_view text);
  static std::string repaired(std::string_view text);
  // Appends the repaired text to out.
  static void appendRepaired(std::string& out, std::string_view text);

 private:
  // Length of the well-formed sequence at text[i], or 0 when it is
  // ill-formed; then `bad` is the length of its maximal ill-formed subpart.
  static size_t sequenceAt(std::string_view text, size_t i, size_t& bad);
};

}  // namespace tembra
