#pragma once
#include <cstdint>

#include "xml/XmlTokenizer.h"

namespace tembra {

// The markup tokens of a text in order, text runs skipped: the tokens
// XmlTokenizer gives, found faster for the parse pass.
//
// Following one token to the next with character scans makes every step
// wait for the scan before it. Here the positions of '<', '>' and the two
// quotes are first turned into bit masks, 64 characters at a time, and the
// next position is one bit search away. Start and end tags, nearly all of
// a document's markup, are read from the masks; every other kind of markup
// is handed to the tokenizer.
class XmlMarkupScanner {
 public:
  XmlMarkupScanner(const char16_t* text, uint32_t length) : t_(text), n_(length), tok_(text, length) {}

  // The first markup token starting at or after pos; kind End when none.
  [[gnu::always_inline]] XmlToken NextMarkup(uint32_t pos) {
    const uint32_t lt = NextLt(pos);
    if (lt >= n_) {
      XmlToken end;
      end.start = end.end = n_;
      return end;
    }
    if (lt + 1 < n_) {
      const char16_t c = t_[lt + 1];
      if (xmlscan::IsNameStart(c)) {
        for (uint32_t p = lt + 2;;) {
          uint32_t q = NextStop(p);
          if (q >= n_) break;
          const char16_t stop = t_[q];
          if (stop == u'>') return Tag(XmlTokenKind::StartTag, lt, q);
          do {
            q = NextStop(q + 1);
          } while (q < n_ && t_[q] != stop);
          if (q >= n_) break;
          p = q + 1;
        }
      } else if (c == u'/') {
        uint32_t q = NextStop(lt + 2);
        while (q < n_ && t_[q] != u'>') q = NextStop(q + 1);
        if (q < n_) return Tag(XmlTokenKind::EndTag, lt, q);
      }
    }
    return tok_.ScanMarkup(lt);
  }

 private:
  XmlToken Tag(XmlTokenKind kind, uint32_t lt, uint32_t gt) const {
    XmlToken k;
    k.kind = kind;
    k.start = lt;
    k.end = gt + 1;
    k.emptyElement = kind == XmlTokenKind::StartTag && t_[gt - 1] == u'/';
    return k;
  }

  // Offset of the first '<' at or after p, or at least n_.
  uint32_t NextLt(uint32_t p) {
    for (;;) {
      if (p >= n_) return n_;
      const uint32_t base = p & ~63u;
      if (base != base_) Load(base);
      const uint64_t m = lt_ >> (p - base);
      if (m) return p + static_cast<uint32_t>(__builtin_ctzll(m));
      p = base + 64;
    }
  }

  // Offset of the first '>', '"' or '\'' at or after p, or at least n_.
  uint32_t NextStop(uint32_t p) {
    for (;;) {
      if (p >= n_) return n_;
      const uint32_t base = p & ~63u;
      if (base != base_) Load(base);
      const uint64_t m = stop_ >> (p - base);
      if (m) return p + static_cast<uint32_t>(__builtin_ctzll(m));
      p = base + 64;
    }
  }

  void Load(uint32_t base);

  const char16_t* t_;
  uint32_t n_;
  XmlTokenizer tok_;
  uint32_t base_ = UINT32_MAX;  // offset of the 64 characters the masks describe
  uint64_t lt_ = 0;             // bit i: character base_ + i is '<'
  uint64_t stop_ = 0;           // bit i: it is '>', '"' or '\''
};

}  // namespace tembra
