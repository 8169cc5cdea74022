#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tembra {

class XmlElementIndex;
class XmlReportWriter;

// The single tolerant parse pass that builds the element index of a text.
class XmlParser {
 public:
  // Offsets are 32-bit: texts of this many characters or more are refused.
  static constexpr uint64_t kMaxTextLength = uint64_t(1) << 31;

  // Resets index for text, then indexes every element it can place and
  // appends one report entry per problem. Returns true when well-formed.
  // With copyTo, the text is appended to *copyTo during the pass (reserve
  // the room first): the copy then reads what the pass has just brought
  // into the cache instead of making a pass of its own over the text.
  // The index refers to the text by offsets. May throw std::bad_alloc.
  static bool Run(std::u16string_view text, XmlElementIndex& index, XmlReportWriter& report, bool ignoreCase,
                  std::u16string* copyTo = nullptr);
};

}  // namespace tembra
