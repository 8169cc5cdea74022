#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xmltv/GuideDecoder.h"
#include "xmltv/XmlByteHandler.h"
#include "xmltv/XmlByteReader.h"
#include "xmltv/XmltvGuideCollector.h"
#include "xmltv/XmltvGuideReport.h"

namespace tembra {

// Reads one XMLTV guide pushed to it in pieces (feed ... finish) and hands
// its channels and programmes to a collector. Programmes the collector
// does not want are skipped on their times alone.
class XmltvParser : private XmlByteHandler {
 public:
  // Texts longer than this are cut (at a character boundary).
  static constexpr size_t kMaxText = 16 * 1024;
  static constexpr size_t kMaxDisplayNames = 16;

  explicit XmltvParser(XmltvGuideCollector& collector);

  // False once reading has ended (not XMLTV, damaged); further pieces are
  // ignored.
  bool feed(std::string_view piece);
  // Ends the reading and says how it went. The collector keeps what was
  // complete; report.ok is false when the input was no XMLTV guide.
  XmltvGuideReport finish();

 private:
  enum class Context : uint8_t { None, Channel, Programme, Skipped };
  enum class Field : uint8_t { None, DisplayName, Title, Desc, Category, Episode };

  bool startElement(std::string_view name, std::string_view attributes) override;
  void endElement(std::string_view name) override;
  void text(std::string_view raw, bool cdata) override;

  void startProgramme(std::string_view attributes);
  void startField(std::string_view name, std::string_view attributes);
  void endField();
  // The attribute's value with references decoded, into out; false when absent.
  bool attribute(std::string_view attributes, std::string_view name, std::string& out);
  void cleaned(std::string& text);

  XmltvGuideCollector& collector_;
  XmlByteReader reader_;
  GuideDecoder decoder_;
  XmltvGuideReport report_;
  std::string rootError_;

  uint32_t depth_ = 0;  // open elements
  Context context_ = Context::None;
  Field field_ = Field::None;
  uint32_t fieldDepth_ = 0;  // depth_ inside the field's element
  std::string fieldText_;    // the field's decoded text so far
  bool episodeOnScreen_ = false;  // the episode kept is the on-screen form
  bool fieldOnScreen_ = false;

  // The programme being read.
  int32_t slot_ = -1;
  XmltvGuideCollector::Admission admission_ = XmltvGuideCollector::Admission::Drop;
  ParsedProgramme programme_;
  bool haveTitle_ = false, haveDesc_ = false, haveCategory_ = false, haveIcon_ = false;

  // The channel being read.
  std::string channelId_;
  std::vector<std::string> displayNames_;
  size_t displayNameCount_ = 0;

  std::string scratch_;
  std::string clean_;
};

}  // namespace tembra
