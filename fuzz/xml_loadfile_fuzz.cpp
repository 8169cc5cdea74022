// Arbitrary file bytes through encoding detection and conversion, then the
// document parser and a walk over everything it indexed: nothing may crash,
// hang or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "xml/XmlDocument.h"
#include "xml/XmlFileDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tembra::DecodedXmlFile file = tembra::XmlFileDecoder::DecodeBytes(bytes);
  if (!file.readOk || file.entries.empty()) std::abort();

  tembra::XmlDocument doc;
  doc.Parse(file.text);
  for (size_t i = 1; i <= doc.ElementCount(); ++i) {
    tembra::XmlDocument::ElementInfo e = doc.Element(i);
    if (e.start + e.length > file.text.size()) std::abort();
  }
  doc.ResetPos();
  if (doc.FindSibling(u"LANGUAGE") && doc.FindChild() && doc.EnterChild()) {
    (void)doc.ReadText();
    (void)doc.ReadAttribute(u"encoding");
  }
  return 0;
}
