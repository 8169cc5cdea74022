#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tembra {

// One entry of a result report: <name attr="value" .../>.
struct XmlResultEntry {
  std::u16string name;
  std::vector<std::pair<std::u16string, std::u16string>> attributes;
};

struct DecodedXmlFile {
  bool readOk = false;        // false: file_error; text is empty
  std::u16string text;        // the document text, UTF-16
  std::u16string encoding;    // the encoding finally used ("UTF-8", "ISO-8859-1", ...)
  std::vector<XmlResultEntry> entries;  // bom, read, utf8_detection, converted_to, ...
};

// Turns the bytes of an XML or HTML file into UTF-16 text: byte order mark,
// declared encoding (XML declaration or HTML meta charset inside head), the
// UTF-8 test, the encoding alias table, zero units dropped, big-endian swap.
class XmlFileDecoder {
 public:
  // Files larger than this are refused with a file_error entry.
  static constexpr size_t kMaxFileBytes = 512u << 20;

  static DecodedXmlFile Decode(const std::string& path);
  static DecodedXmlFile DecodeBytes(std::string_view bytes);
};

}  // namespace tembra
