#include "StatsCollector.h"

#include <cstdint>

#include "platform/Base64.h"
#include "platform/Hex.h"

namespace tembra {

namespace {

bool validUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t len;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      auto cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::string>> StatsCollector::Decode(std::string_view body) {
  std::string_view value;
  bool found = false;
  while (!body.empty()) {
    size_t amp = body.find('&');
    std::string_view pair = body.substr(0, amp);
    body = amp == std::string_view::npos ? std::string_view() : body.substr(amp + 1);
    if (pair.starts_with("mes=")) {
      value = pair.substr(4);
      found = true;
      break;
    }
  }
  if (!found) return std::nullopt;
  auto unescaped = percentDecode(value);
  if (!unescaped) return std::nullopt;
  for (char& c : *unescaped)
    if (c == '-') c = '+';
  auto text = base64Decode(*unescaped);
  if (!text || !validUtf8(*text)) return std::nullopt;

  std::vector<std::string> records;
  std::string_view rest = *text;
  while (!rest.empty()) {
    size_t sep = rest.find("^^");
    std::string_view piece = rest.substr(0, sep);
    if (!piece.empty()) records.emplace_back(piece);
    if (sep == std::string_view::npos) break;
    rest = rest.substr(sep + 2);
  }
  return records;
}

void StatsCollector::Store(std::vector<std::string> records) {
  std::lock_guard g(lock_);
  for (auto& r : records) records_.push_back(std::move(r));
  if (records_.size() > kMaxRecords)
    records_.erase(records_.begin(), records_.begin() + (records_.size() - kMaxRecords));
}

std::vector<std::string> StatsCollector::Records() const {
  std::lock_guard g(lock_);
  return records_;
}

void StatsCollector::Clear() {
  std::lock_guard g(lock_);
  records_.clear();
}

}  // namespace tembra
