#include "xml/XmlReportWriter.h"

namespace tembra {

void XmlReportWriter::AppendEscaped(std::u16string& out, std::u16string_view text, bool inAttribute) {
  for (char16_t c : text) {
    switch (c) {
      case u'&': out.append(u"&amp;"); break;
      case u'<': out.append(u"&lt;"); break;
      case u'>': out.append(u"&gt;"); break;
      case u'"':
        if (inAttribute) out.append(u"&quot;"); else out.push_back(c);
        break;
      case u'\'':
        if (inAttribute) out.append(u"&apos;"); else out.push_back(c);
        break;
      default: out.push_back(c);
    }
  }
}

void XmlReportWriter::AppendCData(std::u16string& out, std::u16string_view text) {
  out.append(u"<![CDATA[");
  size_t from = 0;
  for (;;) {
    const size_t hit = text.find(u"]]>", from);
    if (hit == std::u16string_view::npos) break;
    out.append(text.substr(from, hit - from));
    out.append(u"]]]]><![CDATA[>");
    from = hit + 3;
  }
  out.append(text.substr(from));
  out.append(u"]]>");
}

std::u16string XmlReportWriter::Number(uint64_t value) {
  char16_t buf[24];
  int n = 0;
  do {
    buf[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value);
  std::u16string s;
  while (n) s.push_back(buf[--n]);
  return s;
}

void XmlReportWriter::BeginElement(std::u16string_view name) {
  out_.push_back(u'<');
  out_.append(name);
}

void XmlReportWriter::WriteAttribute(std::u16string_view name, std::u16string_view value) {
  out_.push_back(u' ');
  out_.append(name);
  out_.append(u"=\"");
  AppendEscaped(out_, value, true);
  out_.push_back(u'"');
}

void XmlReportWriter::AddEntry(std::u16string_view name, std::initializer_list<Attribute> attributes) {
  if (!CanAdd()) return;
  BeginElement(name);
  for (const auto& a : attributes) WriteAttribute(a.first, a.second);
  out_.append(u"/>");
}

void XmlReportWriter::WriteElement(std::u16string_view name, std::initializer_list<Attribute> attributes,
                                   std::u16string_view data, bool asCData) {
  BeginElement(name);
  for (const auto& a : attributes) WriteAttribute(a.first, a.second);
  if (data.empty() && !asCData) {
    out_.append(u"/>");
    return;
  }
  out_.push_back(u'>');
  if (asCData) {
    AppendCData(out_, data);
  } else {
    AppendEscaped(out_, data, false);
  }
  out_.append(u"</");
  out_.append(name);
  out_.push_back(u'>');
}

}  // namespace tembra
