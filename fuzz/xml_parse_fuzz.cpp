// Parses arbitrary text with XmlDocument and walks it at random.
//
// Input: byte 0 chooses the form (bit 0: UTF-16LE units, else UTF-8
// converted; bit 1: names compared ignoring case) and, in its upper six
// bits, how many bytes at the end drive a random walk of the cursors; the
// rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <vector>

#include "platform/Utf.h"
#include "xml/XmlDocument.h"
#include "xml/XmlDocumentTestUtil.h"
#include "xml/XmlElementIndex.h"
#include "xml/XmlMarkupScanner.h"
#include "xml/XmlParser.h"
#include "xml/XmlReportWriter.h"
#include "xml/XmlTokenizer.h"

using tembra::XmlDocument;
using tembra::XmlElementIndex;
using tembra::XmlToken;
using tembra::XmlTokenKind;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Every element the index lists must lie inside the text, start with '<'
// followed by its name, and come in document order.
void CheckIndex(const XmlDocument& doc) {
  const std::u16string& text = doc.DocText();
  uint64_t previous = 0;
  for (size_t i = 1; i <= doc.ElementCount(); ++i) {
    const XmlDocument::ElementInfo e = doc.Element(i);
    Check(e.start < text.size());
    Check(uint64_t(e.start) + e.length <= text.size());
    Check(text[e.start] == u'<');
    Check(!e.name.empty());
    Check(text.compare(e.start + 1, e.name.size(), e.name) == 0);
    Check(i == 1 || e.start > previous);
    Check((e.flags & ~(XmlDocument::kFirstChild | XmlDocument::kUnended | XmlDocument::kIllData)) == 0);
    previous = e.start;
  }
  Check(doc.Element(0).name.empty());
  Check(doc.Element(doc.ElementCount() + 1).name.empty());
}

// Navigation alone must reach every indexed element exactly once, in
// document order.
void CheckTree(XmlDocument& doc) {
  size_t count = 0;
  auto visit = [&] {
    ++count;
    Check(count <= doc.ElementCount());
    Check(doc.Element(count).name == doc.ReadTagName());
    Check(doc.ReadText().size() <= doc.Element(count).length);
  };
  doc.ResetPos();
  if (doc.FindSibling()) {
    visit();
    for (;;) {
      if (doc.FindChild()) {
        Check(doc.EnterChild());
        visit();
        continue;
      }
      if (doc.LeaveToParent()) continue;
      if (!doc.FindSibling()) break;
      visit();
    }
  }
  Check(count == doc.ElementCount());
}

// The report is itself markup that parses cleanly, and it stops growing
// once it holds more than 999 characters.
void CheckReport(const XmlDocument& doc, bool wellFormed) {
  const std::u16string& report = doc.ResultReport();
  Check(report.empty() ? wellFormed : true);
  if (report.empty()) return;
  Check(report.rfind(u'<') <= 999);
  XmlDocument parsed(u"<report>" + report + u"</report>");
  Check(parsed.IsWellFormed());
  Check(parsed.ResultReport().empty());
}

bool SameToken(const XmlToken& a, const XmlToken& b) {
  return a.kind == b.kind && a.error == b.error && a.unterminated == b.unterminated &&
         a.emptyElement == b.emptyElement && a.start == b.start && a.end == b.end && a.errorOffset == b.errorOffset;
}

// The parse pass's fast markup scanner must cut the tokenizer's tokens.
void CheckScanner(const std::u16string& text) {
  const auto n = static_cast<uint32_t>(text.size());
  const tembra::XmlTokenizer tok(text.data(), n);
  tembra::XmlMarkupScanner scan(text.data(), n);
  uint32_t pos = 0;
  uint32_t scanPos = 0;
  for (;;) {
    XmlToken k = tok.Next(pos);
    while (k.kind == XmlTokenKind::Text || k.kind == XmlTokenKind::Whitespace) k = tok.Next(k.end);
    const XmlToken s = scan.NextMarkup(scanPos);
    Check(SameToken(k, s) || (k.kind == XmlTokenKind::End && s.kind == XmlTokenKind::End));
    if (k.kind == XmlTokenKind::End) break;
    Check(k.end > k.start);
    pos = scanPos = k.end;
  }
}

// Every record is reached once from record 0, in document order, with
// consistent parent, sibling, flag and level fields, inside its parent.
void CheckLinks(const std::u16string& text, bool ignoreCase) {
  XmlElementIndex ix;
  std::u16string report;
  tembra::XmlReportWriter writer(report);
  tembra::XmlParser::Run(text, ix, writer, ignoreCase);
  Check(tembra::xmltest::IndexLinkProblem(ix).empty());
}

void Walk(XmlDocument& doc, const uint8_t* ops, size_t n) {
  doc.ResetPos();
  const size_t count = doc.ElementCount();
  for (size_t i = 0; i < n; ++i) {
    const uint8_t op = ops[i];
    std::u16string name;
    if (count != 0 && (op & 0x80)) name = doc.Element(1 + (op * 7919u) % count).name;
    switch (op % 11) {
      case 0: doc.FindSibling(name); break;
      case 1: doc.FindChild(name); break;
      case 2: doc.EnterChild(); break;
      case 3: doc.LeaveToParent(); break;
      case 4: (void)doc.ReadText(); break;
      case 5: (void)doc.ReadChildText(); break;
      case 6: (void)doc.ReadAttribute(name.empty() ? u"id" : name); break;
      case 7: (void)doc.ReadChildAttribute(name.empty() ? u"name" : name); break;
      case 8: (void)doc.ReadTagName(); (void)doc.ReadChildTagName(); break;
      case 9: doc.ResetPos(); break;
      default: doc.FindSibling(); doc.FindChild(); break;
    }
    // A main element exists exactly when its tag name can be read.
    if (!doc.ReadTagName().empty()) Check(doc.ReadText().size() <= doc.DocText().size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  size_t walk = mode >> 2;
  const uint8_t* body = data + 1;
  size_t bodySize = size - 1;
  if (walk > bodySize) walk = bodySize;
  bodySize -= walk;
  const uint8_t* ops = body + bodySize;

  std::u16string text;
  if (mode & 1) {
    text.resize(bodySize / 2);
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(body[2 * i] | (body[2 * i + 1] << 8));
  } else {
    text = tembra::fromUtf8(std::string_view(reinterpret_cast<const char*>(body), bodySize));
  }

  XmlDocument doc;
  if (mode & 2) doc.SetDocFlags(XmlDocument::kIgnoreCase);
  const bool wellFormed = doc.Parse(text);
  Check(wellFormed == doc.IsWellFormed());
  Check(doc.DocText() == text);
  CheckScanner(text);
  CheckLinks(text, (mode & 2) != 0);
  CheckIndex(doc);
  CheckReport(doc, wellFormed);
  CheckTree(doc);
  Walk(doc, ops, walk);
  return 0;
}
