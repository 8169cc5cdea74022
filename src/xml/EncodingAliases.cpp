#include "xml/EncodingAliases.h"

#include <string>
#include <unordered_map>

namespace tembra {

namespace {

constexpr EncodingKind U8 = EncodingKind::Utf8;
constexpr EncodingKind U16 = EncodingKind::Utf16;
constexpr EncodingKind LE = EncodingKind::Utf16LE;
constexpr EncodingKind BE = EncodingKind::Utf16BE;
constexpr EncodingKind CP = EncodingKind::CodePage;

// Names as they appear in XML declarations and HTML meta tags (lower case),
// with the converter each one needs. Where a name covers a family, the
// widest common superset is chosen, as browsers and the Windows code page
// tables do: gb2312 reads as code page 936, shift_jis as 932, euc-kr as 949.
const EncodingAliases::Alias kAliases[] = {
    // Unicode
    {"utf-8", U8, nullptr},
    {"utf8", U8, nullptr},
    {"unicode-1-1-utf-8", U8, nullptr},
    {"unicode-2-0-utf-8", U8, nullptr},
    {"x-unicode20utf8", U8, nullptr},
    {"utf-16", U16, nullptr},
    {"utf16", U16, nullptr},
    {"ucs-2", U16, nullptr},
    {"iso-10646-ucs-2", U16, nullptr},
    {"csunicode", U16, nullptr},
    {"unicode", LE, nullptr},
    {"utf-16le", LE, nullptr},
    {"ucs-2le", LE, nullptr},
    {"unicodefeff", LE, nullptr},
    {"utf-16be", BE, nullptr},
    {"ucs-2be", BE, nullptr},
    {"unicodefffe", BE, nullptr},

    // ASCII
    {"us-ascii", CP, "ASCII"},
    {"ascii", CP, "ASCII"},
    {"us", CP, "ASCII"},
    {"ansi_x3.4-1968", CP, "ASCII"},
    {"ansi_x3.4-1986", CP, "ASCII"},
    {"iso646-us", CP, "ASCII"},
    {"iso-ir-6", CP, "ASCII"},
    {"ibm367", CP, "ASCII"},
    {"cp367", CP, "ASCII"},
    {"csascii", CP, "ASCII"},

    // ISO 8859 family
    {"iso-8859-1", CP, "ISO-8859-1"},
    {"iso8859-1", CP, "ISO-8859-1"},
    {"iso_8859-1", CP, "ISO-8859-1"},
    {"iso_8859-1:1987", CP, "ISO-8859-1"},
    {"iso-ir-100", CP, "ISO-8859-1"},
    {"latin1", CP, "ISO-8859-1"},
    {"l1", CP, "ISO-8859-1"},
    {"ibm819", CP, "ISO-8859-1"},
    {"cp819", CP, "ISO-8859-1"},
    {"csisolatin1", CP, "ISO-8859-1"},
    {"iso-8859-2", CP, "ISO-8859-2"},
    {"iso8859-2", CP, "ISO-8859-2"},
    {"iso_8859-2", CP, "ISO-8859-2"},
    {"iso_8859-2:1987", CP, "ISO-8859-2"},
    {"iso-ir-101", CP, "ISO-8859-2"},
    {"latin2", CP, "ISO-8859-2"},
    {"l2", CP, "ISO-8859-2"},
    {"csisolatin2", CP, "ISO-8859-2"},
    {"iso-8859-3", CP, "ISO-8859-3"},
    {"iso8859-3", CP, "ISO-8859-3"},
    {"iso_8859-3", CP, "ISO-8859-3"},
    {"iso_8859-3:1988", CP, "ISO-8859-3"},
    {"iso-ir-109", CP, "ISO-8859-3"},
    {"latin3", CP, "ISO-8859-3"},
    {"l3", CP, "ISO-8859-3"},
    {"csisolatin3", CP, "ISO-8859-3"},
    {"iso-8859-4", CP, "ISO-8859-4"},
    {"iso8859-4", CP, "ISO-8859-4"},
    {"iso_8859-4", CP, "ISO-8859-4"},
    {"iso_8859-4:1988", CP, "ISO-8859-4"},
    {"iso-ir-110", CP, "ISO-8859-4"},
    {"latin4", CP, "ISO-8859-4"},
    {"l4", CP, "ISO-8859-4"},
    {"csisolatin4", CP, "ISO-8859-4"},
    {"iso-8859-5", CP, "ISO-8859-5"},
    {"iso8859-5", CP, "ISO-8859-5"},
    {"iso_8859-5", CP, "ISO-8859-5"},
    {"iso_8859-5:1988", CP, "ISO-8859-5"},
    {"iso-ir-144", CP, "ISO-8859-5"},
    {"cyrillic", CP, "ISO-8859-5"},
    {"csisolatincyrillic", CP, "ISO-8859-5"},
    {"iso-8859-6", CP, "ISO-8859-6"},
    {"iso8859-6", CP, "ISO-8859-6"},
    {"iso_8859-6", CP, "ISO-8859-6"},
    {"iso_8859-6:1987", CP, "ISO-8859-6"},
    {"iso-8859-6-e", CP, "ISO-8859-6"},
    {"iso-8859-6-i", CP, "ISO-8859-6"},
    {"iso-ir-127", CP, "ISO-8859-6"},
    {"ecma-114", CP, "ISO-8859-6"},
    {"asmo-708", CP, "ISO-8859-6"},
    {"arabic", CP, "ISO-8859-6"},
    {"csisolatinarabic", CP, "ISO-8859-6"},
    {"csiso88596e", CP, "ISO-8859-6"},
    {"csiso88596i", CP, "ISO-8859-6"},
    {"iso-8859-7", CP, "ISO-8859-7"},
    {"iso8859-7", CP, "ISO-8859-7"},
    {"iso_8859-7", CP, "ISO-8859-7"},
    {"iso_8859-7:1987", CP, "ISO-8859-7"},
    {"iso-ir-126", CP, "ISO-8859-7"},
    {"ecma-118", CP, "ISO-8859-7"},
    {"elot_928", CP, "ISO-8859-7"},
    {"greek", CP, "ISO-8859-7"},
    {"greek8", CP, "ISO-8859-7"},
    {"csisolatingreek", CP, "ISO-8859-7"},
    {"iso-8859-8", CP, "ISO-8859-8"},
    {"iso8859-8", CP, "ISO-8859-8"},
    {"iso_8859-8", CP, "ISO-8859-8"},
    {"iso_8859-8:1988", CP, "ISO-8859-8"},
    {"iso-8859-8-e", CP, "ISO-8859-8"},
    {"iso-8859-8-i", CP, "ISO-8859-8"},
    {"iso-ir-138", CP, "ISO-8859-8"},
    {"hebrew", CP, "ISO-8859-8"},
    {"visual", CP, "ISO-8859-8"},
    {"logical", CP, "ISO-8859-8"},
    {"csisolatinhebrew", CP, "ISO-8859-8"},
    {"csiso88598e", CP, "ISO-8859-8"},
    {"csiso88598i", CP, "ISO-8859-8"},
    {"iso-8859-9", CP, "ISO-8859-9"},
    {"iso8859-9", CP, "ISO-8859-9"},
    {"iso_8859-9", CP, "ISO-8859-9"},
    {"iso_8859-9:1989", CP, "ISO-8859-9"},
    {"iso-ir-148", CP, "ISO-8859-9"},
    {"latin5", CP, "ISO-8859-9"},
    {"l5", CP, "ISO-8859-9"},
    {"csisolatin5", CP, "ISO-8859-9"},
    {"iso-8859-10", CP, "ISO-8859-10"},
    {"iso8859-10", CP, "ISO-8859-10"},
    {"iso_8859-10", CP, "ISO-8859-10"},
    {"iso_8859-10:1992", CP, "ISO-8859-10"},
    {"iso-ir-157", CP, "ISO-8859-10"},
    {"latin6", CP, "ISO-8859-10"},
    {"l6", CP, "ISO-8859-10"},
    {"csisolatin6", CP, "ISO-8859-10"},
    {"iso-8859-11", CP, "ISO-8859-11"},
    {"iso8859-11", CP, "ISO-8859-11"},
    {"iso_8859-11", CP, "ISO-8859-11"},
    {"iso-8859-13", CP, "ISO-8859-13"},
    {"iso8859-13", CP, "ISO-8859-13"},
    {"iso_8859-13", CP, "ISO-8859-13"},
    {"iso-ir-179", CP, "ISO-8859-13"},
    {"latin7", CP, "ISO-8859-13"},
    {"l7", CP, "ISO-8859-13"},
    {"iso-8859-14", CP, "ISO-8859-14"},
    {"iso8859-14", CP, "ISO-8859-14"},
    {"iso_8859-14", CP, "ISO-8859-14"},
    {"iso_8859-14:1998", CP, "ISO-8859-14"},
    {"iso-ir-199", CP, "ISO-8859-14"},
    {"iso-celtic", CP, "ISO-8859-14"},
    {"latin8", CP, "ISO-8859-14"},
    {"l8", CP, "ISO-8859-14"},
    {"iso-8859-15", CP, "ISO-8859-15"},
    {"iso8859-15", CP, "ISO-8859-15"},
    {"iso_8859-15", CP, "ISO-8859-15"},
    {"iso_8859-15:1998", CP, "ISO-8859-15"},
    {"iso-ir-203", CP, "ISO-8859-15"},
    {"latin-9", CP, "ISO-8859-15"},
    {"latin9", CP, "ISO-8859-15"},
    {"l9", CP, "ISO-8859-15"},
    {"csisolatin9", CP, "ISO-8859-15"},
    {"iso-8859-16", CP, "ISO-8859-16"},
    {"iso8859-16", CP, "ISO-8859-16"},
    {"iso_8859-16", CP, "ISO-8859-16"},
    {"iso_8859-16:2001", CP, "ISO-8859-16"},
    {"iso-ir-226", CP, "ISO-8859-16"},
    {"latin10", CP, "ISO-8859-16"},
    {"l10", CP, "ISO-8859-16"},

    // Windows code pages
    {"windows-874", CP, "CP874"},
    {"cp874", CP, "CP874"},
    {"x-cp874", CP, "CP874"},
    {"dos-874", CP, "CP874"},
    {"ibm874", CP, "CP874"},
    {"windows-1250", CP, "CP1250"},
    {"cp1250", CP, "CP1250"},
    {"x-cp1250", CP, "CP1250"},
    {"ms-ee", CP, "CP1250"},
    {"windows-1251", CP, "CP1251"},
    {"cp1251", CP, "CP1251"},
    {"x-cp1251", CP, "CP1251"},
    {"ms-cyrl", CP, "CP1251"},
    {"windows-1252", CP, "CP1252"},
    {"cp1252", CP, "CP1252"},
    {"x-cp1252", CP, "CP1252"},
    {"ms-ansi", CP, "CP1252"},
    {"windows-1253", CP, "CP1253"},
    {"cp1253", CP, "CP1253"},
    {"x-cp1253", CP, "CP1253"},
    {"ms-greek", CP, "CP1253"},
    {"windows-1254", CP, "CP1254"},
    {"cp1254", CP, "CP1254"},
    {"x-cp1254", CP, "CP1254"},
    {"ms-turk", CP, "CP1254"},
    {"windows-1255", CP, "CP1255"},
    {"cp1255", CP, "CP1255"},
    {"x-cp1255", CP, "CP1255"},
    {"ms-hebr", CP, "CP1255"},
    {"windows-1256", CP, "CP1256"},
    {"cp1256", CP, "CP1256"},
    {"x-cp1256", CP, "CP1256"},
    {"ms-arab", CP, "CP1256"},
    {"windows-1257", CP, "CP1257"},
    {"cp1257", CP, "CP1257"},
    {"x-cp1257", CP, "CP1257"},
    {"windows-1258", CP, "CP1258"},
    {"cp1258", CP, "CP1258"},
    {"x-cp1258", CP, "CP1258"},

    // DOS code pages
    {"ibm437", CP, "IBM437"},
    {"cp437", CP, "IBM437"},
    {"437", CP, "IBM437"},
    {"cspc8codepage437", CP, "IBM437"},
    {"ibm850", CP, "IBM850"},
    {"cp850", CP, "IBM850"},
    {"850", CP, "IBM850"},
    {"cspc850multilingual", CP, "IBM850"},
    {"ibm852", CP, "IBM852"},
    {"cp852", CP, "IBM852"},
    {"852", CP, "IBM852"},
    {"cspcp852", CP, "IBM852"},
    {"ibm866", CP, "IBM866"},
    {"cp866", CP, "IBM866"},
    {"866", CP, "IBM866"},
    {"csibm866", CP, "IBM866"},

    // Cyrillic KOI8
    {"koi8-r", CP, "KOI8-R"},
    {"koi8r", CP, "KOI8-R"},
    {"koi8", CP, "KOI8-R"},
    {"koi", CP, "KOI8-R"},
    {"cskoi8r", CP, "KOI8-R"},
    {"koi8-u", CP, "KOI8-U"},
    {"koi8u", CP, "KOI8-U"},
    {"koi8-ru", CP, "KOI8-RU"},

    // Chinese
    {"gb2312", CP, "CP936"},
    {"gb_2312", CP, "CP936"},
    {"gb_2312-80", CP, "CP936"},
    {"csgb2312", CP, "CP936"},
    {"iso-ir-58", CP, "CP936"},
    {"csiso58gb231280", CP, "CP936"},
    {"euc-cn", CP, "CP936"},
    {"x-euc-cn", CP, "CP936"},
    {"chinese", CP, "CP936"},
    {"gbk", CP, "CP936"},
    {"x-gbk", CP, "CP936"},
    {"cp936", CP, "CP936"},
    {"ms936", CP, "CP936"},
    {"windows-936", CP, "CP936"},
    {"gb18030", CP, "GB18030"},
    {"big5", CP, "BIG5"},
    {"csbig5", CP, "BIG5"},
    {"cn-big5", CP, "BIG5"},
    {"x-x-big5", CP, "BIG5"},
    {"big-5", CP, "BIG5"},
    {"cp950", CP, "BIG5"},
    {"big5-hkscs", CP, "BIG5-HKSCS"},
    {"big5hkscs", CP, "BIG5-HKSCS"},

    // Japanese
    {"shift_jis", CP, "CP932"},
    {"shift-jis", CP, "CP932"},
    {"sjis", CP, "CP932"},
    {"ms_kanji", CP, "CP932"},
    {"x-sjis", CP, "CP932"},
    {"csshiftjis", CP, "CP932"},
    {"windows-31j", CP, "CP932"},
    {"cswindows31j", CP, "CP932"},
    {"cp932", CP, "CP932"},
    {"ms932", CP, "CP932"},
    {"x-ms-cp932", CP, "CP932"},
    {"euc-jp", CP, "EUC-JP"},
    {"x-euc-jp", CP, "EUC-JP"},
    {"x-euc", CP, "EUC-JP"},
    {"cseucpkdfmtjapanese", CP, "EUC-JP"},
    {"iso-2022-jp", CP, "ISO-2022-JP"},
    {"csiso2022jp", CP, "ISO-2022-JP"},

    // Korean
    {"euc-kr", CP, "CP949"},
    {"cseuckr", CP, "CP949"},
    {"ks_c_5601-1987", CP, "CP949"},
    {"ks_c_5601-1989", CP, "CP949"},
    {"ks_c_5601", CP, "CP949"},
    {"ksc_5601", CP, "CP949"},
    {"ksc5601", CP, "CP949"},
    {"csksc56011987", CP, "CP949"},
    {"iso-ir-149", CP, "CP949"},
    {"korean", CP, "CP949"},
    {"windows-949", CP, "CP949"},
    {"cp949", CP, "CP949"},
    {"uhc", CP, "CP949"},
    {"iso-2022-kr", CP, "ISO-2022-KR"},
    {"csiso2022kr", CP, "ISO-2022-KR"},

    // Thai, Vietnamese
    {"tis-620", CP, "TIS-620"},
    {"tis620", CP, "TIS-620"},
    {"viscii", CP, "VISCII"},
    {"csviscii", CP, "VISCII"},

    // Macintosh
    {"macintosh", CP, "MACINTOSH"},
    {"mac", CP, "MACINTOSH"},
    {"x-mac-roman", CP, "MACINTOSH"},
    {"csmacintosh", CP, "MACINTOSH"},
    {"x-mac-ce", CP, "MAC-CENTRALEUROPE"},
    {"x-mac-centraleurroman", CP, "MAC-CENTRALEUROPE"},
    {"x-mac-cyrillic", CP, "MAC-CYRILLIC"},
    {"mac-cyrillic", CP, "MAC-CYRILLIC"},
    {"x-mac-ukrainian", CP, "MACUKRAINIAN"},
    {"x-mac-icelandic", CP, "MAC-IS"},
    // iconv carries no Mac Thai table; its Thai letters sit where TIS-620
    // puts them, which is the best reading available.
    {"x-mac-thai", CP, "TIS-620"},
};

std::string normalise(std::string_view name) {
  size_t b = 0, e = name.size();
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (b < e && space(name[b])) ++b;
  while (e > b && space(name[e - 1])) --e;
  std::string out(name.substr(b, e - b));
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

const std::unordered_map<std::string_view, const EncodingAliases::Alias*>& index() {
  static const auto* map = [] {
    auto* m = new std::unordered_map<std::string_view, const EncodingAliases::Alias*>();
    for (const auto& a : kAliases) m->emplace(a.name, &a);
    return m;
  }();
  return *map;
}

}  // namespace

EncodingInfo EncodingAliases::Lookup(std::string_view name) {
  const auto& map = index();
  auto it = map.find(normalise(name));
  if (it == map.end()) return {};
  return {it->second->kind, it->second->iconvName};
}

const EncodingAliases::Alias* EncodingAliases::Table() { return kAliases; }

size_t EncodingAliases::TableSize() { return sizeof kAliases / sizeof kAliases[0]; }

}  // namespace tembra
