#include "xml/XmlParser.h"

#include <string>
#include <vector>

#include "xml/XmlDocument.h"
#include "xml/XmlElementIndex.h"
#include "xml/XmlReportWriter.h"
#include "xml/XmlMarkupScanner.h"

namespace tembra {

namespace {

using namespace xmlscan;
using Record = XmlElementIndex::Record;

constexpr uint32_t kFirstChild = XmlDocument::kFirstChild;
constexpr uint32_t kUnended = XmlDocument::kUnended;
constexpr uint32_t kIllData = XmlDocument::kIllData;
constexpr uint32_t kIllFormed = XmlDocument::kIllFormed;

// Up to this depth an end tag that does not close the top element is looked
// for by walking the open elements. Deeper, a count of open elements per
// name answers at once whether it can match at all, so a long run of lone
// end tags under thousands of open elements stays linear.
constexpr size_t kLinearSearchDepth = 32;

// The text is copied in pieces of this many characters just after the pass
// has read them, while they are still in the cache.
constexpr uint32_t kCopyChunk = 16 * 1024;

class Pass {
 public:
  Pass(std::u16string_view text, XmlElementIndex& index, XmlReportWriter& report, bool ignoreCase,
       std::u16string* copyTo)
      : t_(text.data()), n_(static_cast<uint32_t>(text.size())), index_(index), report_(report),
        ignoreCase_(ignoreCase), copyTo_(copyTo) {
    stack_.reserve(8);
  }

  bool Run() {
    XmlMarkupScanner scanner(t_, n_);
    uint32_t pos = 0;
    uint32_t endOffset = n_;
    for (;;) {
      const XmlToken k = scanner.NextMarkup(pos);
      if (k.kind == XmlTokenKind::End) break;
      if (k.kind == XmlTokenKind::StartTag) {
        if (!StartTag(k)) {
          endOffset = k.start;
          break;
        }
      } else if (k.kind == XmlTokenKind::EndTag) {
        EndTag(k);
      } else if (k.kind == XmlTokenKind::Error) {
        TokenError(k);
      }
      pos = k.end;
      if (copyTo_ && pos - copied_ >= kCopyChunk) CopyUpTo(pos);
    }
    if (copyTo_) CopyUpTo(n_);
    while (!stack_.empty()) CloseUnended(endOffset);
    Record& doc = index_[0];
    if (topLastChild_ != 0) index_[doc.firstChild].prevSibling = topLastChild_;
    if (anyUnended_) ResolveMovedElements();
    if (doc.firstChild == 0) {
      report_.AddEntry(u"no_root_element");
    } else if (index_[doc.firstChild].nextSibling != 0) {
      report_.AddEntry(u"root_has_sibling");
    }
    if (illFormed_) doc.levelFlags |= kIllFormed;
    return !illFormed_;
  }

 private:
  // An open element. Its last child is kept here while it is open and
  // written to its first child's prevSibling when it closes, so adding a
  // child touches only the previous sibling's record.
  struct Open {
    uint32_t record;
    uint32_t start;
    uint32_t lastChild;
  };

  struct NameSlot {
    uint32_t hash;
    uint32_t record;  // an element carrying the name; 0 marks a free slot
    uint32_t open;    // open elements with the name
  };

  void CopyUpTo(uint32_t to) {
    copyTo_->append(t_ + copied_, t_ + to);
    copied_ = to;
  }

  std::u16string_view Text(uint32_t from, uint32_t to) const { return {t_ + from, to - from}; }

  uint32_t ElementNameEnd(uint32_t record) const {
    uint32_t p = index_[record].start + 1;
    while (p < n_ && !EndsStartName(t_[p])) ++p;
    return p;
  }

  // The end tag name [from, to) against the name of an open element.
  [[gnu::always_inline]] bool NameMatches(uint32_t record, uint32_t from, uint32_t to) const {
    const char16_t* e = t_ + index_[record].start + 1;
    const char16_t* s = t_ + from;
    const uint32_t len = to - from;
    for (uint32_t i = 0; i < len; ++i) {
      if (EndsStartName(e[i])) return false;
      if (e[i] != s[i] && (!ignoreCase_ || FoldCase(e[i]) != FoldCase(s[i]))) return false;
    }
    return EndsStartName(e[len]);
  }

