#include "stats/StatsEncoding.h"

#include <cstdint>

#include "platform/Hex.h"
#include "platform/Utf.h"

namespace tembra {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool keptInForm(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' ||
         c == '.';
}

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

std::optional<std::string> base64Decode(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int v[4];
    int pad = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + k];
      if (c == '=' && last && k >= 2) {
        v[k] = 0;
        ++pad;
      } else if (pad > 0 || (v[k] = base64Value(c)) < 0) {
        return std::nullopt;
      }
    }
    const uint32_t n = (uint32_t(v[0]) << 18) | (uint32_t(v[1]) << 12) | (uint32_t(v[2]) << 6) |
                       uint32_t(v[3]);
    out += static_cast<char>(n >> 16);
    if (pad < 2) out += static_cast<char>(n >> 8);
    if (pad < 1) out += static_cast<char>(n);
  }
  return out;
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

std::string StatsEncoding::Base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const uint32_t n = (uint32_t(uint8_t(bytes[i])) << 16) | (uint32_t(uint8_t(bytes[i + 1])) << 8) |
                       uint8_t(bytes[i + 2]);
    for (int k = 3; k >= 0; --k) out += kAlphabet[(n >> (6 * k)) & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t n = uint32_t(uint8_t(bytes[i])) << 16;
    if (rest == 2) n |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += rest == 2 ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

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
  std::string base64;
  base64.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (c == '%') {
      if (i + 2 >= body.size()) return std::nullopt;
      const int hi = hexDigitValue(body[i + 1]), lo = hexDigitValue(body[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      c = static_cast<char>(hi * 16 + lo);
      i += 2;
    }
    base64 += c == '-' ? '+' : c;
  }
  auto bytes = base64Decode(base64);
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
