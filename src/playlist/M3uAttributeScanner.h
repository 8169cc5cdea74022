#pragma once
#include <string_view>

namespace tembra {

struct M3uAttribute {
  std::string_view key;    // as written; compare with keyIs()
  std::string_view value;  // without its quotes

  // Keys compare without regard to ASCII case ("tvg-ID" is "tvg-id").
  bool keyIs(std::string_view lowerCaseKey) const;
};

// Walks the `key="value"` and `key=value` pairs of an #EXTINF or #EXTM3U
// line. A quoted value runs to the next double quote (commas and spaces
// included); a bare value ends at a space, a tab or a comma. Words without
// "=" are passed over. On an #EXTINF line the first comma outside quotes
// ends the attributes and starts the title; on a header line commas are
// passed over like spaces. One pass, no allocation.
class M3uAttributeScanner {
 public:
  enum class Mode { Entry, Header };
  M3uAttributeScanner(std::string_view text, Mode mode);

  // The next attribute; false at the title's comma or the end.
  bool next(M3uAttribute& attribute);
  // After next() returned false: whether a title comma was met, and the
  // trimmed text after it.
  bool hasTitle() const { return hasTitle_; }
  std::string_view title() const { return title_; }

 private:
  std::string_view text_;
  Mode mode_;
  size_t pos_ = 0;
  bool hasTitle_ = false;
  std::string_view title_;
};

}  // namespace tembra