  uint32_t Hash(uint32_t from, uint32_t to) const {
    uint32_t h = 2166136261u;
    for (uint32_t i = from; i < to; ++i) {
      h ^= ignoreCase_ ? FoldCase(t_[i]) : t_[i];
      h *= 16777619u;
    }
    return h | 1;
  }

  NameSlot* FindSlot(uint32_t hash, uint32_t from, uint32_t to, bool insert) {
    if (insert && (slotsUsed_ + 1) * 2 > slots_.size()) GrowSlots();
    if (slots_.empty()) return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      NameSlot& s = slots_[i];
      if (s.record == 0) {
        if (!insert) return nullptr;
        ++slotsUsed_;
        return &s;
      }
      if (s.hash == hash && NameMatches(s.record, from, to)) return &s;
    }
  }

  void GrowSlots() {
    std::vector<NameSlot> old(std::max<size_t>(64, slots_.size() * 2), NameSlot{0, 0, 0});
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const NameSlot& s : old) {
      if (s.record == 0) continue;
      size_t i = s.hash & mask;
      while (slots_[i].record != 0) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }

  void CountOpen(uint32_t record, int delta) {
    const uint32_t from = index_[record].start + 1;
    const uint32_t to = ElementNameEnd(record);
    const uint32_t h = Hash(from, to);
    NameSlot* s = FindSlot(h, from, to, delta > 0);
    if (!s) return;
    if (s->record == 0) *s = NameSlot{h, record, 0};
    s->open += static_cast<uint32_t>(delta);
  }

  void Push(uint32_t record, uint32_t start) {
    stack_.push_back(Open{record, start, 0});
    if (namesCounted_) CountOpen(record, +1);
  }

  // Closes the top element's child list and drops it from the stack.
  void Pop() {
    const Open& top = stack_.back();
    if (top.lastChild != 0) index_[index_[top.record].firstChild].prevSibling = top.lastChild;
    if (namesCounted_) CountOpen(top.record, -1);
    stack_.pop_back();
  }

  uint32_t& ParentsLastChild() { return stack_.empty() ? topLastChild_ : stack_.back().lastChild; }

  bool StartTag(const XmlToken& k) {
    const uint32_t idx = index_.AddUnset();
    if (idx == 0) {
      illFormed_ = true;
      report_.AddEntry(u"element_limit", {{u"count", XmlReportWriter::Number(index_.MaxRecords() - 1)},
                                          {u"offset", XmlReportWriter::Number(k.start)}});
      return false;
    }
    const uint32_t parent = stack_.empty() ? 0 : stack_.back().record;
    const uint32_t tagLength = k.end - k.start;
    const size_t level = stack_.size();
    uint32_t& last = ParentsLastChild();
    Record& r = index_[idx];
    r = Record{k.start,
               k.emptyElement ? tagLength : 0,
               tagLength < XmlElementIndex::kStartTagMask ? tagLength : 0,
               level < XmlElementIndex::kLevelMax ? static_cast<uint32_t>(level) : 0,
               parent,
               0,
               0,
               last == 0 ? idx : last};
    if (tagLength >= XmlElementIndex::kStartTagMask) index_.SetStartTagLength(idx, tagLength);
    if (level >= XmlElementIndex::kLevelMax) index_.SetLevel(idx, static_cast<uint32_t>(level));
    if (last == 0) {
      index_[parent].firstChild = idx;
      r.levelFlags |= kFirstChild;
    } else {
      index_[last].nextSibling = idx;
    }
    last = idx;
    if (!k.emptyElement) Push(idx, k.start);
    return true;
  }

