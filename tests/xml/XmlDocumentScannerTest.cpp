// The parse pass finds markup with bit masks over 64-character blocks; it
// must cut exactly the tokens the tokenizer cuts, wherever a block
// boundary falls. Also checks the links of the index the pass builds.
#include <gtest/gtest.h>

#include <random>

#include "xml/XmlDocumentTestUtil.h"
#include "xml/XmlElementIndex.h"
#include "xml/XmlMarkupScanner.h"
#include "xml/XmlParser.h"
#include "xml/XmlReportWriter.h"
#include "xml/XmlTokenizer.h"

namespace tembra {
namespace {

using xmltest::IndexLinkProblem;
using xmltest::U8;

std::string Describe(const XmlToken& k) {
  return std::to_string(static_cast<int>(k.kind)) + "/" + std::to_string(static_cast<int>(k.error)) + "/" +
         std::to_string(static_cast<int>(k.unterminated)) + "/" + std::to_string(k.emptyElement) + " " +
         std::to_string(k.start) + "-" + std::to_string(k.end) + "@" + std::to_string(k.errorOffset);
}

std::vector<std::string> ByTokenizer(const std::u16string& text) {
  std::vector<std::string> out;
  const XmlTokenizer tok(text.data(), static_cast<uint32_t>(text.size()));
  for (uint32_t pos = 0;;) {
    const XmlToken k = tok.Next(pos);
    if (k.kind == XmlTokenKind::End) break;
    if (k.kind != XmlTokenKind::Text && k.kind != XmlTokenKind::Whitespace) out.push_back(Describe(k));
    pos = k.end;
  }
  return out;
}

std::vector<std::string> ByScanner(const std::u16string& text) {
  std::vector<std::string> out;
  XmlMarkupScanner scan(text.data(), static_cast<uint32_t>(text.size()));
  for (uint32_t pos = 0;;) {
    const XmlToken k = scan.NextMarkup(pos);
    if (k.kind == XmlTokenKind::End) break;
    out.push_back(Describe(k));
    pos = k.end;
  }
  return out;
}

// Documents assembled from pieces that stress the stops the masks track:
// quotes of both kinds, '>' inside quotes, stray quotes in text, end tags
// with spaces, and every other kind of markup.
std::u16string RandomDocument(std::mt19937& rng) {
  static const char16_t* const kPieces[] = {
      u"<a>", u"</a>", u"<b x='1>2'>", u"</b >", u"<c y=\"'\" z='\"'/>", u"text", u" ", u"\n    ",
      u"\"", u"'", u">", u"<!-- c > -->", u"<![CDATA[ < > ]]>", u"<?p ?>", u"<!DOCTYPE d [<!ENTITY e '>'>]>",
      u"<", u"</", u"<1", u"<!x", u"&amp;", u"<long attribute=\"0123456789012345678901234567890123456789\">",
      u"</long>", u"\u4e2d", u"<\u00e9/>", u"</>", u"<a/", u"<b q='",
  };
  std::u16string s;
  const int count = std::uniform_int_distribution<int>(0, 60)(rng);
  for (int i = 0; i < count; ++i) s += kPieces[rng() % std::size(kPieces)];
  return s;
}

TEST(XmlDocumentScanner, CutsTheTokensTheTokenizerCuts) {
  std::mt19937 rng(20240501);
  for (int round = 0; round < 3000; ++round) {
    const std::u16string text = RandomDocument(rng);
    ASSERT_EQ(ByScanner(text), ByTokenizer(text)) << U8(text);
  }
}

TEST(XmlDocumentScanner, EveryBlockBoundaryPosition) {
  // Shift a document through every offset of a block so that each of its
  // stops lands on and around a boundary.
  const std::u16string body = u"<r a=\"x>y\" b='>'><c/>t</r ><!-- > --></r>";
  for (size_t pad = 0; pad < 130; ++pad) {
    const std::u16string text = std::u16string(pad, u' ') + body;
    ASSERT_EQ(ByScanner(text), ByTokenizer(text)) << pad;
    for (size_t cut = text.size() - body.size(); cut <= text.size(); ++cut) {
      const std::u16string prefix = text.substr(0, cut);
      ASSERT_EQ(ByScanner(prefix), ByTokenizer(prefix)) << pad << " " << cut;
    }
  }
}

TEST(XmlDocumentScanner, QuotedValuesSpanningManyBlocks) {
  const std::u16string value(300, u'>');
  const std::u16string text = u"<r a='" + value + u"\"" + value + u"' b=\"'\">x</r>";
  EXPECT_EQ(ByScanner(text), ByTokenizer(text));
  EXPECT_EQ(ByScanner(text).size(), 2u);
}

TEST(XmlDocumentScanner, IndexLinksHoldForRandomDocuments) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    const std::u16string text = RandomDocument(rng);
    for (bool ignoreCase : {false, true}) {
      XmlElementIndex index;
      std::u16string report;
      XmlReportWriter writer(report);
      XmlParser::Run(text, index, writer, ignoreCase);
      ASSERT_EQ(IndexLinkProblem(index), "") << U8(text);
    }
  }
}

TEST(XmlDocumentScanner, IndexLinksHoldAfterDeepUnendedChains) {
  std::u16string text = u"<r>";
  for (int i = 0; i < 3000; ++i) text += u"<a><b/>";
  text += u"</r><s>";
  for (int i = 0; i < 3000; ++i) text += u"<x><y>";
  text += u"</x><t/>";
  XmlElementIndex index;
  std::u16string report;
  XmlReportWriter writer(report);
  XmlParser::Run(text, index, writer, false);
  EXPECT_EQ(IndexLinkProblem(index), "");
  EXPECT_EQ(index.Count(), 1u + 1 + 6000 + 1 + 6000 + 1);
}

}  // namespace
}  // namespace tembra
