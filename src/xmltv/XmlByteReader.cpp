#include "xmltv/XmlByteReader.h"

#include <cstring>

namespace tembra {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool endsName(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == '/' || c == '>' || c == '='; }

// Letters, '_', ':' and everything non-ASCII (UTF-8 lead bytes).
bool isNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':';
}

bool allSpace(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (!isSpace(p[i])) return false;
  }
  return true;
}

const char* find(const char* p, const char* end, char c) {
  return static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(end - p)));
}

// Where the terminator (2 or 3 bytes) starts, or nullptr.
const char* findTerminator(const char* p, const char* end, std::string_view term) {
  return static_cast<const char*>(memmem(p, static_cast<size_t>(end - p), term.data(), term.size()));
}

std::string describe(uint64_t at) { return "at byte " + std::to_string(at); }

}  // namespace

XmlByteReader::XmlByteReader(XmlByteHandler& handler) : handler_(handler) {
  names_.reserve(256);
  nameStarts_.reserve(16);
}

void XmlByteReader::fail(std::string message, uint64_t at) {
  if (failed_) return;
  failed_ = true;
  error_ = message.empty() ? message : message + " (" + describe(at) + ")";
}

bool XmlByteReader::feed(std::string_view piece) {
  if (failed_) return false;
  if (piece.empty()) return true;
  sawBytes_ = true;
  bytesRead_ += piece.size();
  size_t used;
  if (pending_.empty()) {
    // The usual case: the piece is read where it lies and only its
    // unfinished tail is copied.
    used = process(piece.data(), piece.size());
    consumedBefore_ += used;
    pending_.assign(piece.data() + used, piece.size() - used);
  } else {
    pending_.append(piece);
    used = process(pending_.data(), pending_.size());
    consumedBefore_ += used;
    pending_.erase(0, used);
  }
  if (!failed_ && pending_.size() > kMaxMarkup) fail("a tag longer than 1 MiB", consumedBefore_);
  return !failed_;
}

void XmlByteReader::finish() {
  if (failed_) return;
  if (!pending_.empty() && state_ == State::Text && !rootClosed_) {
    // What is left is text (a tail that might have been a reference) or
    // an unfinished tag.
    if (pending_[0] != '<') {
      if (!sawRoot_ && !allSpace(pending_.data(), pending_.size())) {
        fail("not XML: text before the first element", consumedBefore_);
        return;
      }
      if (sawRoot_) handler_.text(pending_, false);
      pending_.clear();
    }
  }
  if (!sawRoot_) {
    if (!sawMarkup_) {
      fail("it is empty", consumedBefore_);
    } else if (pending_.empty() && state_ == State::Text) {
      fail("no element in it", consumedBefore_);
    } else {
      fail("not XML: it ends before its first element", consumedBefore_);
    }
    return;
  }
  if (!rootClosed_) cutOff_ = true;
  pending_.clear();
}

size_t XmlByteReader::process(const char* d, size_t n) {
  size_t pos = 0;
  const char* const end = d + n;
  while (pos < n && !failed_) {
    if (rootClosed_) return n;  // nothing after the root element matters
    switch (state_) {
      case State::Text: {
        const char* lt = find(d + pos, end, '<');
        const size_t stop = lt ? static_cast<size_t>(lt - d) : n;
        if (stop > pos) {
          size_t len = stop - pos;
          if (!lt) {
            // The text goes on in the next piece: hold back a reference
            // that may be cut ("&am"), so no piece splits one.
            const size_t look = len < 12 ? len : 12;
            for (size_t i = len; i-- > len - look;) {
              const char c = d[pos + i];
              if (c == ';') break;
              if (c == '&') {
                len = i;
                break;
              }
            }
          }
          if (!textRun(d + pos, len)) return pos;
          pos += len;
          if (!lt) return pos;
        }
        if (!markup(d, n, pos)) return pos;
        break;
      }
      case State::Comment:
      case State::Instruction:
      case State::CData: {
        const std::string_view term =
            state_ == State::Comment ? std::string_view("-->") : state_ == State::CData ? "]]>" : "?>";
        const char* hit = findTerminator(d + pos, end, term);
        const size_t upTo = hit ? static_cast<size_t>(hit - d) : (n - pos > term.size() - 1 ? n - (term.size() - 1) : pos);
        if (state_ == State::CData && upTo > pos) handler_.text(std::string_view(d + pos, upTo - pos), true);
        if (!hit) return upTo;
        pos = upTo + term.size();
        state_ = State::Text;
        break;
      }
      case State::Doctype: {
        while (pos < n && state_ == State::Doctype) {
          if (doctypeComment_) {
            // A comment in the internal subset: its brackets and quotes
            // are no markup.
            const char* hit = findTerminator(d + pos, end, "-->");
            if (!hit) return n - pos > 2 ? n - 2 : pos;
            pos = static_cast<size_t>(hit - d) + 3;
            doctypeComment_ = false;
            continue;
          }
          const char c = d[pos];
          if (doctypeQuote_) {
            if (c == doctypeQuote_) doctypeQuote_ = 0;
          } else if (c == '"' || c == '\'') {
            doctypeQuote_ = c;
          } else if (c == '<') {
            if (n - pos < 4) return pos;  // wait to see whether a comment starts
            if (std::memcmp(d + pos, "<!--", 4) == 0) {
              doctypeComment_ = true;
              pos += 4;
              continue;
            }
          } else if (c == '[') {
            ++doctypeBrackets_;
          } else if (c == ']') {
            if (doctypeBrackets_ > 0) --doctypeBrackets_;
          } else if (c == '>' && doctypeBrackets_ == 0) {
            state_ = State::Text;
          }
          ++pos;
        }
        break;
      }
    }
  }
  return pos;
}

