#include "source/SearchFold.h"

#include "platform/Utf.h"

namespace tembra {

namespace {

// The base letters of the precomposed Latin letters (U+00C0 to U+024F and
// U+1E00 to U+1EFF), from their canonical and compatibility decompositions,
// with the letters that have none ("ø", "ł", "đ", "þ", ligatures) spelled
// as they are commonly typed; nullptr: not a letter with a base.
const char* const kLatin[0x024F - 0x00C0 + 1] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e",
    "i", "i", "i", "i", "d", "n", "o", "o", "o", "o", "o", nullptr,
    "o", "u", "u", "u", "u", "y", "th", "ss", "a", "a", "a", "a",
    "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", nullptr, "o", "u", "u", "u",
    "u", "y", "th", "y", "a", "a", "a", "a", "a", "a", "c", "c",
    "c", "c", "c", "c", "c", "c", "d", "d", "d", "d", "e", "e",
    "e", "e", "e", "e", "e", "e", "e", "e", "g", "g", "g", "g",
    "g", "g", "g", "g", "h", "h", "h", "h", "i", "i", "i", "i",
    "i", "i", "i", "i", "i", "i", "ij", "ij", "j", "j", "k", "k",
    "k", "l", "l", "l", "l", "l", "l", "l", "l", "l", "l", "n",
    "n", "n", "n", "n", "n", "n", "n", "n", "o", "o", "o", "o",
    "o", "o", "oe", "oe", "r", "r", "r", "r", "r", "r", "s", "s",
    "s", "s", "s", "s", "s", "s", "t", "t", "t", "t", "t", "t",
    "u", "u", "u", "u", "u", "u", "u", "u", "u", "u", "u", "u",
    "w", "w", "y", "y", "y", "z", "z", "z", "z", "z", "z", "s",
    "b", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "c", nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "f", nullptr, nullptr, nullptr, nullptr, "i",
    nullptr, "k", "l", nullptr, nullptr, nullptr, "n", nullptr, "o", "o", nullptr, nullptr,
    nullptr, "p", nullptr, nullptr, nullptr, nullptr, nullptr, "t", nullptr, "t", nullptr, "u",
    "u", nullptr, nullptr, nullptr, "y", nullptr, "z", nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "dz", "dz", "dz", "lj",
    "lj", "lj", "nj", "nj", "nj", "a", "a", "i", "i", "o", "o", "u",
    "u", "u", "u", "u", "u", "u", "u", "u", "u", nullptr, "a", "a",
    "a", "a", nullptr, nullptr, nullptr, nullptr, "g", "g", "k", "k", "o", "o",
    "o", "o", nullptr, nullptr, "j", "dz", "dz", "dz", "g", "g", nullptr, nullptr,
    "n", "n", "a", "a", nullptr, nullptr, nullptr, nullptr, "a", "a", "a", "a",
    "e", "e", "e", "e", "i", "i", "i", "i", "o", "o", "o", "o",
    "r", "r", "r", "r", "u", "u", "u", "u", "s", "s", "t", "t",
    nullptr, nullptr, "h", "h", nullptr, nullptr, nullptr, nullptr, nullptr, "z", "a", "a",
    "e", "e", "o", "o", "o", "o", "o", "o", "o", "o", "y", "y",
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "c", "c", nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, "u", nullptr, nullptr, "e", nullptr, "j", nullptr, "q",
    nullptr, "r", nullptr, "y",
};

const char* const kLatinAdditional[0x1EFF - 0x1E00 + 1] = {
    "a", "a", "b", "b", "b", "b", "b", "b", "c", "c", "d", "d",
    "d", "d", "d", "d", "d", "d", "d", "d", "e", "e", "e", "e",
    "e", "e", "e", "e", "e", "e", "f", "f", "g", "g", "h", "h",
    "h", "h", "h", "h", "h", "h", "h", "h", "i", "i", "i", "i",
    "k", "k", "k", "k", "k", "k", "l", "l", "l", "l", "l", "l",
    "l", "l", "m", "m", "m", "m", "m", "m", "n", "n", "n", "n",
    "n", "n", "n", "n", "o", "o", "o", "o", "o", "o", "o", "o",
    "p", "p", "p", "p", "r", "r", "r", "r", "r", "r", "r", "r",
    "s", "s", "s", "s", "s", "s", "s", "s", "s", "s", "t", "t",
    "t", "t", "t", "t", "t", "t", "u", "u", "u", "u", "u", "u",
    "u", "u", "u", "u", "v", "v", "v", "v", "w", "w", "w", "w",
    "w", "w", "w", "w", "w", "w", "x", "x", "x", "x", "y", "y",
    "z", "z", "z", "z", "z", "z", "h", "t", "w", "y", nullptr, "s",
    nullptr, nullptr, "ss", nullptr, "a", "a", "a", "a", "a", "a", "a", "a",
    "a", "a", "a", "a", "a", "a", "a", "a", "a", "a", "a", "a",
    "a", "a", "a", "a", "e", "e", "e", "e", "e", "e", "e", "e",
    "e", "e", "e", "e", "e", "e", "e", "e", "i", "i", "i", "i",
    "o", "o", "o", "o", "o", "o", "o", "o", "o", "o", "o", "o",
    "o", "o", "o", "o", "o", "o", "o", "o", "o", "o", "o", "o",
    "u", "u", "u", "u", "u", "u", "u", "u", "u", "u", "u", "u",
    "u", "u", "y", "y", "y", "y", "y", "y", "y", "y", nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr,
};

const char* latinBase(char32_t c) {
  if (c >= 0x00C0 && c <= 0x024F) return kLatin[c - 0x00C0];
  if (c >= 0x1E00 && c <= 0x1EFF) return kLatinAdditional[c - 0x1E00];
  return nullptr;
}

char32_t lowerOther(char32_t c) {
  if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) return c + 0x20;  // Greek
  if (c >= 0x0410 && c <= 0x042F) return c + 0x20;                  // Cyrillic
  if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
  return c;
}

bool combiningMark(char32_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
         (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

}  // namespace

std::string SearchFold::fold(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  append(out, text);
  return out;
}

void SearchFold::append(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
      else if (c < 0x20 || c == 0x7F) c = ' ';
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (combiningMark(c)) continue;
    if (c >= 0x80 && c < 0xA0) {
      out.push_back(' ');
      continue;
    }
    if (const char* base = latinBase(c)) {
      out += base;
      continue;
    }
    appendUtf8(out, lowerOther(c));
  }
}

}  // namespace tembra