  // The common case in one pass: the end tag, whose name starts at from,
  // closes the innermost open element. The end tag's closing '>' stops the
  // loop; the element's name is never read past its own end.
  [[gnu::always_inline]] bool ClosesTop(const Open& top, uint32_t from) const {
    const char16_t* e = t_ + top.start + 1;
    const char16_t* s = t_ + from;
    for (size_t i = 0;; ++i) {
      const char16_t c = s[i];
      if (EndsEndName(c)) return EndsStartName(e[i]);
      if (c == e[i]) {
        if (c == u'/' || c == u'=') return false;
        continue;
      }
      if (!ignoreCase_ || EndsStartName(e[i]) || FoldCase(c) != FoldCase(e[i])) return false;
    }
  }

  void EndTag(const XmlToken& k) {
    const uint32_t from = k.start + 2;
    const uint32_t nameLength = k.end - 1 - from;
    if (!stack_.empty() && !ignoreCase_ && nameLength < 8 && from + 8 <= n_ &&
        SameShortName(t_ + from, t_ + stack_.back().start + 1, nameLength)) {
      CloseNormally(k);
      return;
    }
    if (!stack_.empty() && ClosesTop(stack_.back(), from)) {
      CloseNormally(k);
      return;
    }
    uint32_t to = from;
    while (to < k.end && !EndsEndName(t_[to])) ++to;
    if (!MatchesDeeper(from, to)) {
      LoneEndTag(k, from, to);
      return;
    }
    while (!NameMatches(stack_.back().record, from, to)) CloseUnended(k.start);
    CloseNormally(k);
  }

  bool MatchesDeeper(uint32_t from, uint32_t to) {
    if (stack_.size() < 2) return false;
    if (!namesCounted_ && stack_.size() <= kLinearSearchDepth) {
      for (size_t i = stack_.size() - 1; i-- > 0;) {
        if (NameMatches(stack_[i].record, from, to)) return true;
      }
      return false;
    }
    if (!namesCounted_) {
      namesCounted_ = true;
      for (const Open& open : stack_) CountOpen(open.record, +1);
    }
    const NameSlot* s = FindSlot(Hash(from, to), from, to, false);
    return s && s->open > 0;
  }

  void CloseNormally(const XmlToken& k) {
    const uint32_t idx = stack_.back().record;
    Record& r = index_[idx];
    r.length = k.end - r.start;
    const uint32_t endLength = k.end - k.start;
    if (endLength < XmlElementIndex::kEndTagMax) r.tagLengths |= endLength << 22;
    else index_.SetEndTagLength(idx, endLength);
    Pop();
  }

  // The top element never got its end tag: it ends with its start tag and
  // its children follow it as siblings. Their parent fields are fixed once
  // after the pass (ResolveMovedElements) rather than here, which would
  // make a chain of unended elements quadratic.
  void CloseUnended(uint32_t offset2) {
    Open& top = stack_.back();
    const uint32_t idx = top.record;
    Record& r = index_[idx];
    r.length = index_.StartTagLength(idx);
    r.levelFlags |= kUnended;
    const uint32_t parent = r.parent;
    if (r.firstChild != 0) {
      Record& f = index_[r.firstChild];
      f.levelFlags &= ~kFirstChild;
      f.prevSibling = idx;
      r.nextSibling = r.firstChild;
      r.firstChild = 0;
      (stack_.size() > 1 ? stack_[stack_.size() - 2].lastChild : topLastChild_) = top.lastChild;
      top.lastChild = 0;
      anyUnended_ = true;
    }
    if (r.levelFlags & kIllData) {
      r.levelFlags &= ~kIllData;
      if (parent != 0) index_[parent].levelFlags |= kIllData;
    }
    if (report_.CanAdd()) {
      report_.AddEntry(u"unended_start_tag", {{u"tagname", Text(r.start + 1, ElementNameEnd(idx))},
                                              {u"offset", XmlReportWriter::Number(r.start)},
                                              {u"offset2", XmlReportWriter::Number(offset2)}});
    }
    Pop();
  }

