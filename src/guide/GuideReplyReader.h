#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "guide/GuideDayList.h"

namespace tembra {

class XmlDocument;

// Reads a guide reply as it arrives, by the rules of GuideReplyParser,
// keeping only the unread tail and the channel being read: a reply of
// hundreds of megabytes never exists whole in memory.
//
// The bytes are decoded the way a whole file is loaded (byte order mark,
// declared encoding, else UTF-8; zero bytes dropped) and split into markup
// with the document's own tokenizer, following its rules for where an
// element ends (an end tag closes the innermost open element of its name,
// leaving those inside it unended; an end tag matching none is ignored).
// Each child of the root, once it ends, is read by the document itself,
// inside an element of the root's name, so that the text, the attributes
// and the children of an unended element come out exactly as they do in a
// document of the whole reply.
class GuideReplyReader {
 public:
  // The most text one child of the root may hold: more is taken for a
  // broken reply rather than kept in memory.
  static constexpr size_t kMaxChannelUnits = size_t{16} << 20;
  // The most elements open at once; a deeper reply is taken for broken.
  static constexpr size_t kMaxDepth = 10000;

  struct Result {
    std::unique_ptr<GuideDayList> list;  // never null
    // False for a reply that is broken rather than empty (see
    // GuideReplyParser::Complete): its list is then a fragment or empty.
    bool complete = false;
  };

  explicit GuideReplyReader(std::u16string dayKey);
  ~GuideReplyReader();
  GuideReplyReader(const GuideReplyReader&) = delete;
  GuideReplyReader& operator=(const GuideReplyReader&) = delete;

  // The reply body's bytes, in pieces of any size.
  void Feed(std::string_view bytes);
  // Or text that is decoded already (not mixed with Feed).
  void FeedText(std::u16string_view text);
  // The body is complete; the reader is used up.
  Result Finish();

 private:
  enum class Mode : uint8_t { Head, Utf8, Utf16LE, Utf16BE, CodePage, Text };

  void decide(bool final);
  void decodeUtf8(std::string_view bytes, bool final);
  void decodeUtf16(std::string_view bytes, bool final);
  void passBytes(std::string_view bytes, bool final);
  void append(std::u16string_view text);
  void process(bool final);
  void startTag(uint32_t start, uint32_t end, bool empty);
  void endTag(uint32_t start, uint32_t end);
  void closeTop(uint32_t channelEnd, bool unended);
  void channelEnded(uint32_t end, bool unended);
  void readChannels();
  void compact();

  std::u16string dayKey_;
  Mode mode_ = Mode::Head;
  std::string head_;         // the first bytes, until the encoding is known
  std::string utf8Tail_;     // a UTF-8 sequence cut by the end of a piece
  std::string odd_;          // a byte of a UTF-16 unit cut likewise
  std::string codePageBytes_;  // a reply in a code page, converted at its end
  const char* codePage_ = nullptr;
  std::string scratch_;

  std::u16string buf_;       // decoded text not yet read, and the open channel's
  size_t pos_ = 0;           // where reading goes on in buf_
  bool capturing_ = false;   // a child of the root is open
  size_t captureStart_ = 0;  // its start tag in buf_

  std::vector<std::u16string> open_;  // names of the open elements, innermost last
  std::u16string rootName_;
  bool rootSeen_ = false;
  bool rootOpen_ = false;  // open_[0] is the root
  bool illFormed_ = false;
  bool overLimit_ = false;  // over kMaxChannelUnits or kMaxDepth

  std::unique_ptr<XmlDocument> doc_;
  std::u16string wrapped_;
  GuideDayList::Builder builder_;
};

}  // namespace tembra
