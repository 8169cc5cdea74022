#include "guide/GuideReplyReader.h"

#include <algorithm>
#include <cstring>

#include "platform/Utf.h"
#include "xml/CodePageDecoder.h"
#include "xml/DeclaredEncoding.h"
#include "xml/EncodingAliases.h"
#include "xml/Utf8Text.h"
#include "xml/XmlDocument.h"
#include "xml/XmlScan.h"
#include "xml/XmlTokenizer.h"

namespace tembra {

namespace {

bool isAnsi(std::u16string_view name) {
  if (name.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    char16_t c = name[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    if (c != u"ANSI"[i]) return false;
  }
  return true;
}

// How many bytes at the end of data start a UTF-8 sequence that the next
// piece may complete: a lead byte followed by fewer continuation bytes than
// it needs, all of them acceptable so far. Anything else decodes the same
// now as it would with more bytes after it.
size_t unfinishedSequence(std::string_view data) {
  const size_t n = data.size();
  for (size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto b = static_cast<unsigned char>(data[n - back]);
    if (b < 0x80) return 0;
    if (b < 0xC0) continue;
    const size_t need = (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
    if (need <= back) return 0;
    if (back >= 2) {
      const auto second = static_cast<unsigned char>(data[n - back + 1]);
      unsigned char lo = 0x80, hi = 0xBF;
      if (b == 0xE0) lo = 0xA0;
      else if (b == 0xED) hi = 0x9F;
      else if (b == 0xF0) lo = 0x90;
      else if (b == 0xF4) hi = 0x8F;
      if (second < lo || second > hi) return 0;
      if (back == 3 && (static_cast<unsigned char>(data[n - 1]) & 0xC0) != 0x80) return 0;
    }
    return back;
  }
  return 0;
}

std::u16string_view startName(std::u16string_view text, size_t from) {
  size_t to = from;
  while (to < text.size() && !xmlscan::EndsStartName(text[to])) ++to;
  return text.substr(from, to - from);
}

}  // namespace

GuideReplyReader::GuideReplyReader(std::u16string dayKey)
    : dayKey_(dayKey), doc_(std::make_unique<XmlDocument>()), builder_(std::move(dayKey)) {}

GuideReplyReader::~GuideReplyReader() = default;

void GuideReplyReader::Feed(std::string_view bytes) {
  if (overLimit_ || bytes.empty()) return;
  if (mode_ == Mode::Head) {
    head_.append(bytes);
    if (head_.size() >= DeclaredEncoding::kScanBytes) decide(false);
    return;
  }
  passBytes(bytes, false);
}

void GuideReplyReader::FeedText(std::u16string_view text) {
  mode_ = Mode::Text;
  if (!overLimit_) append(text);
}

// The encoding is settled as a whole file's is: byte order mark, then the
// declaration in the first bytes, then UTF-8.
void GuideReplyReader::decide(bool final) {
  const std::string_view head = std::string_view(head_).substr(0, DeclaredEncoding::kScanBytes);
  size_t skip = 0;
  if (head.starts_with("\xEF\xBB\xBF")) {
    mode_ = Mode::Utf8;
    skip = 3;
  } else if (head.starts_with("\xFF\xFE")) {
    mode_ = Mode::Utf16LE;
    skip = 2;
  } else if (head.starts_with("\xFE\xFF")) {
    mode_ = Mode::Utf16BE;
    skip = 2;
  } else {
    mode_ = Mode::Utf8;
    const std::u16string name = DeclaredEncoding::Find(head);
    if (!name.empty() && !isAnsi(name)) {
      const EncodingInfo info = EncodingAliases::Lookup(toUtf8(name));
      if (info.kind == EncodingKind::CodePage && CodePageDecoder(info.iconvName).ok()) {
        mode_ = Mode::CodePage;
        codePage_ = info.iconvName;
      }
    }
  }
  std::string head2;
  head2.swap(head_);
  passBytes(std::string_view(head2).substr(std::min(skip, head2.size())), final);
}

void GuideReplyReader::passBytes(std::string_view bytes, bool final) {
  switch (mode_) {
    case Mode::Utf8: decodeUtf8(bytes, final); break;
    case Mode::Utf16LE:
    case Mode::Utf16BE: decodeUtf16(bytes, final); break;
    case Mode::CodePage:
      // A multi-byte code page may cut a character anywhere, and such
      // replies are rare: converted whole at the end.
      codePageBytes_.append(bytes);
      if (final) {
        codePageBytes_.erase(std::remove(codePageBytes_.begin(), codePageBytes_.end(), '\0'), codePageBytes_.end());
        CodePageDecoder decoder(codePage_);
        const std::u16string text = decoder.Decode(codePageBytes_);
        std::string().swap(codePageBytes_);
        append(text);
      }
      break;
    case Mode::Head:
    case Mode::Text: break;
  }
}

void GuideReplyReader::decodeUtf8(std::string_view bytes, bool final) {
  // Zero bytes are dropped before decoding, as a whole file's are.
  scratch_.assign(utf8Tail_);
  utf8Tail_.clear();
  if (bytes.empty() || std::memchr(bytes.data(), 0, bytes.size()) == nullptr) {
    scratch_.append(bytes);
  } else {
    for (char c : bytes)
      if (c != '\0') scratch_.push_back(c);
  }
  std::string_view data(scratch_);
  if (!final) {
    const size_t hold = unfinishedSequence(data);
    utf8Tail_.assign(data.substr(data.size() - hold));
    data.remove_suffix(hold);
  }
  if (overLimit_) return;
  Utf8Text::Decode(data, buf_);
  process(false);
}

void GuideReplyReader::decodeUtf16(std::string_view bytes, bool final) {
  scratch_.assign(odd_);
  odd_.clear();
  scratch_.append(bytes);
  const size_t units = scratch_.size() / 2;
  // A byte left over at the very end is no unit.
  if (!final) odd_.assign(scratch_.substr(units * 2));
  std::u16string text;
  text.reserve(units);
  const bool big = mode_ == Mode::Utf16BE;
  for (size_t i = 0; i < units; ++i) {
    const auto a = static_cast<unsigned char>(scratch_[2 * i]);
    const auto b = static_cast<unsigned char>(scratch_[2 * i + 1]);
    const auto unit = static_cast<char16_t>(big ? (a << 8) | b : (b << 8) | a);
    if (unit != 0) text.push_back(unit);
  }
  append(text);
}

void GuideReplyReader::append(std::u16string_view text) {
  if (overLimit_) return;
  buf_.append(text);
  process(false);
}

// Markup is read as the document's parse pass reads it; a token that may
// still grow (one the end of the text cuts, or whose scan looked near the
// end) waits for more text.
void GuideReplyReader::process(bool final) {
  const XmlTokenizer tok(buf_.data(), static_cast<uint32_t>(buf_.size()));
  const auto n = static_cast<uint32_t>(buf_.size());
  while (pos_ < n && !overLimit_) {
    const uint32_t lt = tok.FindMarkup(static_cast<uint32_t>(pos_));
    if (lt >= n) {
      pos_ = n;
      break;
    }
    const XmlToken k = tok.ScanMarkup(lt);
    if (!final) {
      const bool tag = k.kind == XmlTokenKind::StartTag || k.kind == XmlTokenKind::EndTag;
      if ((k.kind == XmlTokenKind::Error && k.end >= n) || (!tag && k.end + 4 > n)) {
        pos_ = lt;
        break;
      }
    }
    switch (k.kind) {
      case XmlTokenKind::StartTag: startTag(k.start, k.end, k.emptyElement); break;
      case XmlTokenKind::EndTag: endTag(k.start, k.end); break;
      case XmlTokenKind::Error: illFormed_ = true; break;
      default: break;
    }
    pos_ = k.end;
  }
  compact();
}

void GuideReplyReader::startTag(uint32_t start, uint32_t end, bool empty) {
  const std::u16string_view name = startName(std::u16string_view(buf_).substr(0, end), start + 1);
  if (!rootSeen_) {
    rootSeen_ = true;
    rootName_ = std::u16string(name);
    if (!empty) {
      open_.emplace_back(name);
      rootOpen_ = true;
    }
    return;
  }
  if (rootOpen_ && open_.size() == 1) {
    capturing_ = true;
    captureStart_ = start;
    if (empty) {
      channelEnded(end, false);
      return;
    }
  }
  if (empty) return;
  if (open_.size() >= kMaxDepth) {
    overLimit_ = true;
    return;
  }
  open_.emplace_back(name);
}

void GuideReplyReader::endTag(uint32_t start, uint32_t end) {
  size_t to = start + 2;
  while (to < end && !xmlscan::EndsEndName(buf_[to])) ++to;
  const std::u16string_view name(buf_.data() + start + 2, to - (start + 2));
  if (!open_.empty() && open_.back() == name) {
    closeTop(end, false);
    return;
  }
  bool deeper = false;
  for (size_t i = open_.size() > 0 ? open_.size() - 1 : 0; i-- > 0 && !deeper;) deeper = open_[i] == name;
  if (!deeper) {
    illFormed_ = true;
    return;
  }
  while (open_.back() != name) closeTop(start, true);
  closeTop(end, false);
}

// An element ends; when it is the open child of the root, that channel is
// read. An unended child ends where the end tag that closed it starts.
void GuideReplyReader::closeTop(uint32_t channelEnd, bool unended) {
  open_.pop_back();
  if (!rootOpen_) return;
  if (open_.empty()) {
    rootOpen_ = false;
  } else if (open_.size() == 1 && capturing_) {
    channelEnded(channelEnd, unended);
  }
}

void GuideReplyReader::channelEnded(uint32_t end, bool unended) {
  capturing_ = false;
  const std::u16string_view span(buf_.data() + captureStart_, end - captureStart_);
  // A child that ended properly is a channel only by its name; an unended
  // one hands its children to the root, where any of them may be one.
  if (!unended && startName(span, 1) != u"tv") return;
  wrapped_.clear();
  wrapped_.append(u"<").append(rootName_).append(u">").append(span).append(u"</").append(rootName_).append(u">");
  doc_->Parse(wrapped_);
  readChannels();
}

// The walk of GuideReplyParser::Read, with the channels seen before kept
// by the builder.
void GuideReplyReader::readChannels() {
  XmlDocument& doc = *doc_;
  auto childText = [&doc](std::u16string_view name) {
    return doc.FindChild(name) ? doc.ReadChildText() : std::u16string();
  };
  doc.ResetPos();
  while (doc.FindChild(u"tv")) {
    const std::u16string id = doc.ReadChildAttribute(u"id");
    if (builder_.HasChannel(id)) continue;
    doc.EnterChild();
    builder_.AddChannel(id, childText(u"tvname"));
    while (doc.FindChild(u"tvitem")) {
      doc.EnterChild();
      const std::u16string title = childText(u"title");
      const std::u16string startdate = childText(u"startdate");
      const std::u16string enddate = childText(u"enddate");
      const std::u16string starttime = childText(u"starttime");
      builder_.AddEntry(title, startdate, enddate, starttime);
      doc.LeaveToParent();
    }
    doc.LeaveToParent();
  }
}

void GuideReplyReader::compact() {
  const size_t keep = capturing_ ? captureStart_ : pos_;
  if (buf_.size() - keep > kMaxChannelUnits) {
    overLimit_ = true;
    std::u16string().swap(buf_);
    pos_ = captureStart_ = 0;
    return;
  }
  if (keep == 0 || keep < buf_.size() / 2) return;
  buf_.erase(0, keep);
  pos_ -= keep;
  if (capturing_) captureStart_ -= keep;
}

GuideReplyReader::Result GuideReplyReader::Finish() {
  if (mode_ == Mode::Head) decide(true);
  else passBytes({}, true);
  if (!overLimit_) process(true);
  Result result;
  // A root left open means the reply stopped in the middle: a whole
  // document of it has no channels either, its root's children being
  // moved out of it.
  const bool cut = rootOpen_;
  result.complete = !illFormed_ && !cut && !overLimit_;
  if (cut || overLimit_) builder_ = GuideDayList::Builder(dayKey_);
  result.list = builder_.Build();
  return result;
}

}  // namespace tembra
