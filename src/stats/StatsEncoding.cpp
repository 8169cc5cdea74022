#include "stats/StatsEncoding.h"

#include <cstdint>

#include "platform/Base64.h"
#include "platform/Hex.h"
#include "platform/Utf.h"

namespace tembra {

namespace {

bool keptInForm(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' ||
         c == '.';
}

// UTF-8 bytes of one UTF-16 text, counted without building it.
size_t utf8Length(std::u16string_view text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      n += 1;
    } else if (c < 0x800) {
      n += 2;
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      n += 4;
      ++i;
    } else {
      n += 3;  // a lone surrogate becomes U+FFFD, also three bytes
    }
  }
  return n;
}

}  // namespace

std::u16string StatsEncoding::Join(const std::vector<std::u16string>& records) {
  std::u16string text;
  for (size_t i = 0; i < records.size(); ++i) {
    if (i > 0) text += kSeparator;
    text += records[i];
  }
  return text;
}

std::string StatsEncoding::Base64(std::string_view bytes) { return base64Encode(bytes); }

std::string StatsEncoding::FormFromBase64(std::string_view base64) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out = "mes=";
  out.reserve(out.size() + base64.size() + base64.size() / 16);
  for (char ch : base64) {
    const auto c = static_cast<unsigned char>(ch == '+' ? '-' : ch);
    if (keptInForm(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

std::string StatsEncoding::EncodeBody(std::u16string_view text) {
  return FormFromBase64(Base64(toUtf8(text)));
}

std::optional<std::vector<std::u16string>> StatsEncoding::DecodeBody(std::string_view body) {
  if (!body.starts_with("mes=")) return std::nullopt;
  body.remove_prefix(4);
  auto base64 = percentDecode(body);
  if (!base64) return std::nullopt;
  for (char& c : *base64)
    if (c == '-') c = '+';
  auto bytes = base64Decode(*base64);
  if (!bytes) return std::nullopt;
  const std::u16string text = fromUtf8(*bytes);
  std::vector<std::u16string> records;
  std::u16string_view rest = text;
  while (!rest.empty()) {
    const size_t sep = rest.find(kSeparator);
    std::u16string_view piece = rest.substr(0, sep);
    if (!piece.empty()) records.emplace_back(piece);
    if (sep == std::u16string_view::npos) break;
    rest.remove_prefix(sep + kSeparator.size());
  }
  return records;
}

size_t StatsEncoding::FirstBatch(const std::vector<std::u16string>& records, size_t maxBytes) {
  size_t bytes = 0;
  size_t count = 0;
  for (const auto& r : records) {
    const size_t grown = bytes + (count > 0 ? 2 : 0) + utf8Length(r);
    if (count > 0 && grown > maxBytes) break;
    bytes = grown;
    ++count;
  }
  return count;
}

}  // namespace tembra
