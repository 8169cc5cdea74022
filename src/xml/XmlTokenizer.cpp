#include "xml/XmlTokenizer.h"

namespace tembra {

using namespace xmlscan;

XmlToken XmlTokenizer::Next(uint32_t pos) const {
  XmlToken tok;
  tok.start = pos;
  if (pos >= n_) {
    tok.end = n_;
    return tok;
  }
  if (t_[pos] == u'<') return ScanMarkup(pos);
  const uint32_t lt = FindMarkup(pos);
  tok.end = lt;
  tok.kind = XmlTokenKind::Whitespace;
  for (uint32_t i = pos; i < lt; ++i) {
    if (!IsSpace(t_[i])) {
      tok.kind = XmlTokenKind::Text;
      break;
    }
  }
  return tok;
}

XmlToken XmlTokenizer::ScanOtherMarkup(XmlToken tok) const {
  const uint32_t pos = tok.start;
  const char16_t* const end = t_ + n_;
  const char16_t c = t_[pos + 1];
  if (c == u'?') {
    const char16_t* q = FindPair(t_ + pos + 2, end, u'?', u'>');
    if (q == end) return Unterminated(tok, XmlUnterminated::Instruction);
    tok.kind = XmlTokenKind::Instruction;
    tok.end = static_cast<uint32_t>(q - t_) + 2;
    return tok;
  }
  if (c != u'!') return SyntaxError(tok, XmlSyntaxError::FirstTag, pos + 1);
  if (pos + 2 >= n_) return Unterminated(tok, XmlUnterminated::Tag);
  const char16_t d = t_[pos + 2];
  if (d == u'-') {
    if (pos + 3 >= n_) return Unterminated(tok, XmlUnterminated::Comment);
    if (t_[pos + 3] != u'-') return SyntaxError(tok, XmlSyntaxError::Comment, pos + 3);
    const char16_t* q = FindTriple(t_ + pos + 4, end, u'-', u'-', u'>');
    if (q == end) return Unterminated(tok, XmlUnterminated::Comment);
    tok.kind = XmlTokenKind::Comment;
    tok.end = static_cast<uint32_t>(q - t_) + 3;
    return tok;
  }
  if (d == u'[') {
    if (pos + 3 >= n_) return Unterminated(tok, XmlUnterminated::CData);
    if (t_[pos + 3] != u'C') return SyntaxError(tok, XmlSyntaxError::CData, pos + 3);
    const char16_t* q = FindTriple(t_ + pos + 3, end, u']', u']', u'>');
    if (q == end) return Unterminated(tok, XmlUnterminated::CData);
    tok.kind = XmlTokenKind::CData;
    tok.end = static_cast<uint32_t>(q - t_) + 3;
    return tok;
  }
  if (d == u'D') return ScanDoctype(tok);
  return SyntaxError(tok, XmlSyntaxError::Exclamation, pos + 2);
}

// A document type declaration ends at the first '>' outside quoted literals
// and outside its internal subset brackets. Inside the subset, comments,
// processing instructions and markup declarations are skipped whole so that
// a '>' or ']' inside them does not end anything; any other '<' is an
// unexpected markup start and ends the declaration as an error, so that a
// declaration that lost its '>' does not swallow the document.
XmlToken XmlTokenizer::ScanDoctype(XmlToken tok) const {
  const char16_t* const end = t_ + n_;
  const char16_t* p = t_ + tok.start + 3;
  bool inSubset = false;
  while (p < end) {
    const char16_t c = *p;
    if (c == u'"' || c == u'\'') {
      p = FindChar(p + 1, end, c);
      if (p == end) break;
    } else if (c == u'[') {
      inSubset = true;
    } else if (c == u']') {
      inSubset = false;
    } else if (c == u'>') {
      if (!inSubset) {
        tok.kind = XmlTokenKind::Doctype;
        tok.end = static_cast<uint32_t>(p - t_) + 1;
        return tok;
      }
    } else if (c == u'<') {
      if (inSubset && end - p < 2) break;
      if (!inSubset || (p[1] != u'!' && p[1] != u'?')) {
        tok = SyntaxError(tok, XmlSyntaxError::Doctype, static_cast<uint32_t>(p - t_));
        tok.errorOffset = tok.end;
        return tok;
      }
      if (p[1] == u'?') {
        p = FindPair(p + 2, end, u'?', u'>');
        if (p == end) break;
        ++p;
      } else if (end - p >= 4 && p[2] == u'-' && p[3] == u'-') {
        p = FindTriple(p + 4, end, u'-', u'-', u'>');
        if (p == end) break;
        p += 2;
      } else {
        // A markup declaration: up to its '>' outside quoted literals.
        for (p += 2;; ++p) {
          p = FindTagStop(p, end);
          if (p == end || *p == u'>') break;
          p = FindChar(p + 1, end, *p);
          if (p == end) break;
        }
        if (p == end) break;
      }
    }
    ++p;
  }
  return Unterminated(tok, XmlUnterminated::Doctype);
}

}  // namespace tembra
