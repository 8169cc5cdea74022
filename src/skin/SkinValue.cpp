#include "skin/SkinValue.h"

#include <vector>

namespace tembra {

namespace {

constexpr long kLimit = 100000;

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
  return s;
}

std::optional<int> parseInt(std::u16string_view s) {
  s = trim(s);
  bool negative = false;
  if (!s.empty() && (s.front() == u'-' || s.front() == u'+')) {
    negative = s.front() == u'-';
    s.remove_prefix(1);
  }
  if (s.empty() || s.size() > 7) return std::nullopt;
  long v = 0;
  for (char16_t c : s) {
    if (c < u'0' || c > u'9') return std::nullopt;
    v = v * 10 + (c - u'0');
  }
  if (v > kLimit) return std::nullopt;
  return static_cast<int>(negative ? -v : v);
}

std::optional<std::vector<int>> parseInts(std::u16string_view s, size_t count) {
  std::vector<int> out;
  while (true) {
    const size_t comma = s.find(u',');
    auto v = parseInt(s.substr(0, comma));
    if (!v) return std::nullopt;
    out.push_back(*v);
    if (comma == std::u16string_view::npos) break;
    s.remove_prefix(comma + 1);
  }
  if (out.size() != count) return std::nullopt;
  return out;
}

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool validImageName(std::u16string_view s) {
  if (s.empty() || s.size() > 255 || s == u"." || s == u"..") return false;
  for (char16_t c : s) {
    if (c == u'/' || c == u'\\' || c < 0x20 || c == u':') return false;
  }
  return true;
}

std::optional<int> parseAlign(std::u16string_view s) {
  int bits = 0;
  while (!s.empty()) {
    size_t end = s.find_first_of(u" ,");
    std::u16string_view word = s.substr(0, end);
    if (word == u"left") bits |= kAlignLeft;
    else if (word == u"center") bits |= kAlignHCenter;
    else if (word == u"right") bits |= kAlignRight;
    else if (word == u"top") bits |= kAlignTop;
    else if (word == u"vcenter") bits |= kAlignVCenter;
    else if (word == u"bottom") bits |= kAlignBottom;
    else if (!word.empty()) return std::nullopt;
    if (end == std::u16string_view::npos) break;
    s.remove_prefix(end + 1);
  }
  if (bits == 0) return std::nullopt;
  return bits;
}

}  // namespace

std::optional<uint32_t> parseSkinColor(std::u16string_view text) {
  text = trim(text);
  if (text.size() != 7 && text.size() != 9) return std::nullopt;
  if (text[0] != u'#') return std::nullopt;
  uint32_t v = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    const int d = hexDigit(text[i]);
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  if (text.size() == 7) v |= 0xFF000000u;
  return v;
}

std::optional<SkinValue> parseSkinValue(SkinAttrKind kind, std::u16string_view text) {
  SkinValue v;
  v.kind = kind;
  switch (kind) {
    case SkinAttrKind::Text:
      v.text = std::u16string(text);
      return v;
    case SkinAttrKind::Image:
      if (!validImageName(trim(text))) return std::nullopt;
      v.text = std::u16string(trim(text));
      return v;
    case SkinAttrKind::Int: {
      auto n = parseInt(text);
      if (!n) return std::nullopt;
      v.number = *n;
      return v;
    }
    case SkinAttrKind::Bool: {
      const std::u16string_view t = trim(text);
      if (t == u"true" || t == u"1") v.number = 1;
      else if (t == u"false" || t == u"0") v.number = 0;
      else return std::nullopt;
      return v;
    }
    case SkinAttrKind::Rect: {
      auto n = parseInts(text, 4);
      if (!n) return std::nullopt;
      v.rect = {(*n)[0], (*n)[1], (*n)[2], (*n)[3]};
      return v;
    }
    case SkinAttrKind::Size: {
      auto n = parseInts(text, 2);
      if (!n || (*n)[0] < 0 || (*n)[1] < 0) return std::nullopt;
      v.size = {(*n)[0], (*n)[1]};
      return v;
    }
    case SkinAttrKind::Color: {
      auto c = parseSkinColor(text);
      if (!c) return std::nullopt;
      v.number = static_cast<int>(*c);
      return v;
    }
    case SkinAttrKind::Align: {
      auto a = parseAlign(trim(text));
      if (!a) return std::nullopt;
      v.number = *a;
      return v;
    }
  }
  return std::nullopt;
}

const char* skinAttrKindName(SkinAttrKind kind) {
  switch (kind) {
    case SkinAttrKind::Text: return "text";
    case SkinAttrKind::Int: return "integer";
    case SkinAttrKind::Bool: return "true or false";
    case SkinAttrKind::Rect: return "four integers l,t,r,b";
    case SkinAttrKind::Size: return "two integers w,h";
    case SkinAttrKind::Color: return "colour #RRGGBB or #AARRGGBB";
    case SkinAttrKind::Image: return "image file name of the skin folder";
    case SkinAttrKind::Align: return "alignment words (left center right top vcenter bottom)";
  }
  return "value";
}

}  // namespace tembra
