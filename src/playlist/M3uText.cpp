#include "playlist/M3uText.h"

namespace tembra {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view M3uText::trimBlanks(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool M3uText::equalsLower(std::string_view text, std::string_view lowerCase) {
  if (text.size() != lowerCase.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (lower(text[i]) != lowerCase[i]) return false;
  return true;
}

bool M3uText::startsWithLower(std::string_view text, std::string_view lowerCasePrefix) {
  return text.size() >= lowerCasePrefix.size() && equalsLower(text.substr(0, lowerCasePrefix.size()), lowerCasePrefix);
}

}  // namespace tembra
