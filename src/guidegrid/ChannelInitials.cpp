#include "guidegrid/ChannelInitials.h"

#include <cwctype>
#include <vector>

namespace tembra {

namespace {

// Letters and digits count, whatever the script (surrogates pass as part of
// a word and are never picked).
bool wordChar(char16_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return std::iswalnum(static_cast<wint_t>(c)) != 0 || c >= 0x00C0;
}

char16_t upper(char16_t c) { return static_cast<char16_t>(std::towupper(static_cast<wint_t>(c))); }

}  // namespace

std::u16string channelInitials(std::u16string_view name) {
  std::vector<std::u16string_view> words;
  size_t i = 0;
  while (i < name.size() && words.size() < 2) {
    while (i < name.size() && !wordChar(name[i])) ++i;
    const size_t begin = i;
    while (i < name.size() && wordChar(name[i])) ++i;
    if (i > begin) words.push_back(name.substr(begin, i - begin));
  }
  std::u16string out;
  if (words.empty()) return out;
  out += upper(words[0][0]);
  if (words.size() > 1) out += upper(words[1][0]);
  else if (words[0].size() > 1) out += upper(words[0][1]);
  return out;
}

int channelHue(std::u16string_view name) {
  uint32_t h = 2166136261u;
  for (char16_t c : name) h = (h ^ c) * 16777619u;
  return static_cast<int>(h % 360u);
}

}  // namespace tembra
