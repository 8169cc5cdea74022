#include "skin/SkinLayoutParser.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Utf.h"
#include "xml/XmlDocument.h"
#include "xml/XmlScan.h"

namespace tembra {

namespace {

std::string joinPath(const std::string& folder, const std::string& file) {
  if (folder.empty()) return file;
  if (folder.back() == '/') return folder + file;
  return folder + "/" + file;
}

std::string quote(std::u16string_view s) { return "'" + toUtf8(s) + "'"; }

// Names of the attributes written in the start tag at `start`, in order.
// Follows the document's own attribute grammar (name, optional "=" and a
// quoted or bare value) so that every name listed is one ReadAttribute finds.
std::vector<std::u16string> attributeNames(const std::u16string& text, uint32_t start) {
  std::vector<std::u16string> names;
  size_t p = start + 1;
  const size_t n = text.size();
  while (p < n && !xmlscan::EndsStartName(text[p])) ++p;
  while (p < n) {
    while (p < n && (text[p] <= 0x20 || text[p] == u'/')) ++p;
    if (p >= n || text[p] == u'>' || text[p] == u'<') break;
    const size_t nameStart = p;
    while (p < n && !xmlscan::EndsStartName(text[p]) && text[p] != u'<') ++p;
    if (p > nameStart) names.emplace_back(text, nameStart, p - nameStart);
    while (p < n && text[p] <= 0x20) ++p;
    if (p < n && text[p] == u'=') {
      ++p;
      while (p < n && text[p] <= 0x20) ++p;
      if (p < n && (text[p] == u'"' || text[p] == u'\'')) {
        const char16_t q = text[p];
        const size_t close = text.find(q, p + 1);
        p = close == std::u16string::npos ? n : close + 1;
      } else {
        while (p < n && text[p] > 0x20 && text[p] != u'>') ++p;
      }
    } else if (p == nameStart) {
      ++p;
    }
  }
  return names;
}

}  // namespace

void SkinLayoutParser::problemAt(const std::string& file, const std::u16string& text, uint32_t offset,
                                 std::string message) {
  SkinProblem p;
  p.file = file;
  p.offset = offset;
  p.line = 1;
  p.column = 1;
  const size_t end = std::min<size_t>(offset, text.size());
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == u'\n') {
      ++p.line;
      p.column = 1;
    } else {
      ++p.column;
    }
  }
  p.message = std::move(message);
  out_.problems_.push_back(std::move(p));
}

void SkinLayoutParser::problem(const Source& src, uint32_t offset, std::string message) {
  problemAt(src.file, src.doc->DocText(), offset, std::move(message));
}

bool SkinLayoutParser::loadDocument(XmlDocument& doc, const std::string& fileName) {
  const std::string path = joinPath(folder_, fileName);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    out_.problems_.push_back({fileName, 0, 0, 0, "cannot read the layout file " + path});
    return false;
  }
  doc.LoadFile(path);
  if (doc.ResultReport().find(u"<file_error") != std::u16string::npos) {
    out_.problems_.push_back({fileName, 0, 0, 0, "cannot read the layout file " + path});
    return false;
  }
  return true;
}

// The document's result report is itself XML: one empty element per
// problem, with its details as attributes.
void SkinLayoutParser::reportXml(const XmlDocument& doc, const std::string& file) {
  XmlDocument report(u"<r>" + doc.ResultReport() + u"</r>");
  report.ResetPos();
  if (!report.FindSibling()) return;
  while (report.FindChild()) {
    std::u16string name = report.ReadChildTagName();
    std::string message = "XML: " + toUtf8(name);
    uint32_t offset = 0;
    for (const char16_t* attr : {u"tagname", u"type", u"offset", u"length", u"count", u"encoding"}) {
      std::u16string v = report.ReadChildAttribute(attr);
      if (v.empty()) continue;
      message += " " + toUtf8(attr) + "=" + toUtf8(v);
      if (std::u16string_view(attr) == u"offset") {
        offset = 0;
        for (char16_t c : v) {
          if (c < u'0' || c > u'9' || offset > 100000000) break;
          offset = offset * 10 + (c - u'0');
        }
      }
    }
    problemAt(file, doc.DocText(), offset, message);
  }
}

