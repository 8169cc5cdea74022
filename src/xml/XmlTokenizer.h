#pragma once
#include <cstdint>
#include <string_view>

#include "xml/XmlScan.h"

namespace tembra {

// Node kinds; the values are the document's node type numbers, with two
// kinds of the tokenizer's own (a token error and the end of the text).
enum class XmlTokenKind : uint16_t {
  EndTag = 0,
  StartTag = 1,
  Text = 2,
  Whitespace = 4,
  CData = 8,
  Instruction = 16,
  Comment = 32,
  Doctype = 64,
  Error = 0x100,
  End = 0x200,
};

enum class XmlSyntaxError : uint8_t {
  None,
  FirstTag,      // "<" followed by no name start, '!', '/', '?'
  Exclamation,   // "<!" followed by no '-', '[', 'D'
  Comment,       // "<!-" not followed by '-'
  CData,         // "<![" not followed by 'C'
  Doctype,       // unexpected markup start inside a document type declaration
  Unterminated,  // the text ends inside a tag
};

// What kind of tag the text ended inside.
enum class XmlUnterminated : uint8_t { Tag, StartTag, EndTag, CData, Instruction, Comment, Doctype };

struct XmlToken {
  XmlTokenKind kind = XmlTokenKind::End;
  XmlSyntaxError error = XmlSyntaxError::None;
  XmlUnterminated unterminated = XmlUnterminated::Tag;
  bool emptyElement = false;  // start tag closed by "/>"
  uint32_t start = 0;         // [start, end) in the text
  uint32_t end = 0;
  uint32_t errorOffset = 0;  // where the error was seen
};

// Splits a UTF-16 text into nodes. Stateless apart from the text: every
// call starts at a node boundary and returns the node starting there, so a
// range that the parse saw as a run of whole nodes tokenizes the same way
// again later (element data is read that way).
class XmlTokenizer {
 public:
  XmlTokenizer(const char16_t* text, uint32_t length) : t_(text), n_(length) {}

  uint32_t Length() const { return n_; }

  // Offset of the next '<' at or after pos, or the length.
  uint32_t FindMarkup(uint32_t pos) const {
    return static_cast<uint32_t>(xmlscan::FindChar(t_ + pos, t_ + n_, u'<') - t_);
  }

  // The node at pos: text (classified as text or whitespace) or markup.
  XmlToken Next(uint32_t pos) const;

  // The markup node whose '<' is at pos. Start and end tags are scanned
  // inline here because the parse pass spends most of its time in them.
  XmlToken ScanMarkup(uint32_t pos) const {
    XmlToken tok;
    tok.start = pos;
    const uint32_t after = pos + 1;
    if (after >= n_) return Unterminated(tok, XmlUnterminated::Tag);
    const char16_t c = t_[after];
    if (xmlscan::IsNameStart(c)) return ScanStartTag(tok, after + 1);
    if (c == u'/') {
      const char16_t* gt = xmlscan::FindChar(t_ + after + 1, t_ + n_, u'>');
      if (gt == t_ + n_) return Unterminated(tok, XmlUnterminated::EndTag);
      tok.kind = XmlTokenKind::EndTag;
      tok.end = static_cast<uint32_t>(gt - t_) + 1;
      return tok;
    }
    return ScanOtherMarkup(tok);
  }

 private:
  XmlToken ScanStartTag(XmlToken tok, uint32_t from) const {
    const char16_t* p = t_ + from;
    const char16_t* const end = t_ + n_;
    for (;;) {
      p = xmlscan::FindTagStop(p, end);
      if (p == end) return Unterminated(tok, XmlUnterminated::StartTag);
      if (*p == u'>') break;
      const char16_t* q = xmlscan::FindChar(p + 1, end, *p);
      if (q == end) return Unterminated(tok, XmlUnterminated::StartTag);
      p = q + 1;
    }
    tok.kind = XmlTokenKind::StartTag;
    tok.end = static_cast<uint32_t>(p - t_) + 1;
    tok.emptyElement = p[-1] == u'/';
    return tok;
  }

  XmlToken Unterminated(XmlToken tok, XmlUnterminated what) const {
    tok.kind = XmlTokenKind::Error;
    tok.error = XmlSyntaxError::Unterminated;
    tok.unterminated = what;
    tok.errorOffset = tok.start;
    tok.end = n_;
    return tok;
  }

  XmlToken SyntaxError(XmlToken tok, XmlSyntaxError error, uint32_t end) const {
    tok.kind = XmlTokenKind::Error;
    tok.error = error;
    tok.errorOffset = tok.start;
    tok.end = end;
    return tok;
  }

  XmlToken ScanOtherMarkup(XmlToken tok) const;
  XmlToken ScanDoctype(XmlToken tok) const;

  const char16_t* t_;
  uint32_t n_;
};

}  // namespace tembra