  // Records are in document order and a parent always comes before its
  // children, so one forward pass gives every moved element the parent it
  // was moved under (the first ancestor that was not itself closed as
  // unended) and every element its final depth.
  void ResolveMovedElements() {
    const uint32_t count = index_.Count();
    for (uint32_t i = 1; i < count; ++i) {
      Record& r = index_[i];
      uint32_t p = r.parent;
      if (p != 0 && (index_[p].levelFlags & kUnended)) r.parent = p = index_[p].parent;
      index_.SetLevel(i, p == 0 ? 0 : index_.Level(p) + 1);
    }
  }

  void MarkCurrentIllData() {
    if (!stack_.empty()) index_[stack_.back().record].levelFlags |= kIllData;
  }

  void LoneEndTag(const XmlToken& k, uint32_t from, uint32_t to) {
    illFormed_ = true;
    MarkCurrentIllData();
    if (report_.CanAdd()) {
      report_.AddEntry(u"lone_end_tag",
                       {{u"tagname", Text(from, to)}, {u"offset", XmlReportWriter::Number(k.start)}});
    }
  }

  void TokenError(const XmlToken& k) {
    illFormed_ = true;
    MarkCurrentIllData();
    if (!report_.CanAdd()) return;
    const std::u16string offset = XmlReportWriter::Number(k.errorOffset);
    switch (k.error) {
      case XmlSyntaxError::FirstTag: report_.AddEntry(u"first_tag_syntax", {{u"offset", offset}}); break;
      case XmlSyntaxError::Exclamation: report_.AddEntry(u"exclamation_tag_syntax", {{u"offset", offset}}); break;
      case XmlSyntaxError::Comment: report_.AddEntry(u"comment_tag_syntax", {{u"offset", offset}}); break;
      case XmlSyntaxError::CData: report_.AddEntry(u"cdata_section_syntax", {{u"offset", offset}}); break;
      case XmlSyntaxError::Doctype: report_.AddEntry(u"doctype_tag_syntax", {{u"offset", offset}}); break;
      case XmlSyntaxError::Unterminated:
        report_.AddEntry(u"unterminated_tag_syntax", {{u"type", UnterminatedName(k.unterminated)}, {u"offset", offset}});
        break;
      case XmlSyntaxError::None: break;
    }
  }

  static std::u16string_view UnterminatedName(XmlUnterminated u) {
    switch (u) {
      case XmlUnterminated::StartTag: return u"start_tag";
      case XmlUnterminated::EndTag: return u"end_tag";
      case XmlUnterminated::CData: return u"cdata_section";
      case XmlUnterminated::Instruction: return u"processing_instruction";
      case XmlUnterminated::Comment: return u"comment";
      case XmlUnterminated::Doctype: return u"document_type";
      case XmlUnterminated::Tag: break;
    }
    return u"tag";
  }

  const char16_t* t_;
  uint32_t n_;
  XmlElementIndex& index_;
  XmlReportWriter& report_;
  bool ignoreCase_;
  bool illFormed_ = false;
  bool anyUnended_ = false;
  bool namesCounted_ = false;
  std::u16string* copyTo_;  // receives the text piece by piece, or null
  uint32_t copied_ = 0;
  std::vector<Open> stack_;  // open elements, innermost last
  uint32_t topLastChild_ = 0;  // last top-level element
  std::vector<NameSlot> slots_;  // open-addressing table, power-of-two size
  size_t slotsUsed_ = 0;
};

}  // namespace

bool XmlParser::Run(std::u16string_view text, XmlElementIndex& index, XmlReportWriter& report, bool ignoreCase,
                    std::u16string* copyTo) {
  if (text.size() >= kMaxTextLength) {
    index.Clear();
    index[0].levelFlags |= kIllFormed;
    report.AddEntry(u"document_too_large", {{u"length", XmlReportWriter::Number(text.size())}});
    return false;
  }
  index.Reset(static_cast<uint32_t>(text.size()));
  return Pass(text, index, report, ignoreCase, copyTo).Run();
}

}  // namespace tembra
