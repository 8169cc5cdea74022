#pragma once
#include <string_view>

namespace tembra {

// What an XmlByteReader reports as it reads. Every view is valid during
// the call only.
class XmlByteHandler {
 public:
  virtual ~XmlByteHandler() = default;

  // A start tag: its name and its attribute area (everything after the
  // name, the closing "/>" or ">" left out). False stops the reading.
  virtual bool startElement(std::string_view name, std::string_view attributes) = 0;

  // The element opened last ends (an empty element ends right after its
  // start).
  virtual void endElement(std::string_view name) = 0;

  // Character data inside the root element, in pieces of any size. A
  // piece of plain text never splits a reference ("&amp;"); CDATA content
  // comes raw, with cdata set.
  virtual void text(std::string_view raw, bool cdata) = 0;
};

}  // namespace tembra
