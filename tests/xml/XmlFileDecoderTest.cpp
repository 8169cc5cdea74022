#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "TempDir.h"
#include "platform/TestFiles.h"
#include "platform/Utf.h"
#include "xml/XmlFileDecoder.h"

namespace tembra {
namespace {

std::vector<std::string> names(const DecodedXmlFile& r) {
  std::vector<std::string> out;
  for (const auto& e : r.entries) out.push_back(toUtf8(e.name));
  return out;
}

std::string attr(const DecodedXmlFile& r, std::u16string_view entry, std::u16string_view name) {
  for (const auto& e : r.entries) {
    if (e.name != entry) continue;
    for (const auto& [k, v] : e.attributes) {
      if (k == name) return toUtf8(v);
    }
  }
  return "<none>";
}

using Names = std::vector<std::string>;

// text as UTF-16 bytes of either order behind their byte order mark.
std::string utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(bigEndian ? c >> 8 : c & 0xFF));
    bytes.push_back(static_cast<char>(bigEndian ? c & 0xFF : c >> 8));
  }
  return bytes;
}

TEST(XmlFileDecoderBom, Utf8MarkWinsOverADeclarationOfAnotherEncoding) {
  auto r = XmlFileDecoder::DecodeBytes(
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xC3\xA9</a>");
  EXPECT_EQ(names(r), (Names{"bom", "read", "converted_to"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "UTF-8");
  EXPECT_EQ(r.encoding, u"UTF-8");
  EXPECT_EQ(r.text, u"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\u00E9</a>");
  EXPECT_EQ(attr(r, u"converted_to", u"length"), std::to_string(r.text.size()));
}

TEST(XmlFileDecoderBom, LittleEndianUtf16) {
  auto r = XmlFileDecoder::DecodeBytes(utf16(u"<a>\u0416\u00E9</a>", false));
  EXPECT_EQ(names(r), (Names{"bom", "read"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "UTF-16LE");
  EXPECT_EQ(attr(r, u"read", u"length"), "9");
  EXPECT_EQ(r.text, u"<a>\u0416\u00E9</a>");
}

TEST(XmlFileDecoderBom, BigEndianUtf16IsSwapped) {
  const std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u4E2D\U0001F600</a>";
  auto r = XmlFileDecoder::DecodeBytes(utf16(text, true));
  EXPECT_EQ(names(r), (Names{"bom", "read", "endian_swap"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "UTF-16BE");
  EXPECT_EQ(r.encoding, u"UTF-16BE");
  EXPECT_EQ(r.text, text);
}

TEST(XmlFileDecoderBom, Utf16DropsZeroUnitsAndAnOddTrailingByte) {
  // "<a>", a zero unit, "b</a>", then one stray byte.
  std::string bytes("\xFF\xFE<\0a\0>\0\0\0b\0<\0/\0a\0>\0\x41", 21);
  auto r = XmlFileDecoder::DecodeBytes(bytes);
  EXPECT_EQ(names(r), (Names{"bom", "read", "nulls_removed"}));
  EXPECT_EQ(attr(r, u"read", u"length"), "9");
  EXPECT_EQ(attr(r, u"nulls_removed", u"count"), "1");
  EXPECT_EQ(r.text, u"<a>b</a>");
}

TEST(XmlFileDecoderBom, MarkOnlyGivesEmptyText) {
  for (std::string bytes : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xFE\xFF\x00"}) {
    auto r = XmlFileDecoder::DecodeBytes(bytes);
    EXPECT_TRUE(r.readOk);
    EXPECT_TRUE(r.text.empty());
    EXPECT_EQ(names(r).front(), "bom");
  }
}

struct Sample {
  const char* encoding;
  std::string bytes;
  std::u16string text;
};

TEST(XmlFileDecoderDeclared, CodePagesOfOneAndSeveralBytes) {
  const Sample samples[] = {
      {"ISO-8859-1", "caf\xE9 \xFF", u"caf\u00E9 \u00FF"},
      {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", u"\u041F\u0440\u0438\u0432\u0435\u0442"},
      {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", u"\u041F\u0440\u0438\u0432\u0435\u0442"},
      {"cp866", "\x8F\xE0\xA8\xA2\xA5\xE2", u"\u041F\u0440\u0438\u0432\u0435\u0442"},
      // The second byte of U+30BD is '\', which must not end the character.
      {"Shift_JIS", "\x93\xFA\x96\x7B\x8C\xEA\x83\x5C", u"\u65E5\u672C\u8A9E\u30BD"},
      {"GB18030", "\xD6\xD0\xCE\xC4\xA2\xE3\x94\x39\xFC\x36", u"\u4E2D\u6587\u20AC\U0001F600"},
      {"gb2312", "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
      {"Big5", "\xA4\xA4\xA4\xE5", u"\u4E2D\u6587"},
      {"EUC-KR", "\xC7\xD1\xB1\xB9\xBE\xEE", u"\uD55C\uAD6D\uC5B4"},
      {"ks_c_5601-1987", "\xC7\xD1\xB1\xB9\xBE\xEE", u"\uD55C\uAD6D\uC5B4"},
      {"ISO-2022-JP", "\x1B\x24\x42\x46\x7C\x4B\x5C\x1B\x28\x42", u"\u65E5\u672C"},
  };
  for (const auto& s : samples) {
    SCOPED_TRACE(s.encoding);
    std::string decl = std::string("<?xml version=\"1.0\" encoding=\"") + s.encoding + "\"?>";
    auto r = XmlFileDecoder::DecodeBytes(decl + "<a>" + s.bytes + "</a>");
    EXPECT_EQ(attr(r, u"read", u"encoding"), s.encoding);
    EXPECT_EQ(r.encoding, asciiToUtf16(s.encoding));
    EXPECT_EQ(r.text, asciiToUtf16(decl) + u"<a>" + s.text + u"</a>");
    EXPECT_EQ(names(r), (Names{"read", "converted_to"}));
  }
}

TEST(XmlFileDecoderDeclared, BytesTheCodePageCannotReadBecomeReplacementCharacters) {
  // A cut Korean character in the middle and at the end of the text.
  auto r = XmlFileDecoder::DecodeBytes("<?xml encoding='euc-kr'?><a>\xC7\xD1\xC7</a>\xB1");
  EXPECT_EQ(r.text, u"<?xml encoding='euc-kr'?><a>\uD55C\uFFFD</a>\uFFFD");
  auto ascii = XmlFileDecoder::DecodeBytes("<?xml encoding='us-ascii'?><a>\xE9t\xE9</a>");
  EXPECT_EQ(ascii.text, u"<?xml encoding='us-ascii'?><a>\uFFFDt\uFFFD</a>");
}

TEST(XmlFileDecoderDeclared, SingleByteAndCombiningCodePages) {
  // windows-1252 leaves 0x81 undefined; windows-1258 holds a base letter
  // back to combine it with a following accent, so it cannot go byte by byte.
  const Sample samples[] = {
      {"windows-1252", "\x80\x81\xE9\xFF", u"\u20AC\uFFFD\u00E9\u00FF"},
      {"iso-8859-15", "\xA4\xBD", u"\u20AC\u0153"},
      {"windows-1258", "\xC3" "a\xCC", u"\u0102\u00E0"},
      {"tis-620", "\xA1\xFF", u"\u0E01\uFFFD"},
  };
  for (const auto& s : samples) {
    SCOPED_TRACE(s.encoding);
    std::string decl = std::string("<?xml encoding='") + s.encoding + "'?>";
    auto r = XmlFileDecoder::DecodeBytes(decl + s.bytes);
    EXPECT_EQ(r.text, asciiToUtf16(decl) + s.text);
  }
}

TEST(XmlFileDecoderDeclared, InvalidUtf8InADeclaredUtf8FileIsReplaced) {
  auto r = XmlFileDecoder::DecodeBytes("<?xml version=\"1.0\" encoding=\"utf-8\"?><a>x\xFF\xC3y\xE2\x82</a>");
  EXPECT_EQ(names(r), (Names{"read", "converted_to"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "utf-8");
  EXPECT_EQ(r.text, u"<?xml version=\"1.0\" encoding=\"utf-8\"?><a>x\uFFFD\uFFFDy\uFFFD</a>");
}

TEST(XmlFileDecoderDeclared, Utf16DeclaredInAnEightBitFileIsTestedAsUtf8) {
  auto r = XmlFileDecoder::DecodeBytes("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\xC3\xA9</a>");
  EXPECT_EQ(names(r), (Names{"read", "utf8_detection", "converted_to"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "UTF-8");
  EXPECT_EQ(r.text, u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u00E9</a>");
}

TEST(XmlFileDecoderDeclared, UnknownNameFallsBackToTheUtf8Test) {
  auto ok = XmlFileDecoder::DecodeBytes("<?xml encoding=\"x-unheard-of\"?><a>\xC3\xA9</a>");
  EXPECT_EQ(names(ok), (Names{"read", "utf8_detection", "converted_to"}));
  EXPECT_EQ(attr(ok, u"read", u"encoding"), "UTF-8");
  EXPECT_EQ(ok.text.substr(ok.text.size() - 5), u"\u00E9</a>");

  auto bad = XmlFileDecoder::DecodeBytes("<?xml encoding=\"x-unheard-of\"?><a>\xE9</a>");
  EXPECT_EQ(attr(bad, u"read", u"encoding"), "x-unheard-of");
  EXPECT_EQ(bad.encoding, u"UTF-8");
  EXPECT_EQ(bad.text.substr(bad.text.size() - 5), u"\uFFFD</a>");
}

TEST(XmlFileDecoderDeclared, AnsiMeansTheSystemCodePage) {
  auto r = XmlFileDecoder::DecodeBytes("<?xml encoding=\"ANSI\"?><a>\xC3\xA9</a>");
  EXPECT_EQ(names(r), (Names{"read", "converted_to"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "ANSI");
  EXPECT_EQ(r.text.substr(r.text.size() - 5), u"\u00E9</a>");
}

TEST(XmlFileDecoderHtml, MetaCharsetInsideHeadIsHonoured) {
  auto r = XmlFileDecoder::DecodeBytes(
      "<!DOCTYPE html><html><head><title>t</title>"
      "<meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1251\">"
      "</head><body>\xCF\xF0\xE8</body></html>");
  EXPECT_EQ(attr(r, u"read", u"encoding"), "windows-1251");
  EXPECT_TRUE(r.text.ends_with(u"<body>\u041F\u0440\u0438</body></html>"));

  auto utf8 = XmlFileDecoder::DecodeBytes(
      "<html><head><meta http-equiv='Content-Type' content='text/html;charset=UTF-8'></head>"
      "<body>\xC3\xA9</body></html>");
  EXPECT_EQ(names(utf8), (Names{"read", "converted_to"}));
  EXPECT_EQ(attr(utf8, u"read", u"encoding"), "UTF-8");
}

TEST(XmlFileDecoderHtml, MetaCharsetAfterHeadIsIgnored) {
  auto r = XmlFileDecoder::DecodeBytes(
      "<html><head></head>"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
      "<body>\xC3\xA9</body></html>");
  EXPECT_EQ(names(r), (Names{"read", "utf8_detection", "converted_to"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "UTF-8");
  EXPECT_NE(r.text.find(u"\u00E9"), std::u16string::npos);
}

TEST(XmlFileDecoderDetection, PlainAsciiIsReportedAsUtf8) {
  auto r = XmlFileDecoder::DecodeBytes("<LANGUAGE><KEY>text</KEY></LANGUAGE>\n");
  EXPECT_EQ(names(r), (Names{"read", "utf8_detection", "converted_to"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "UTF-8");
  EXPECT_EQ(attr(r, u"read", u"length"), "37");
  EXPECT_EQ(r.encoding, u"UTF-8");
  EXPECT_EQ(r.text, u"<LANGUAGE><KEY>text</KEY></LANGUAGE>\n");
}

TEST(XmlFileDecoderDetection, BytesThatAreNotUtf8LeaveTheNameEmpty) {
  auto r = XmlFileDecoder::DecodeBytes("<a>caf\xE9</a>");
  EXPECT_EQ(names(r), (Names{"read", "utf8_detection", "converted_to"}));
  EXPECT_EQ(attr(r, u"read", u"encoding"), "");
  EXPECT_EQ(r.text, u"<a>caf\uFFFD</a>");
}

TEST(XmlFileDecoderDetection, ZeroBytesAreDroppedAndCounted) {
  // A UTF-16 file without a byte order mark reads as 8-bit text with its
  // zero bytes dropped.
  std::string bytes("<\0a\0>\0x\0<\0/\0a\0>\0", 16);
  auto r = XmlFileDecoder::DecodeBytes(bytes);
  EXPECT_EQ(names(r), (Names{"read", "nulls_removed", "utf8_detection", "converted_to"}));
  EXPECT_EQ(attr(r, u"read", u"length"), "16");
  EXPECT_EQ(attr(r, u"nulls_removed", u"count"), "8");
  EXPECT_EQ(attr(r, u"converted_to", u"length"), "8");
  EXPECT_EQ(r.text, u"<a>x</a>");
}

TEST(XmlFileDecoderDetection, EmptyInput) {
  auto r = XmlFileDecoder::DecodeBytes("");
  EXPECT_TRUE(r.readOk);
  EXPECT_TRUE(r.text.empty());
  EXPECT_EQ(attr(r, u"read", u"length"), "0");
}

class XmlFileDecoderFile : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    test::writeFile(tmp_.file(name), bytes);
    return tmp_.file(name);
  }
  const test::TempDir tmp_{"xmldecoder"};
  const std::string dir_ = tmp_.path();
};

TEST_F(XmlFileDecoderFile, ReadsAFileFromDisk) {
  auto r = XmlFileDecoder::Decode(write("a.xml", "<?xml version='1.0' encoding='koi8-r'?><a>\xF0</a>"));
  EXPECT_TRUE(r.readOk);
  EXPECT_EQ(r.text, u"<?xml version='1.0' encoding='koi8-r'?><a>\u041F</a>");
}

TEST_F(XmlFileDecoderFile, MissingFileIsAFileError) {
  auto r = XmlFileDecoder::Decode(dir_ + "/missing.xml");
  EXPECT_FALSE(r.readOk);
  EXPECT_TRUE(r.text.empty());
  EXPECT_EQ(names(r), (Names{"file_error"}));
  EXPECT_EQ(attr(r, u"file_error", u"n"), std::to_string(ENOENT));
  EXPECT_EQ(attr(r, u"file_error", u"msg"), "No such file or directory");
}

TEST_F(XmlFileDecoderFile, DirectoryIsAFileError) {
  auto r = XmlFileDecoder::Decode(dir_);
  EXPECT_FALSE(r.readOk);
  EXPECT_EQ(attr(r, u"file_error", u"n"), std::to_string(EISDIR));
}

TEST_F(XmlFileDecoderFile, OversizedFileIsRefusedWithoutReadingIt) {
  std::string path = write("big.xml", "");
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(XmlFileDecoder::kMaxFileBytes) + 1), 0);
  auto r = XmlFileDecoder::Decode(path);
  EXPECT_FALSE(r.readOk);
  EXPECT_EQ(attr(r, u"file_error", u"msg"), "file too large");
  EXPECT_EQ(attr(r, u"file_error", u"n"), std::to_string(EFBIG));
}

TEST_F(XmlFileDecoderFile, SpecialFileWithoutASizeIsReadToTheEnd) {
  auto r = XmlFileDecoder::Decode("/proc/self/status");
  EXPECT_TRUE(r.readOk);
  EXPECT_NE(r.text.find(u"Name:"), std::u16string::npos);
}

TEST(XmlFileDecoderTruncation, EveryPrefixOfADeclaredFileDecodes) {
  const std::string whole[] = {
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?><a>\xCF</a>",
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\"></head>"
      "<body>\xF0</body></html>",
      "\xEF\xBB\xBF<a>\xD0\x9F</a>",
      "\xFE\xFF\x00<\x00\x61",
  };
  for (const auto& bytes : whole) {
    for (size_t n = 0; n <= bytes.size(); ++n) {
      auto r = XmlFileDecoder::DecodeBytes(bytes.substr(0, n));
      EXPECT_TRUE(r.readOk);
      EXPECT_LE(r.text.size(), n);
    }
  }
}

}  // namespace
}  // namespace tembra