bool XmlByteReader::textRun(const char* p, size_t len) {
  if (len == 0) return true;
  if (!sawRoot_) {
    if (!allSpace(p, len)) {
      fail("not XML: text before the first element", consumedBefore_);
      return false;
    }
    return true;
  }
  handler_.text(std::string_view(p, len), false);
  return true;
}

// The markup starting with the '<' at pos. False when it is not whole yet
// (pos unchanged) or the reading failed.
bool XmlByteReader::markup(const char* d, size_t n, size_t& pos) {
  const char* const end = d + n;
  sawMarkup_ = true;
  if (n - pos < 2) return false;
  const char c = d[pos + 1];
  if (c == '/') {
    const char* gt = find(d + pos + 2, end, '>');
    if (!gt) return false;
    const char* nameEnd = d + pos + 2;
    while (nameEnd < gt && !isSpace(*nameEnd)) ++nameEnd;
    endTag(std::string_view(d + pos + 2, static_cast<size_t>(nameEnd - (d + pos + 2))));
    pos = static_cast<size_t>(gt - d) + 1;
    return true;
  }
  if (c == '?') {
    state_ = State::Instruction;
    pos += 2;
    return true;
  }
  if (c == '!') {
    static constexpr std::string_view kComment = "<!--", kCData = "<![CDATA[", kDoctype = "<!DOCTYPE";
    const std::string_view have(d + pos, n - pos < kCData.size() ? n - pos : kCData.size());
    // Upper case for the keyword only: an HTML page's "<!doctype html>"
    // reads on, so that its root element is what gets reported.
    char upper[16];
    for (size_t k = 0; k < have.size(); ++k) {
      const char b = have[k];
      upper[k] = k >= 2 && b >= 'a' && b <= 'z' ? static_cast<char>(b - 32) : b;
    }
    const std::string_view keyword(upper, have.size());
    if (have.starts_with(kComment)) {
      state_ = State::Comment;
      pos += kComment.size();
      return true;
    }
    if (have.starts_with(kCData) && sawRoot_) {
      state_ = State::CData;
      pos += kCData.size();
      return true;
    }
    if (keyword.starts_with(kDoctype) && !sawRoot_) {
      state_ = State::Doctype;
      doctypeBrackets_ = 0;
      doctypeQuote_ = 0;
      doctypeComment_ = false;
      pos += kDoctype.size();
      return true;
    }
    const bool maybe = kComment.starts_with(have) || kCData.starts_with(have) || kDoctype.starts_with(keyword);
    if (maybe && have.size() < kCData.size()) return false;  // wait for the bytes that tell
    fail(sawRoot_ ? "malformed markup" : "not XML: malformed markup", consumedBefore_ + pos);
    return false;
  }
  if (!isNameStart(c)) {
    fail(sawRoot_ ? "malformed markup" : "not XML: malformed markup", consumedBefore_ + pos);
    return false;
  }
  // A start tag: its '>' is the first one outside quoted values.
  size_t i = pos + 1 + tagScanned_;
  char quote = tagQuote_;
  for (; i < n; ++i) {
    const char b = d[i];
    if (quote) {
      const char* q = find(d + i, end, quote);
      if (!q) {
        i = n;
        break;
      }
      i = static_cast<size_t>(q - d);
      quote = 0;
    } else if (b == '>') {
      break;
    } else if (b == '"' || b == '\'') {
      quote = b;
    }
  }
  if (i >= n) {
    tagScanned_ = n - pos - 1;
    tagQuote_ = quote;
    return false;
  }
  tagScanned_ = 0;
  tagQuote_ = 0;
  if (!startTag(d, pos + 1, i)) return false;
  pos = i + 1;
  return true;
}

bool XmlByteReader::startTag(const char* d, size_t from, size_t gt) {
  const bool empty = gt > from && d[gt - 1] == '/';
  const size_t inner = empty ? gt - 1 : gt;
  size_t nameEnd = from;
  while (nameEnd < inner && !endsName(d[nameEnd])) ++nameEnd;
  const std::string_view name(d + from, nameEnd - from);
  const std::string_view attributes(d + nameEnd, inner - nameEnd);
  if (nameStarts_.size() >= kMaxDepth || names_.size() + name.size() > kMaxMarkup) {
    fail("elements nested deeper than " + std::to_string(kMaxDepth), consumedBefore_ + from);
    return false;
  }
  sawRoot_ = true;
  if (!handler_.startElement(name, attributes)) {
    failed_ = true;
    return false;
  }
  if (empty) {
    handler_.endElement(name);
    if (nameStarts_.empty()) rootClosed_ = true;
  } else {
    nameStarts_.push_back(static_cast<uint32_t>(names_.size()));
    names_.append(name);
  }
  return true;
}

void XmlByteReader::endTag(std::string_view name) {
  // The innermost open element of that name; none: a stray end tag.
  size_t match = nameStarts_.size();
  for (size_t k = nameStarts_.size(); k-- > 0;) {
    const size_t b = nameStarts_[k];
    const size_t e = k + 1 < nameStarts_.size() ? nameStarts_[k + 1] : names_.size();
    if (std::string_view(names_).substr(b, e - b) == name) {
      match = k;
      break;
    }
  }
  if (match == nameStarts_.size()) return;
  while (nameStarts_.size() > match) {
    const size_t b = nameStarts_.back();
    handler_.endElement(std::string_view(names_).substr(b));
    names_.resize(b);
    nameStarts_.pop_back();
  }
  if (nameStarts_.empty()) rootClosed_ = true;
}

}  // namespace tembra
