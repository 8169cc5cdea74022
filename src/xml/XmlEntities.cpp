#include "xml/XmlEntities.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "xml/XmlScan.h"

namespace tembra {

namespace {

struct Entity {
  const char* name;
  uint32_t code;
};

// The XML entities and the HTML set: Latin-1, symbols and Greek, special.
constexpr Entity kEntities[] = {
    {"quot", 34}, {"amp", 38}, {"apos", 39}, {"lt", 60}, {"gt", 62},
    {"nbsp", 160}, {"iexcl", 161}, {"cent", 162}, {"pound", 163}, {"curren", 164},
    {"yen", 165}, {"brvbar", 166}, {"sect", 167}, {"uml", 168}, {"copy", 169},
    {"ordf", 170}, {"laquo", 171}, {"not", 172}, {"shy", 173}, {"reg", 174},
    {"macr", 175}, {"deg", 176}, {"plusmn", 177}, {"sup2", 178}, {"sup3", 179},
    {"acute", 180}, {"micro", 181}, {"para", 182}, {"middot", 183}, {"cedil", 184},
    {"sup1", 185}, {"ordm", 186}, {"raquo", 187}, {"frac14", 188}, {"frac12", 189},
    {"frac34", 190}, {"iquest", 191}, {"Agrave", 192}, {"Aacute", 193}, {"Acirc", 194},
    {"Atilde", 195}, {"Auml", 196}, {"Aring", 197}, {"AElig", 198}, {"Ccedil", 199},
    {"Egrave", 200}, {"Eacute", 201}, {"Ecirc", 202}, {"Euml", 203}, {"Igrave", 204},
    {"Iacute", 205}, {"Icirc", 206}, {"Iuml", 207}, {"ETH", 208}, {"Ntilde", 209},
    {"Ograve", 210}, {"Oacute", 211}, {"Ocirc", 212}, {"Otilde", 213}, {"Ouml", 214},
    {"times", 215}, {"Oslash", 216}, {"Ugrave", 217}, {"Uacute", 218}, {"Ucirc", 219},
    {"Uuml", 220}, {"Yacute", 221}, {"THORN", 222}, {"szlig", 223}, {"agrave", 224},
    {"aacute", 225}, {"acirc", 226}, {"atilde", 227}, {"auml", 228}, {"aring", 229},
    {"aelig", 230}, {"ccedil", 231}, {"egrave", 232}, {"eacute", 233}, {"ecirc", 234},
    {"euml", 235}, {"igrave", 236}, {"iacute", 237}, {"icirc", 238}, {"iuml", 239},
    {"eth", 240}, {"ntilde", 241}, {"ograve", 242}, {"oacute", 243}, {"ocirc", 244},
    {"otilde", 245}, {"ouml", 246}, {"divide", 247}, {"oslash", 248}, {"ugrave", 249},
    {"uacute", 250}, {"ucirc", 251}, {"uuml", 252}, {"yacute", 253}, {"thorn", 254},
    {"yuml", 255},
    {"OElig", 338}, {"oelig", 339}, {"Scaron", 352}, {"scaron", 353}, {"Yuml", 376},
    {"fnof", 402}, {"circ", 710}, {"tilde", 732},
    {"Alpha", 913}, {"Beta", 914}, {"Gamma", 915}, {"Delta", 916}, {"Epsilon", 917},
    {"Zeta", 918}, {"Eta", 919}, {"Theta", 920}, {"Iota", 921}, {"Kappa", 922},
    {"Lambda", 923}, {"Mu", 924}, {"Nu", 925}, {"Xi", 926}, {"Omicron", 927},
    {"Pi", 928}, {"Rho", 929}, {"Sigma", 931}, {"Tau", 932}, {"Upsilon", 933},
    {"Phi", 934}, {"Chi", 935}, {"Psi", 936}, {"Omega", 937},
    {"alpha", 945}, {"beta", 946}, {"gamma", 947}, {"delta", 948}, {"epsilon", 949},
    {"zeta", 950}, {"eta", 951}, {"theta", 952}, {"iota", 953}, {"kappa", 954},
    {"lambda", 955}, {"mu", 956}, {"nu", 957}, {"xi", 958}, {"omicron", 959},
    {"pi", 960}, {"rho", 961}, {"sigmaf", 962}, {"sigma", 963}, {"tau", 964},
    {"upsilon", 965}, {"phi", 966}, {"chi", 967}, {"psi", 968}, {"omega", 969},
    {"thetasym", 977}, {"upsih", 978}, {"piv", 982},
    {"ensp", 8194}, {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204}, {"zwj", 8205},
    {"lrm", 8206}, {"rlm", 8207}, {"ndash", 8211}, {"mdash", 8212}, {"lsquo", 8216},
    {"rsquo", 8217}, {"sbquo", 8218}, {"ldquo", 8220}, {"rdquo", 8221}, {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225}, {"bull", 8226}, {"hellip", 8230}, {"permil", 8240},
    {"prime", 8242}, {"Prime", 8243}, {"lsaquo", 8249}, {"rsaquo", 8250}, {"oline", 8254},
    {"frasl", 8260}, {"euro", 8364}, {"image", 8465}, {"weierp", 8472}, {"real", 8476},
    {"trade", 8482}, {"alefsym", 8501},
    {"larr", 8592}, {"uarr", 8593}, {"rarr", 8594}, {"darr", 8595}, {"harr", 8596},
    {"crarr", 8629}, {"lArr", 8656}, {"uArr", 8657}, {"rArr", 8658}, {"dArr", 8659},
    {"hArr", 8660},
    {"forall", 8704}, {"part", 8706}, {"exist", 8707}, {"empty", 8709}, {"nabla", 8711},
    {"isin", 8712}, {"notin", 8713}, {"ni", 8715}, {"prod", 8719}, {"sum", 8721},
    {"minus", 8722}, {"lowast", 8727}, {"radic", 8730}, {"prop", 8733}, {"infin", 8734},
    {"ang", 8736}, {"and", 8743}, {"or", 8744}, {"cap", 8745}, {"cup", 8746},
    {"int", 8747}, {"there4", 8756}, {"sim", 8764}, {"cong", 8773}, {"asymp", 8776},
    {"ne", 8800}, {"equiv", 8801}, {"le", 8804}, {"ge", 8805}, {"sub", 8834},
    {"sup", 8835}, {"nsub", 8836}, {"sube", 8838}, {"supe", 8839}, {"oplus", 8853},
    {"otimes", 8855}, {"perp", 8869}, {"sdot", 8901}, {"lceil", 8968}, {"rceil", 8969},
    {"lfloor", 8970}, {"rfloor", 8971}, {"lang", 9001}, {"rang", 9002}, {"loz", 9674},
    {"spades", 9824}, {"clubs", 9827}, {"hearts", 9829}, {"diams", 9830},
};

constexpr size_t kMaxName = 9;

const std::vector<Entity>& SortedEntities() {
  static const std::vector<Entity> sorted = [] {
    std::vector<Entity> v(std::begin(kEntities), std::end(kEntities));
    std::sort(v.begin(), v.end(), [](const Entity& a, const Entity& b) { return std::strcmp(a.name, b.name) < 0; });
    return v;
  }();
  return sorted;
}

uint32_t Find(const char* name) {
  const auto& v = SortedEntities();
  auto it = std::lower_bound(v.begin(), v.end(), name,
                             [](const Entity& e, const char* n) { return std::strcmp(e.name, n) < 0; });
  return it != v.end() && std::strcmp(it->name, name) == 0 ? it->code : 0;
}

int DigitValue(char16_t c, bool hex) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (hex && c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (hex && c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

void AppendCodePoint(std::u16string& out, uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

}  // namespace

size_t XmlEntities::Count() { return std::size(kEntities); }

uint32_t XmlEntities::Lookup(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxName) return 0;
  char buf[kMaxName + 1];
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] >= 0x80 || name[i] == 0) return 0;
    buf[i] = static_cast<char>(name[i]);
  }
  buf[name.size()] = 0;
  if (uint32_t code = Find(buf)) return code;
  bool folded = false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (buf[i] >= 'A' && buf[i] <= 'Z') {
      buf[i] = static_cast<char>(buf[i] + 32);
      folded = true;
    }
  }
  return folded ? Find(buf) : 0;
}

