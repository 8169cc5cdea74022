#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tembra {

// Character references and the HTML named character entities.
class XmlEntities {
 public:
  // Code point of a named entity, or 0 when the name is unknown. The name
  // is looked up as written and then with ASCII letters lower-cased, so
  // "Alpha" is the capital letter while "AMP" still reads as '&'.
  static uint32_t Lookup(std::u16string_view name);

  // The character a reference body (the text between '&' and ';') stands
  // for, or 0: "#" decimal digits, "#x" hexadecimal digits, or a name.
  // Code points 0, surrogates and values above 0x10FFFF are no reference.
  static uint32_t Resolve(std::u16string_view body);

  // Appends text to out with every reference replaced. An ampersand that
  // starts no known reference of at most 9 characters before ';' stays.
  static void DecodeAppend(std::u16string_view text, std::u16string& out);
  static std::u16string Decode(std::u16string_view text);

  // Number of named entities in the table.
  static size_t Count();
};

}  // namespace tembra
