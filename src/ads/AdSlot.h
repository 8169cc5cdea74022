#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tembra {

// One of the two advertisement slots and the forms of its stored value.
//
// The value under the slot's key in config.ini is either
//   package form: "<time><EOF>Advertise\Fix\index.html" (the page unpacked
//                 from the package, relative to the program folder), or
//   link form:    the page address alone, without "<EOF>".
// Readers show the text after the first "<EOF>" when there is one, else the
// whole value, and map '\' to '/' before opening a local page.
struct AdSlot {
  std::u16string_view key;          // "WEB_TV_AD_RIGHT" or "WEB_TV_AD_POP"
  std::u16string_view storedFolder; // as written into the value: "Advertise\Fix"
  std::string_view folder;          // below the program folder: "Advertise/Fix"
  std::string_view packageFile;     // below the program folder: "Advertise/Fix.zip"
  bool notifiesWindow;              // the right pane is reloaded after its ad

  static const AdSlot& Right();
  static const AdSlot& Pop();
  // The slot of a manifest key (exact, case-sensitive); null for any other.
  static const AdSlot* Find(std::u16string_view key);

  // Signed decimal with leading blanks and a sign allowed, read up to the
  // first other character; no digits give 0, overflow saturates.
  static int64_t ParseNumber(std::u16string_view text);
  // The time part of a stored value: the text before the first "<EOF>", or
  // 0 for a value without one (link form, or no value).
  static int64_t StoredTime(std::u16string_view value);
  // The page part of a stored value (what the right pane shows).
  static std::u16string_view PagePart(std::u16string_view value);
  // "<time><EOF><storedFolder>\index.html".
  std::u16string PackageValue(int64_t modifyTime) const;
};

}  // namespace tembra
