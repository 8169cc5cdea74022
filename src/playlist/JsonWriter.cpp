#include "playlist/JsonWriter.h"

#include <charconv>
#include <cmath>

#include "playlist/Utf8Repair.h"

namespace tembra {

void JsonWriter::appendString(std::string& out, std::string_view utf8) {
  std::string repaired;
  if (!Utf8Repair::isValid(utf8)) {
    repaired = Utf8Repair::repaired(utf8);
    utf8 = repaired;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  size_t plain = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c != '"' && c != '\\' && c != 0x7F) continue;
    out.append(utf8.substr(plain, i - plain));
    plain = i + 1;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  out.append(utf8.substr(plain));
  out += '"';
}

void JsonWriter::appendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  if (value == 0) value = 0;  // no "-0"
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void JsonWriter::appendInt(std::string& out, std::optional<int> value) {
  if (!value) {
    out += "null";
    return;
  }
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, *value);
  out.append(buffer, result.ptr);
}

}  // namespace tembra
