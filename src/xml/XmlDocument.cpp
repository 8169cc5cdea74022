#include "xml/XmlDocument.h"

#include <new>

#include "xml/XmlElementIndex.h"
#include "xml/XmlEntities.h"
#include "xml/XmlFileDecoder.h"
#include "xml/MemoryAdvice.h"
#include "xml/XmlParser.h"
#include "xml/XmlReportWriter.h"
#include "xml/XmlScan.h"
#include "xml/XmlTokenizer.h"

namespace tembra {

using namespace xmlscan;

struct XmlDocument::Impl {
  std::u16string docText;
  std::u16string resultText;
  uint32_t parentPos = 0;
  uint32_t mainPos = 0;
  uint32_t childPos = 0;
  uint32_t nodeType = 0;  // 1 while mainPos is an element, else 0
  uint32_t docFlags = 0;
  bool parsed = false;
  XmlElementIndex index;

  bool Streaming() const { return (docFlags & (kReadFile | kWriteFile)) != 0; }
  bool IgnoreCase() const { return (docFlags & kIgnoreCase) != 0; }

  void ResetCursors() {
    parentPos = mainPos = childPos = 0;
    nodeType = 0;
  }

  // Parses docText, keeping what the report already holds.
  bool Index(XmlReportWriter& report) {
    parsed = true;
    return XmlParser::Run(docText, index, report, IgnoreCase());
  }

  // The document is left empty and ill-formed, with one report entry.
  void Fail(std::u16string_view entry, std::u16string_view attribute = {}, std::u16string_view value = {}) {
    docText = std::u16string();
    resultText = std::u16string();
    ResetCursors();
    parsed = true;
    try {
      index.Clear();
      index[0].levelFlags |= kIllFormed;
      XmlReportWriter report(resultText);
      if (attribute.empty()) report.AddEntry(entry);
      else report.AddEntry(entry, {{attribute, value}});
    } catch (const std::bad_alloc&) {
    }
  }

  void OutOfMemory() { Fail(u"out_of_memory"); }

  bool TooLarge(size_t length) {
    if (length < XmlParser::kMaxTextLength) return false;
    Fail(u"document_too_large", u"length", XmlReportWriter::Number(length));
    return true;
  }

  uint32_t NameEnd(uint32_t i) const {
    const uint32_t n = static_cast<uint32_t>(docText.size());
    uint32_t p = index[i].start + 1;
    while (p < n && !EndsStartName(docText[p])) ++p;
    return p;
  }

  std::u16string_view TagName(uint32_t i) const {
    const uint32_t from = index[i].start + 1;
    return std::u16string_view(docText).substr(from, NameEnd(i) - from);
  }

  bool SameName(std::u16string_view a, std::u16string_view b) const {
    return xmlscan::SameName(a, b, IgnoreCase());
  }

  uint32_t FindFrom(uint32_t candidate, std::u16string_view name) const {
    for (; candidate != 0; candidate = index[candidate].nextSibling) {
      if (name.empty() || SameName(TagName(candidate), name)) return candidate;
    }
    return 0;
  }