void SkinLayoutParser::parseFile(const std::string& fileName) {
  out_.fileName_ = fileName;
  XmlDocument doc;
  if (!loadDocument(doc, fileName)) return;
  includeStack_.push_back(fileName);
  readDocument(doc, fileName, true, nullptr);
}

void SkinLayoutParser::parseText(std::u16string_view text, const std::string& fileName) {
  out_.fileName_ = fileName;
  XmlDocument doc;
  doc.Parse(text);
  includeStack_.push_back(fileName);
  readDocument(doc, fileName, true, nullptr);
}

void SkinLayoutParser::readDocument(XmlDocument& doc, const std::string& fileName, bool isRoot, SkinNode* into) {
  bool wellFormed = doc.IsWellFormed();
  if (!wellFormed) reportXml(doc, fileName);
  Source src{&doc, fileName, 1};
  // The parse is tolerant: a file cut short still yields elements, marked
  // as never ended. A window built from half a file would be missing
  // controls without saying so, so such a file is not usable.
  int unended = 0;
  for (size_t i = 1; i <= doc.ElementCount(); ++i) {
    const XmlDocument::ElementInfo e = doc.Element(i);
    if ((e.flags & XmlDocument::kUnended) == 0) continue;
    wellFormed = false;
    if (++unended <= 5) problem(src, e.start, "element " + quote(e.name) + " is never closed");
  }
  doc.ResetPos();
  if (!doc.FindSibling()) {
    if (wellFormed) problem(src, 0, "no root element");
    return;
  }
  const std::u16string tag = doc.ReadTagName();
  if (isRoot) {
    if (tag != u"Window") {
      problem(src, doc.Element(1).start, "the root element is " + quote(tag) + ", not 'Window'");
      return;
    }
    out_.root_.kind = SkinControlKind::Window;
    const bool built = element(doc, src, out_.root_, 0);
    out_.ok_ = built && wellFormed;
    return;
  }
  SkinNode node;
  if (element(doc, src, node, static_cast<int>(includeStack_.size()))) {
    if (node.kind == SkinControlKind::Window) {
      problem(src, node.offset, "an included file cannot hold a Window");
    } else {
      into->children.push_back(std::move(node));
    }
  }
  if (!wellFormed) out_.ok_ = false;
}

void SkinLayoutParser::skipSubtree(Source& src, uint32_t level) {
  const size_t count = src.doc->ElementCount();
  while (src.next <= count && src.doc->Element(src.next).level > level) ++src.next;
}

bool SkinLayoutParser::element(XmlDocument& doc, Source& src, SkinNode& node, int depth) {
  const std::u16string tag = doc.ReadTagName();
  XmlDocument::ElementInfo info = doc.Element(src.next);
  if (info.name != tag) info = {};  // navigation and index disagree: no offset
  ++src.next;
  node.file = src.file;
  node.offset = info.start;
  const SkinControlType* type = SkinSchema::find(tag);
  if (type == nullptr) {
    problem(src, info.start, "unknown control type " + quote(tag) + " (skipped with its contents)");
    skipSubtree(src, info.level);
    return false;
  }
  if (depth >= SkinLayout::kMaxDepth) {
    problem(src, info.start, "controls nested deeper than " + std::to_string(SkinLayout::kMaxDepth) + " levels (skipped)");
    skipSubtree(src, info.level);
    return false;
  }
  if (type->kind == SkinControlKind::Window && depth > 0) {
    problem(src, info.start, "a Window can only be the root element (skipped)");
    skipSubtree(src, info.level);
    return false;
  }
  node.kind = type->kind;
  readAttributes(doc, src, node, info.start);
  children(doc, src, node, depth);
  return true;
}

void SkinLayoutParser::readAttributes(XmlDocument& doc, const Source& src, SkinNode& node, uint32_t start) {
  const bool haveOffset = start < doc.DocText().size() && doc.DocText()[start] == u'<';
  if (!haveOffset) return;
  for (const std::u16string& name : attributeNames(doc.DocText(), start)) {
    auto kind = SkinSchema::attribute(node.kind, name);
    if (!kind) {
      problem(src, start, "unknown attribute " + quote(name) + " of " + toUtf8(node.type().tag));
      continue;
    }
    const std::u16string raw = doc.ReadAttribute(name);
    auto value = parseSkinValue(*kind, raw);
    if (!value) {
      problem(src, start,
              "bad value " + quote(raw) + " of " + quote(name) + ": expected " + skinAttrKindName(*kind));
      continue;
    }
    node.attributes.insert_or_assign(name, std::move(*value));
  }
}

