#include "playlist/M3uAttributeScanner.h"

#include "playlist/M3uText.h"

namespace tembra {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool M3uAttribute::keyIs(std::string_view lowerCaseKey) const { return M3uText::equalsLower(key, lowerCaseKey); }

M3uAttributeScanner::M3uAttributeScanner(std::string_view text, Mode mode) : text_(text), mode_(mode) {}

bool M3uAttributeScanner::next(M3uAttribute& attribute) {
  const size_t n = text_.size();
  while (pos_ < n) {
    const char c = text_[pos_];
    if (isBlank(c)) {
      ++pos_;
      continue;
    }
    if (c == ',') {
      if (mode_ == Mode::Header) {
        ++pos_;
        continue;
      }
      hasTitle_ = true;
      title_ = M3uText::trimBlanks(text_.substr(pos_ + 1));
      pos_ = n;
      return false;
    }
    if (c == '"') {
      // A quoted word that is no value: its commas are not the title's.
      const size_t close = text_.find('"', pos_ + 1);
      pos_ = close == std::string_view::npos ? n : close + 1;
      continue;
    }
    const size_t keyBegin = pos_;
    while (pos_ < n && !isBlank(text_[pos_]) && text_[pos_] != ',' && text_[pos_] != '=' && text_[pos_] != '"') ++pos_;
    if (pos_ >= n || text_[pos_] != '=') continue;
    const std::string_view key = text_.substr(keyBegin, pos_ - keyBegin);
    ++pos_;
    std::string_view value;
    if (pos_ < n && text_[pos_] == '"') {
      const size_t close = text_.find('"', pos_ + 1);
      const size_t end = close == std::string_view::npos ? n : close;
      value = text_.substr(pos_ + 1, end - pos_ - 1);
      pos_ = close == std::string_view::npos ? n : close + 1;
    } else {
      const size_t valueBegin = pos_;
      while (pos_ < n && !isBlank(text_[pos_]) && text_[pos_] != ',') ++pos_;
      value = text_.substr(valueBegin, pos_ - valueBegin);
    }
    if (key.empty()) continue;
    attribute.key = key;
    attribute.value = value;
    return true;
  }
  return false;
}

}  // namespace tembra