  std::u16string Data(uint32_t i) const;
  std::u16string Attribute(uint32_t i, std::u16string_view name) const;
};

// Element data: empty for an empty element or one with child elements;
// otherwise the content with references decoded, where CDATA sections give
// their inner text unchanged and whitespace-only runs, comments and
// processing instructions give nothing.
std::u16string XmlDocument::Impl::Data(uint32_t i) const {
  if (i == 0) return {};
  const XmlElementIndex::Record& r = index[i];
  const uint32_t startTag = index.StartTagLength(i);
  if (r.length <= startTag || r.firstChild != 0) return {};
  const uint32_t from = r.start + startTag;
  const uint32_t to = r.start + r.length - index.EndTagLength(i);
  if (from >= to) return {};
  const char16_t* t = docText.data();
  std::u16string out;
  if (FindChar(t + from, t + to, u'<') == t + to) {
    XmlEntities::DecodeAppend(std::u16string_view(t + from, to - from), out);
    return out;
  }
  const XmlTokenizer tok(t, to);
  for (uint32_t pos = from; pos < to;) {
    const XmlToken k = tok.Next(pos);
    if (k.end <= pos) break;
    const std::u16string_view text(t + k.start, k.end - k.start);
    switch (k.kind) {
      case XmlTokenKind::Text: XmlEntities::DecodeAppend(text, out); break;
      case XmlTokenKind::CData: {
        const uint32_t innerEnd = k.end - 3;
        const uint32_t innerStart = k.start + 9 < innerEnd ? k.start + 9 : innerEnd;
        out.append(t + innerStart, t + innerEnd);
        break;
      }
      case XmlTokenKind::Error: out.append(text); break;
      default: break;
    }
    pos = k.end;
  }
  return out;
}

// The attribute area runs from after the tag name to the tag's closing ">"
// (or "/>").
std::u16string XmlDocument::Impl::Attribute(uint32_t i, std::u16string_view name) const {
  if (i == 0 || name.empty()) return {};
  const XmlElementIndex::Record& r = index[i];
  const char16_t* t = docText.data();
  uint32_t end = r.start + index.StartTagLength(i);
  if (end > r.start && t[end - 1] == u'>') --end;
  if (end > r.start + 1 && t[end - 1] == u'/') --end;
  const uint32_t from = NameEnd(i);
  if (from >= end) return {};
  auto value = xmlscan::FindAttribute(std::u16string_view(t + from, end - from), name, IgnoreCase());
  return value ? XmlEntities::Decode(*value) : std::u16string();
}

XmlDocument::XmlDocument() : impl_(std::make_unique<Impl>()) {}

XmlDocument::XmlDocument(std::u16string_view text) : XmlDocument() { Parse(text); }

XmlDocument::~XmlDocument() = default;

bool XmlDocument::Parse(std::u16string_view text) {
  Impl& d = *impl_;
  if (d.Streaming()) return false;
  d.ResetCursors();
  try {
    if (d.TooLarge(text.size())) return false;
    d.resultText.clear();
    XmlReportWriter report(d.resultText);
    const char16_t* own = d.docText.data();
    if (text.data() >= own && text.data() < own + d.docText.size()) {
      std::u16string copy(text);
      d.docText.swap(copy);
      return d.Index(report);
    }
    const size_t room = d.docText.capacity();
    if (text.size() > room || room > 2 * text.size() + (1u << 20)) {
      d.docText = std::u16string();
      d.docText.reserve(text.size());
      MemoryAdvice::PreferHugePages(d.docText.data(), text.size() * sizeof(char16_t));
    }
    d.docText.clear();
    d.parsed = true;
    return XmlParser::Run(text, d.index, report, d.IgnoreCase(), &d.docText);
  } catch (const std::bad_alloc&) {
    d.OutOfMemory();
    return false;
  }
}

bool XmlDocument::LoadFile(const std::string& path) {
  Impl& d = *impl_;
  if (d.Streaming()) return false;
  d.ResetCursors();
  try {
    DecodedXmlFile file = XmlFileDecoder::Decode(path);
    if (d.TooLarge(file.text.size())) return false;
    d.resultText.clear();
    XmlReportWriter report(d.resultText);
    for (const XmlResultEntry& e : file.entries) report.AddEntryRange(e.name, e.attributes);
    if (!file.readOk) {
      d.docText.clear();
      d.index.Clear();
      d.index[0].levelFlags |= kIllFormed;
      d.parsed = true;
      return false;
    }
    d.docText = std::move(file.text);
    return d.Index(report);
  } catch (const std::bad_alloc&) {
    d.OutOfMemory();
    return false;
  }
}

void XmlDocument::SetDocFlags(uint32_t flags) { impl_->docFlags = flags; }

uint32_t XmlDocument::GetDocFlags() const { return impl_->docFlags; }

void XmlDocument::ResetPos() { impl_->ResetCursors(); }

bool XmlDocument::FindSibling(std::u16string_view name) {
  Impl& d = *impl_;
  if (d.Streaming() || !d.parsed) return false;
  const uint32_t first = d.mainPos != 0 ? d.index[d.mainPos].nextSibling : d.index[d.parentPos].firstChild;
  const uint32_t found = d.FindFrom(first, name);
  if (found == 0) return false;
  d.mainPos = found;
  d.childPos = 0;
  d.nodeType = 1;
  return true;
}

bool XmlDocument::FindChild(std::u16string_view name) {
  Impl& d = *impl_;
  if (d.Streaming() || !d.parsed) return false;
  if (d.mainPos == 0 && !FindSibling()) return false;
  const uint32_t first = d.childPos != 0 ? d.index[d.childPos].nextSibling : d.index[d.mainPos].firstChild;
  const uint32_t found = d.FindFrom(first, name);
  if (found == 0) return false;
  d.childPos = found;
  return true;
}

bool XmlDocument::EnterChild() {
  Impl& d = *impl_;
  if (d.Streaming() || d.nodeType != 1) return false;
  d.parentPos = d.mainPos;
  d.mainPos = d.childPos;
  d.childPos = 0;
  d.nodeType = d.mainPos != 0 ? 1 : 0;
  return true;
}

bool XmlDocument::LeaveToParent() {
  Impl& d = *impl_;
  if (d.Streaming() || d.parentPos == 0) return false;
  d.childPos = d.mainPos;
  d.mainPos = d.parentPos;
  d.parentPos = d.index[d.mainPos].parent;
  d.nodeType = 1;
  return true;
}

std::u16string XmlDocument::ReadText() const {
  return impl_->nodeType == 1 ? impl_->Data(impl_->mainPos) : std::u16string();
}

std::u16string XmlDocument::ReadChildText() const { return impl_->Data(impl_->childPos); }

std::u16string XmlDocument::ReadAttribute(std::u16string_view name) const {
  return impl_->nodeType == 1 ? impl_->Attribute(impl_->mainPos, name) : std::u16string();
}

std::u16string XmlDocument::ReadChildAttribute(std::u16string_view name) const {
  return impl_->Attribute(impl_->childPos, name);
}

std::u16string XmlDocument::ReadTagName() const {
  const Impl& d = *impl_;
  return d.nodeType == 1 && d.mainPos != 0 ? std::u16string(d.TagName(d.mainPos)) : std::u16string();
}

std::u16string XmlDocument::ReadChildTagName() const {
  const Impl& d = *impl_;
  return d.childPos != 0 ? std::u16string(d.TagName(d.childPos)) : std::u16string();
}

const std::u16string& XmlDocument::ResultReport() const { return impl_->resultText; }

const std::u16string& XmlDocument::DocText() const { return impl_->docText; }

bool XmlDocument::IsWellFormed() const {
  return impl_->parsed && (impl_->index[0].levelFlags & kIllFormed) == 0;
}

size_t XmlDocument::ElementCount() const { return impl_->index.Count() - 1; }

XmlDocument::ElementInfo XmlDocument::Element(size_t index) const {
  const Impl& d = *impl_;
  ElementInfo info;
  if (index == 0 || index >= d.index.Count()) return info;
  const auto i = static_cast<uint32_t>(index);
  info.level = d.index.Level(i);
  info.name = std::u16string(d.TagName(i));
  info.start = d.index[i].start;
  info.length = d.index[i].length;
  info.flags = d.index.Flags(i) & (kFirstChild | kUnended | kIllData);
  return info;
}

}  // namespace tembra
