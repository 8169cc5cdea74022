#include "xml/DeclaredEncoding.h"

#include <algorithm>
#include <cstdint>

#include "xml/Utf8Text.h"
#include "xml/XmlScan.h"
#include "xml/XmlTokenizer.h"

namespace tembra {

namespace {

using xmlscan::FindAttribute;
using xmlscan::IsSpace;
using xmlscan::NameLength;

bool sameIgnoringCase(std::u16string_view a, std::u16string_view b) { return xmlscan::SameName(a, b, true); }

// "text/html; charset=windows-1251" -> "windows-1251".
std::u16string charsetOf(std::u16string_view content) {
  static constexpr std::u16string_view kWord = u"charset";
  for (size_t i = 0; i + kWord.size() <= content.size(); ++i) {
    if (!sameIgnoringCase(content.substr(i, kWord.size()), kWord)) continue;
    size_t j = i + kWord.size();
    while (j < content.size() && IsSpace(content[j])) ++j;
    if (j >= content.size() || content[j] != '=') continue;
    ++j;
    while (j < content.size() && IsSpace(content[j])) ++j;
    if (j < content.size() && (content[j] == '"' || content[j] == '\'')) ++j;
    size_t b = j;
    while (j < content.size() && !IsSpace(content[j]) && content[j] != ';' && content[j] != '"' &&
           content[j] != '\'')
      ++j;
    return std::u16string(content.substr(b, j - b));
  }
  return {};
}

}  // namespace

std::u16string DeclaredEncoding::Find(std::string_view leadingBytes) {
  std::u16string text;
  Utf8Text::Decode(leadingBytes.substr(0, kScanBytes), text);
  return FindInText(text);
}

// The head of the document is tokenized as the document itself would be,
// with names compared ignoring case. An XML declaration must be the very
// first node; otherwise the first start tag must be html, and Content-Type
// meta tags are read until the end tag of head, the end of the text or a
// token error (a cut-off tag at the end of the scanned bytes is one).
std::u16string DeclaredEncoding::FindInText(std::u16string_view text) {
  const uint32_t n = static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
  const XmlTokenizer tokenizer(text.data(), n);
  bool sawStartTag = false;
  for (uint32_t pos = 0; pos < n;) {
    const XmlToken tok = tokenizer.Next(pos);
    if (tok.kind == XmlTokenKind::Error || tok.end <= pos) return {};
    const std::u16string_view markup = text.substr(tok.start, tok.end - tok.start);
    const bool first = pos == 0;
    pos = tok.end;
    if (first && tok.kind == XmlTokenKind::Instruction && markup.size() >= 4) {
      const std::u16string_view rest = markup.substr(2, markup.size() - 4);  // inside "<?" and "?>"
      const size_t targetLength = NameLength(rest, u'?');
      if (sameIgnoringCase(rest.substr(0, targetLength), u"xml")) {
        auto encoding = FindAttribute(rest.substr(targetLength), u"encoding", true);
        return encoding ? std::u16string(*encoding) : std::u16string();
      }
      continue;
    }
    if (tok.kind == XmlTokenKind::EndTag) {
      const std::u16string_view name = markup.substr(2);
      size_t length = 0;
      while (length < name.size() && !xmlscan::EndsEndName(name[length])) ++length;
      if (sameIgnoringCase(name.substr(0, length), u"head")) return {};
      continue;
    }
    if (tok.kind != XmlTokenKind::StartTag) continue;
    const std::u16string_view inside = markup.substr(1, markup.size() - (tok.emptyElement ? 3 : 2));
    const size_t nameLength = NameLength(inside);
    const std::u16string_view name = inside.substr(0, nameLength);
    if (!sawStartTag) {
      if (!sameIgnoringCase(name, u"html")) return {};
      sawStartTag = true;
      continue;
    }
    if (!sameIgnoringCase(name, u"meta")) continue;
    const std::u16string_view attributes = inside.substr(nameLength);
    auto equiv = FindAttribute(attributes, u"http-equiv", true);
    if (!equiv || !sameIgnoringCase(*equiv, u"Content-Type")) continue;
    auto content = FindAttribute(attributes, u"content", true);
    if (!content) continue;
    std::u16string charset = charsetOf(*content);
    if (!charset.empty()) return charset;
  }
  return {};
}

}  // namespace tembra