uint32_t XmlEntities::Resolve(std::u16string_view body) {
  if (body.empty() || body.size() > kMaxName) return 0;
  if (body[0] != u'#') return Lookup(body);
  const bool hex = body.size() > 1 && body[1] == u'x';
  const size_t first = hex ? 2 : 1;
  if (first >= body.size()) return 0;
  uint64_t cp = 0;
  for (size_t i = first; i < body.size(); ++i) {
    const int d = DigitValue(body[i], hex);
    if (d < 0) return 0;
    cp = cp * (hex ? 16 : 10) + static_cast<uint64_t>(d);
  }
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return static_cast<uint32_t>(cp);
}

void XmlEntities::DecodeAppend(std::u16string_view text, std::u16string& out) {
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  while (p < end) {
    const char16_t* amp = xmlscan::FindChar(p, end, u'&');
    out.append(p, amp);
    if (amp == end) break;
    const char16_t* limit = amp + 1 + kMaxName + 1 < end ? amp + 1 + kMaxName + 1 : end;
    const char16_t* semi = xmlscan::FindChar(amp + 1, limit, u';');
    uint32_t cp = 0;
    if (semi != limit) cp = Resolve(std::u16string_view(amp + 1, static_cast<size_t>(semi - amp - 1)));
    if (cp) {
      AppendCodePoint(out, cp);
      p = semi + 1;
    } else {
      out.push_back(u'&');
      p = amp + 1;
    }
  }
}

std::u16string XmlEntities::Decode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  DecodeAppend(text, out);
  return out;
}

}  // namespace tembra
