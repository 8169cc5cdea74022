#pragma once
// Helpers shared by the XmlDocument tests: UTF-8 views of the document's
// texts for readable assertions, and walks of the element tree that use
// nothing but the public navigation operations.
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "xml/XmlDocument.h"
#include "xml/XmlElementIndex.h"

namespace tembra::xmltest {

inline std::string U8(const std::u16string& s) { return toUtf8(s); }
inline std::u16string U16(const std::string& s) { return fromUtf8(s); }

inline std::string Report(const XmlDocument& doc) { return toUtf8(doc.ResultReport()); }

// Number of report entries.
inline size_t EntryCount(const XmlDocument& doc) {
  size_t n = 0;
  for (char16_t c : doc.ResultReport()) n += c == u'<';
  return n;
}

// Outline of the tree as "a(b,c(d)) e": children in brackets, top-level
// elements separated by spaces. Iterative, so deep trees are fine.
inline std::string Outline(XmlDocument& doc) {
  std::string out;
  doc.ResetPos();
  if (!doc.FindSibling()) return out;
  out += U8(doc.ReadTagName());
  std::vector<bool> hadChild{false};
  for (;;) {
    if (doc.FindChild()) {
      out += hadChild.back() ? "," : "(";
      hadChild.back() = true;
      doc.EnterChild();
      out += U8(doc.ReadTagName());
      hadChild.push_back(false);
      continue;
    }
    if (hadChild.back()) out += ")";
    hadChild.pop_back();
    if (doc.LeaveToParent()) continue;
    if (!doc.FindSibling()) break;
    out += " " + U8(doc.ReadTagName());
    hadChild.push_back(false);
  }
  return out;
}

// Visits every element reachable by navigation in pre-order and returns
// how many there were; also checks each against the index listing, which
// is in document order too.
inline size_t WalkAndCompare(XmlDocument& doc, size_t* mismatches) {
  size_t count = 0;
  *mismatches = 0;
  auto visit = [&] {
    ++count;
    if (count > doc.ElementCount() || doc.Element(count).name != doc.ReadTagName()) ++*mismatches;
  };
  doc.ResetPos();
  if (!doc.FindSibling()) return 0;
  visit();
  for (;;) {
    if (doc.FindChild()) {
      doc.EnterChild();
      visit();
      continue;
    }
    if (doc.LeaveToParent()) continue;
    if (!doc.FindSibling()) break;
    visit();
  }
  return count;
}

// The first broken link of an index, or "" when every record is reached
// exactly once from record 0 through firstChild and nextSibling, in
// document order, with matching parent, prevSibling (the last child for a
// first child), first-child flag, level and position inside its parent.
inline std::string IndexLinkProblem(const XmlElementIndex& ix) {
  const uint32_t n = ix.Count();
  std::vector<bool> seen(n, false);
  auto at = [](const char* what, uint32_t i) { return std::string(what) + " at " + std::to_string(i); };
  for (uint32_t p = 0; p < n; ++p) {
    const uint32_t first = ix[p].firstChild;
    if (first == 0) continue;
    const uint64_t from = p == 0 ? 0 : uint64_t(ix[p].start) + ix.StartTagLength(p);
    const uint64_t to = uint64_t(ix[p].start) + ix[p].length - (p == 0 ? 0 : ix.EndTagLength(p));
    uint32_t prev = 0;
    for (uint32_t c = first; c != 0; c = ix[c].nextSibling) {
      if (c >= n || c <= p || seen[c]) return at("child list broken", p);
      seen[c] = true;
      if (ix[c].parent != p) return at("wrong parent", c);
      if (((ix.Flags(c) & XmlDocument::kFirstChild) != 0) != (c == first)) return at("first-child flag", c);
      if (c != first && (ix[c].prevSibling != prev || c <= prev)) return at("prevSibling or order", c);
      if (ix.Level(c) != (p == 0 ? 0 : ix.Level(p) + 1)) return at("level", c);
      if (ix[c].start < from || uint64_t(ix[c].start) + ix[c].length > to) return at("outside its parent", c);
      prev = c;
    }
    if (ix[first].prevSibling != prev) return at("first child's prevSibling is not the last child", p);
  }
  for (uint32_t i = 1; i < n; ++i) {
    if (!seen[i]) return at("unreachable record", i);
  }
  return "";
}

}  // namespace tembra::xmltest
