#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinLayout.h"

namespace tembra {

class XmlDocument;

// Walks the parsed XML of a layout file into a SkinLayout.
class SkinLayoutParser {
 public:
  SkinLayoutParser(SkinLayout& out, std::string folder) : out_(out), folder_(std::move(folder)) {}
  void parseFile(const std::string& fileName);
  void parseText(std::u16string_view text, const std::string& fileName);

 private:
  struct Source {
    const XmlDocument* doc;
    std::string file;
    size_t next;  // document-order index of the next element to visit
  };

  // False when the file could not be read (problem already added).
  bool loadDocument(XmlDocument& doc, const std::string& fileName);
  void readDocument(XmlDocument& doc, const std::string& fileName, bool isRoot, SkinNode* into);
  void reportXml(const XmlDocument& doc, const std::string& file);
  // Reads the element under the main cursor into node; false when the
  // element is not a control (it and its subtree are skipped).
  bool element(XmlDocument& doc, Source& src, SkinNode& node, int depth);
  void children(XmlDocument& doc, Source& src, SkinNode& node, int depth);
  void font(XmlDocument& doc, Source& src, uint32_t offset);
  void include(XmlDocument& doc, Source& src, SkinNode& parent, uint32_t offset);
  void skipSubtree(Source& src, uint32_t level);
  void readAttributes(XmlDocument& doc, const Source& src, SkinNode& node, uint32_t start);
  void problem(const Source& src, uint32_t offset, std::string message);
  void problemAt(const std::string& file, const std::u16string& text, uint32_t offset, std::string message);

  SkinLayout& out_;
  std::string folder_;
  std::vector<std::string> includeStack_;
};

}  // namespace tembra
