#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xmltv/XmlByteHandler.h"

namespace tembra {

// A push reader of UTF-8 XML: feed() it consecutive pieces of any size
// and it reports elements and text to its handler as soon as they are
// whole. Only the unfinished tail of a piece is kept between calls (a tag
// cut in two, a few bytes of a closing "-->"), so memory stays small
// however long the document is.
//
// It reads leniently where that loses nothing: an end tag closes the open
// element of its name (and any left open inside it), a stray end tag is
// ignored, and everything after the root element ends is skipped. What it
// cannot read (text before the first element, "<" starting no markup, a
// tag longer than kMaxMarkup, elements nested deeper than kMaxDepth) ends
// the reading with an error.
class XmlByteReader {
 public:
  static constexpr size_t kMaxMarkup = size_t{1} << 20;
  static constexpr size_t kMaxDepth = 256;

  explicit XmlByteReader(XmlByteHandler& handler);

  // False once the reading has ended with an error or the handler stopped
  // it (failed() then holds, with an empty error()); later pieces are
  // ignored.
  bool feed(std::string_view piece);

  // The input is complete. Sets cutOff() when it ended inside the
  // document, and an error when it held no element at all.
  void finish();

  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }
  // The input ended before the root element was closed.
  bool cutOff() const { return cutOff_; }
  bool sawRoot() const { return sawRoot_; }
  bool rootClosed() const { return rootClosed_; }
  // Bytes of input seen so far.
  uint64_t bytesRead() const { return bytesRead_; }

 private:
  enum class State : uint8_t { Text, Comment, CData, Instruction, Doctype };

  size_t process(const char* d, size_t n);
  bool markup(const char* d, size_t n, size_t& pos);
  bool textRun(const char* p, size_t len);
  bool startTag(const char* d, size_t from, size_t gt);
  void endTag(std::string_view name);
  void fail(std::string message, uint64_t at);

  XmlByteHandler& handler_;
  State state_ = State::Text;
  std::string pending_;  // the unfinished tail of what was fed
  uint64_t consumedBefore_ = 0;  // input offset of the first byte of the buffer being processed
  uint64_t bytesRead_ = 0;
  // A start tag waiting for its '>': how far it was scanned and the quote
  // it was inside, so that a tag arriving byte by byte is scanned once.
  size_t tagScanned_ = 0;
  char tagQuote_ = 0;
  // Doctype: open '[' and the quote inside.
  int doctypeBrackets_ = 0;
  char doctypeQuote_ = 0;
  bool doctypeComment_ = false;
  // Names of the open elements, one after the other, and where each starts.
  std::string names_;
  std::vector<uint32_t> nameStarts_;
  bool sawRoot_ = false;
  bool rootClosed_ = false;
  bool sawBytes_ = false;
  bool sawMarkup_ = false;
  bool failed_ = false;
  bool cutOff_ = false;
  std::string error_;
};

}  // namespace tembra
