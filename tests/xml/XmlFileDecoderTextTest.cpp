#include <gtest/gtest.h>

#include <iconv.h>

#include <random>
#include <set>
#include <string>

#include "platform/Utf.h"
#include "xml/DeclaredEncoding.h"
#include "xml/EncodingAliases.h"
#include "xml/Utf8Text.h"

namespace tembra {
namespace {

std::u16string decode(std::string_view bytes, size_t* bad = nullptr) {
  std::u16string out;
  size_t n = Utf8Text::Decode(bytes, out);
  if (bad) *bad = n;
  return out;
}

TEST(Utf8TextShape, AcceptsWellShapedSequences) {
  EXPECT_TRUE(Utf8Text::IsWellFormed(""));
  EXPECT_TRUE(Utf8Text::IsWellFormed("plain ascii that is longer than eight bytes"));
  EXPECT_TRUE(Utf8Text::IsWellFormed("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  // Only the shape is tested: an overlong form passes here, and the
  // decoder turns it into a replacement character later.
  EXPECT_TRUE(Utf8Text::IsWellFormed("\xC0\x80"));
  EXPECT_TRUE(Utf8Text::IsWellFormed("\xE0\x80\xAF"));
}

TEST(Utf8TextShape, RejectsBrokenShapes) {
  const char* bad[] = {
      "\x80",                     // continuation without a lead
      "abc\xC3",                  // cut at the end
      "abc\xE2\x82",              // cut at the end
      "\xF0\x9F\x98",             // cut at the end
      "\xC3(",                    // lead followed by a non-continuation
      "\xE2\x82(",                // second continuation missing
      "\xF8\x88\x80\x80\x80",     // five-byte lead
      "\xFF",                     //
      "0123456789abcdef\xBF",     // stray byte after an ASCII run
  };
  for (const char* s : bad) EXPECT_FALSE(Utf8Text::IsWellFormed(s)) << s;
}

TEST(Utf8TextDecode, MatchesTheReferenceEncoderOnValidText) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 300; ++round) {
    std::u16string text;
    const int len = static_cast<int>(rng() % 60);
    for (int i = 0; i < len; ++i) {
      switch (rng() % 5) {
        case 0: case 1: text.push_back(static_cast<char16_t>(0x20 + rng() % 0x5F)); break;
        case 2: text.push_back(static_cast<char16_t>(0x80 + rng() % 0x780)); break;
        case 3: {
          char16_t c = static_cast<char16_t>(0x800 + rng() % 0xF7FF);
          if (c >= 0xD800 && c <= 0xDFFF) c = 0x4E2D;
          text.push_back(c);
          break;
        }
        default:
          text.push_back(static_cast<char16_t>(0xD800 + rng() % 0x400));
          text.push_back(static_cast<char16_t>(0xDC00 + rng() % 0x400));
      }
    }
    size_t bad = 99;
    std::string bytes = toUtf8(text);
    EXPECT_EQ(decode(bytes, &bad), text);
    EXPECT_EQ(bad, 0u);
    EXPECT_TRUE(Utf8Text::IsWellFormed(bytes));
  }
}

TEST(Utf8TextDecode, IllFormedSequencesBecomeOneReplacementEach) {
  struct Case {
    std::string bytes;
    std::u16string text;
    size_t bad;
  };
  const Case cases[] = {
      {"\xC0\xAF", u"\uFFFD\uFFFD", 2},                       // overlong '/'
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", 3},             // overlong, three bytes
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", 3},             // surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", 4},   // above U+10FFFF
      {"a\xE2\x82", u"a\uFFFD", 1},                           // cut at the end
      {"a\xF0\x9F\x98z", u"a\uFFFDz", 1},                     // cut before 'z'
      {"\xC3\xC3\xA9", u"\uFFFD\u00E9", 1},                   // lead then a full sequence
      {"0123456\xFF" "89abcdef", u"0123456\uFFFD89abcdef", 1},
  };
  for (const auto& c : cases) {
    size_t bad = 0;
    EXPECT_EQ(decode(c.bytes, &bad), c.text) << c.bytes;
    EXPECT_EQ(bad, c.bad) << c.bytes;
  }
}

TEST(Utf8TextDecode, AppendsToExistingText) {
  std::u16string out = u"x";
  Utf8Text::Decode("abcdefghijklmnop\xC3\xA9", out);
  EXPECT_EQ(out, u"xabcdefghijklmnop\u00E9");
}

TEST(DeclaredEncodingXml, ReadsTheEncodingPseudoAttribute) {
  EXPECT_EQ(DeclaredEncoding::Find("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a/>"), u"KOI8-R");
  EXPECT_EQ(DeclaredEncoding::Find("<?xml version='1.0' encoding = 'gbk' standalone='yes'?>"), u"gbk");
  EXPECT_EQ(DeclaredEncoding::Find("<?XML encoding=\"big5\"?>"), u"big5");
}

TEST(DeclaredEncodingXml, DeclarationEndsTheSearchEitherWay) {
  // No encoding in the declaration: an HTML meta later does not count.
  EXPECT_EQ(DeclaredEncoding::Find("<?xml version=\"1.0\"?><html><head>"
                                   "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">"),
            u"");
  // Not at offset 0: not a declaration, and the first tag is not html.
  EXPECT_EQ(DeclaredEncoding::Find(" <?xml version=\"1.0\" encoding=\"koi8-r\"?><a/>"), u"");
  // Another target at offset 0 is just an instruction.
  EXPECT_EQ(DeclaredEncoding::Find("<?xml-stylesheet href=\"a\" encoding=\"koi8-r\"?><a/>"), u"");
}

TEST(DeclaredEncodingHtml, MetaContentTypeInsideHead) {
  EXPECT_EQ(DeclaredEncoding::Find("<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<!-- c -->"
                                   "<HTML><HEAD><TITLE>x</TITLE><META HTTP-EQUIV=Content-Type "
                                   "CONTENT=\"text/html; CHARSET = gb2312\"></HEAD>"),
            u"gb2312");
  EXPECT_EQ(DeclaredEncoding::Find("<html><head><meta name='a' content='charset=koi8-r'>"
                                   "<meta http-equiv='Refresh' content='5; charset=koi8-u'>"
                                   "<meta http-equiv='content-type' content='text/html'>"
                                   "<meta http-equiv='content-type' content='text/html;charset=\"cp1251\"'/>"),
            u"cp1251");
}

TEST(DeclaredEncodingHtml, StopsWhereTheRulesSay) {
  const char* meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">";
  EXPECT_EQ(DeclaredEncoding::Find(std::string("<html><head></head>") + meta), u"");
  EXPECT_EQ(DeclaredEncoding::Find(std::string("<body><head>") + meta), u"");
  // A token error ends the search.
  EXPECT_EQ(DeclaredEncoding::Find(std::string("<html><head><1>") + meta), u"");
  EXPECT_EQ(DeclaredEncoding::Find(std::string("<html><head><!x>") + meta), u"");
  // Only the leading bytes are looked at.
  std::string pad(DeclaredEncoding::kScanBytes, ' ');
  EXPECT_EQ(DeclaredEncoding::Find(std::string("<html><head>") + pad + meta), u"");
  // A '>' inside a quoted value does not end the tag.
  EXPECT_EQ(DeclaredEncoding::Find(std::string("<html><head><link title='a>b'>") + meta), u"koi8-r");
}

TEST(DeclaredEncodingTruncation, EveryPrefixGivesTheWholeNameOrNothing) {
  const std::pair<std::string, std::u16string> docs[] = {
      {"<?xml version=\"1.0\" encoding=\"windows-1251\"?>", u"windows-1251"},
      {"<!DOCTYPE html [ <!ENTITY a 'b'> ]><html><!-- x --><![CDATA[y]]><?p q?><head>"
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">",
       u"koi8-r"},
  };
  for (const auto& [doc, name] : docs) {
    for (size_t n = 0; n < doc.size(); ++n) {
      EXPECT_EQ(DeclaredEncoding::Find(doc.substr(0, n)), u"") << n;
    }
    EXPECT_EQ(DeclaredEncoding::Find(doc), name);
  }
}

TEST(EncodingAliasesTable, EveryCodePageOpensAndNamesAreUniqueLowerCase) {
  std::set<std::string> seen;
  ASSERT_GE(EncodingAliases::TableSize(), 150u);
  for (size_t i = 0; i < EncodingAliases::TableSize(); ++i) {
    const auto& a = EncodingAliases::Table()[i];
    std::string name = a.name;
    EXPECT_TRUE(seen.insert(name).second) << name;
    for (char c : name) EXPECT_FALSE(c >= 'A' && c <= 'Z') << name;
    if (a.kind == EncodingKind::CodePage) {
      iconv_t cd = iconv_open("UTF-16LE", a.iconvName);
      EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << name << " -> " << a.iconvName;
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
  }
}

TEST(EncodingAliasesTable, LookupIgnoresCaseAndSpace) {
  EXPECT_EQ(EncodingAliases::Lookup("ISO-8859-1").kind, EncodingKind::CodePage);
  EXPECT_STREQ(EncodingAliases::Lookup(" Latin1 ").iconvName, "ISO-8859-1");
  EXPECT_STREQ(EncodingAliases::Lookup("CSKOI8R").iconvName, "KOI8-R");
  EXPECT_STREQ(EncodingAliases::Lookup("Windows-31J").iconvName, "CP932");
  EXPECT_EQ(EncodingAliases::Lookup("UTF-8").kind, EncodingKind::Utf8);
  EXPECT_EQ(EncodingAliases::Lookup("unicodeFFFE").kind, EncodingKind::Utf16BE);
  EXPECT_EQ(EncodingAliases::Lookup("").kind, EncodingKind::Unknown);
  EXPECT_EQ(EncodingAliases::Lookup("latin-1x").kind, EncodingKind::Unknown);
}

}  // namespace
}  // namespace tembra
