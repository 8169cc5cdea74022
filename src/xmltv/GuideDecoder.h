#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/GzipInflater.h"
#include "xmltv/Utf8Transcoder.h"
#include "xmltv/XmlByteReader.h"

namespace tembra {

// The bytes of a guide as they arrive, turned into the UTF-8 a reader
// reads: gzip inflated when the stream starts with its magic (a fetch may
// have done that already), the byte order mark dropped, and text in
// another encoding (named by a byte order mark or the XML declaration)
// converted as the stream goes. No declaration means UTF-8.
class GuideDecoder {
 public:
  explicit GuideDecoder(XmlByteReader& reader);

  // False once the reading has ended (an error, or the reader stopped).
  bool feed(std::string_view piece);
  void finish();

  // The gzip data does not inflate (error() says why).
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }
  // The gzip stream ended inside a member.
  bool cutOff() const { return cutOff_; }
  bool gzip() const { return gzip_ != nullptr; }
  // The encoding the text was read in ("UTF-8" unless a mark or the
  // declaration said otherwise and this platform can convert it).
  const std::string& encoding() const { return encoding_; }

 private:
  enum class Stage { Magic, Encoding, Passing };

  bool plain(std::string_view piece, bool final);
  bool decide(bool final);
  bool pass(std::string_view utf8);

  XmlByteReader& reader_;
  Stage stage_ = Stage::Magic;
  std::string head_;  // bytes held until the stage can be decided
  std::unique_ptr<GzipInflater> gzip_;
  std::unique_ptr<Utf8Transcoder> transcoder_;
  std::string converted_;
  std::string encoding_ = "UTF-8";
  std::string error_;
  bool cutOff_ = false;
};

}  // namespace tembra