void SkinLayoutParser::children(XmlDocument& doc, Source& src, SkinNode& node, int depth) {
  while (doc.FindChild()) {
    const std::u16string tag = doc.ReadChildTagName();
    doc.EnterChild();
    const uint32_t offset = src.next <= doc.ElementCount() ? doc.Element(src.next).start : 0;
    if (tag == u"Font" && node.kind == SkinControlKind::Window) {
      font(doc, src, offset);
    } else if (tag == u"Include") {
      include(doc, src, node, offset);
    } else if (!node.type().container) {
      problem(src, offset, toUtf8(node.type().tag) + " cannot hold controls; " + quote(tag) + " skipped");
      const uint32_t level = doc.Element(src.next).level;
      ++src.next;
      skipSubtree(src, level);
    } else {
      SkinNode child;
      if (element(doc, src, child, depth + 1)) node.children.push_back(std::move(child));
    }
    doc.LeaveToParent();
  }
}

void SkinLayoutParser::font(XmlDocument& doc, Source& src, uint32_t offset) {
  const uint32_t level = doc.Element(src.next).level;
  ++src.next;
  SkinFont f;
  for (const std::u16string& name : attributeNames(doc.DocText(), offset)) {
    auto kind = SkinSchema::fontAttribute(name);
    if (!kind) {
      problem(src, offset, "unknown attribute " + quote(name) + " of Font");
      continue;
    }
    const std::u16string raw = doc.ReadAttribute(name);
    auto v = parseSkinValue(*kind, raw);
    if (!v) {
      problem(src, offset, "bad value " + quote(raw) + " of " + quote(name) + ": expected " + skinAttrKindName(*kind));
      continue;
    }
    if (name == u"id") f.id = v->number;
    else if (name == u"name") f.face = v->text;
    else if (name == u"size") f.size = std::clamp(v->number, 1, 200);
    else if (name == u"bold") f.bold = v->number != 0;
    else if (name == u"italic") f.italic = v->number != 0;
    else if (name == u"underline") f.underline = v->number != 0;
    else if (name == u"default") f.isDefault = v->number != 0;
  }
  skipSubtree(src, level);
  for (const SkinFont& other : out_.fonts_) {
    if (other.id == f.id) {
      problem(src, offset, "font id " + std::to_string(f.id) + " defined twice (the first one is used)");
      return;
    }
  }
  out_.fonts_.push_back(std::move(f));
}

void SkinLayoutParser::include(XmlDocument& doc, Source& src, SkinNode& parent, uint32_t offset) {
  const uint32_t level = doc.Element(src.next).level;
  ++src.next;
  skipSubtree(src, level);
  const std::u16string source = doc.ReadAttribute(u"source");
  auto name = parseSkinValue(SkinAttrKind::Image, source);  // same rule: a plain file of the folder
  if (!name) {
    problem(src, offset, "Include needs source=\"File.xml\" naming a file of the skin folder");
    return;
  }
  if (!parent.type().container) {
    problem(src, offset, toUtf8(parent.type().tag) + " cannot hold controls; Include skipped");
    return;
  }
  const std::string file = toUtf8(name->text);
  if (std::find(includeStack_.begin(), includeStack_.end(), file) != includeStack_.end()) {
    problem(src, offset, "Include of " + file + " includes itself (skipped)");
    return;
  }
  if (static_cast<int>(includeStack_.size()) > SkinLayout::kMaxIncludeDepth) {
    problem(src, offset, "Includes nested deeper than " + std::to_string(SkinLayout::kMaxIncludeDepth));
    return;
  }
  XmlDocument inner;
  if (!loadDocument(inner, file)) return;
  includeStack_.push_back(file);
  readDocument(inner, file, false, &parent);
  includeStack_.pop_back();
}

}  // namespace tembra
