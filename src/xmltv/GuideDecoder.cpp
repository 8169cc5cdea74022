#include "xmltv/GuideDecoder.h"

#include <algorithm>

#include "platform/Utf.h"
#include "xml/DeclaredEncoding.h"
#include "xml/EncodingAliases.h"

namespace tembra {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::string_view kDeclaration = "<?xml";

bool isPrefixOf(std::string_view have, std::string_view whole) {
  return have.size() < whole.size() && whole.starts_with(have);
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

GuideDecoder::GuideDecoder(XmlByteReader& reader) : reader_(reader) {}

bool GuideDecoder::feed(std::string_view piece) {
  if (!error_.empty() || reader_.failed()) return false;
  if (stage_ == Stage::Magic) {
    const size_t n = std::min(2 - head_.size(), piece.size());
    head_.append(piece.substr(0, n));
    piece.remove_prefix(n);
    if (head_.size() < 2) return true;
    std::string first;
    first.swap(head_);
    if (GzipInflater::isGzipMagic(first)) {
      gzip_ = std::make_unique<GzipInflater>([this](std::string_view out) { return plain(out, false); });
      stage_ = Stage::Encoding;
      if (!gzip_->feed(first)) return false;
    } else {
      stage_ = Stage::Encoding;
      if (!plain(first, false)) return false;
    }
  }
  if (piece.empty()) return !reader_.failed();
  if (gzip_) {
    if (!gzip_->feed(piece)) {
      if (gzip_->failed() && !gzip_->error().empty()) error_ = gzip_->error();
      return false;
    }
    return !reader_.failed();
  }
  return plain(piece, false);
}

void GuideDecoder::finish() {
  if (!error_.empty() || reader_.failed()) return;
  if (stage_ == Stage::Magic) {
    std::string first;
    first.swap(head_);
    stage_ = Stage::Encoding;
    if (!plain(first, true)) return;
  }
  if (gzip_) {
    gzip_->finish();
    cutOff_ = gzip_->cutOff();
  }
  if (stage_ == Stage::Encoding && !decide(true)) return;
  if (transcoder_) {
    transcoder_->finish(converted_);
    if (!converted_.empty()) reader_.feed(converted_);
  }
  reader_.finish();
}

// Text on its way to the reader: held until its encoding is known.
bool GuideDecoder::plain(std::string_view piece, bool final) {
  if (stage_ == Stage::Passing) return pass(piece);
  head_.append(piece);
  return decide(final);
}

bool GuideDecoder::decide(bool final) {
  std::string_view h = head_;
  if (!final) {
    if (isPrefixOf(h, kUtf8Mark) || isPrefixOf(h, kUtf16LeMark) || isPrefixOf(h, kUtf16BeMark)) return true;
  }
  std::string_view rest = h;
  if (h.starts_with(kUtf8Mark)) {
    rest.remove_prefix(kUtf8Mark.size());
  } else if (h.starts_with(kUtf16LeMark) || h.starts_with(kUtf16BeMark)) {
    const bool little = h.starts_with(kUtf16LeMark);
    rest.remove_prefix(2);
    transcoder_ = std::make_unique<Utf8Transcoder>(little ? "UTF-16LE" : "UTF-16BE");
    encoding_ = little ? "UTF-16LE" : "UTF-16BE";
  } else {
    if (!final && isPrefixOf(rest, kDeclaration)) return true;
    if (rest.starts_with(kDeclaration)) {
      if (!final && rest.find('>') == std::string_view::npos && rest.size() < DeclaredEncoding::kScanBytes) return true;
      const std::string name = toUtf8(DeclaredEncoding::Find(rest));
      const EncodingInfo info = EncodingAliases::Lookup(name);
      // "ANSI" is this platform's code page, which is UTF-8; a declaration
      // read as 8-bit text cannot describe a stream of 2-byte units, so
      // UTF-16 names there are taken for what the bytes show.
      if (info.kind == EncodingKind::CodePage && !equalsIgnoringAsciiCase(name, "ANSI")) {
        auto converter = std::make_unique<Utf8Transcoder>(info.iconvName);
        if (converter->ok()) {
          transcoder_ = std::move(converter);
          encoding_ = name;
        }
      }
    }
  }
  stage_ = Stage::Passing;
  std::string held;
  held.swap(head_);
  return pass(std::string_view(held).substr(h.size() - rest.size()));
}

bool GuideDecoder::pass(std::string_view utf8) {
  if (utf8.empty()) return !reader_.failed();
  if (!transcoder_) return reader_.feed(utf8);
  transcoder_->convert(utf8, converted_);
  return reader_.feed(converted_);
}

}  // namespace tembra
