#include "playlist/StreamOptions.h"

#include <algorithm>

#include "playlist/M3uText.h"

namespace tembra {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view withoutQuotes(std::string_view text) {
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
    return text.substr(1, text.size() - 2);
  return text;
}

}  // namespace

std::string_view StreamOptions::addressPart(std::string_view line, std::string_view& optionsText) {
  const size_t bar = line.find('|');
  if (bar == std::string_view::npos) {
    optionsText = {};
    return line;
  }
  optionsText = line.substr(bar + 1);
  return M3uText::trimBlanks(line.substr(0, bar));
}

std::string StreamOptions::percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

StreamOptions::StreamOptions(std::string_view optionsText) {
  size_t i = 0;
  while (i <= optionsText.size()) {
    const size_t end = std::min(optionsText.find_first_of("&|", i), optionsText.size());
    const std::string_view option = optionsText.substr(i, end - i);
    i = end + 1;
    const size_t equals = option.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view name = M3uText::trimBlanks(option.substr(0, equals));
    std::string* target = M3uText::equalsLower(name, "user-agent") ? &userAgent
                          : M3uText::equalsLower(name, "referer") || M3uText::equalsLower(name, "referrer") ? &referrer
                                                                                           : nullptr;
    if (target == nullptr) continue;
    const std::string decoded = percentDecoded(option.substr(equals + 1));
    *target = std::string(withoutQuotes(M3uText::trimBlanks(decoded)));
  }
}

}  // namespace tembra
