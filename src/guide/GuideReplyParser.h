#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guide/GuideChannelDay.h"
#include "guide/GuideReplyReader.h"

namespace tembra {

class XmlDocument;

// A guide reply ("tv.xml") read into the channels of one day. Each tv child
// of the root is one channel, unless its id was seen before in the reply
// (the first one wins). Children are searched forward in document order:
// tvitem after tvname, and in each tvitem title, startdate, enddate,
// starttime in that order, each after the previous match; what is missing
// or out of order stays empty. Anything that is not XML yields no channels.
//
// Replies are read as a stream (GuideReplyReader); Read and Complete give
// the same answers over a document loaded whole.
class GuideReplyParser {
 public:
  // Files are read in blocks of this size.
  static constexpr size_t kReadBlockBytes = 256 * 1024;

  // Null when the file is larger than maxBytes: it is not read at all. A
  // file that cannot be read gives no channels and counts as incomplete.
  static std::optional<GuideReplyReader::Result> LoadFile(const std::string& path, std::u16string_view dayKey,
                                                         uint64_t maxBytes);
  // The same, as copies of the channels. complete, when given, tells
  // whether the reply was a whole document (see Complete).
  static std::optional<std::vector<GuideChannelDay>> ParseFile(const std::string& path,
                                                               std::u16string_view dayKey, uint64_t maxBytes,
                                                               bool* complete = nullptr);
  static std::vector<GuideChannelDay> ParseText(std::u16string_view text, std::u16string_view dayKey);

  // False for a reply that is broken rather than empty: not well-formed,
  // or cut off before its root element ends. The channels read from such a
  // reply are a fragment, not the day's guide.
  static bool Complete(const XmlDocument& doc);
  // Walks a document that has been loaded; its cursors end anywhere.
  static std::vector<GuideChannelDay> Read(XmlDocument& doc, std::u16string_view dayKey);
};

}  // namespace tembra
