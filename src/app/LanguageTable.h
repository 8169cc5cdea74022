#pragma once
#include <string>
#include <string_view>

namespace tembra {

// The user-visible texts of the program, looked up by message key in
// languages/language.xml beside the executable. Replacing that file
// translates the program. Nothing is cached: every lookup reads the file.
class LanguageTable {
 public:
  static LanguageTable& Instance();

  // The text of key, or the empty text when the folder of the executable is
  // not known yet, or the file, its LANGUAGE root or the key is missing.
  std::u16string GetText(std::u16string_view key) const;

  // The same lookup in the language file under folder (ending in '/').
  static std::u16string GetTextIn(const std::string& folder, std::u16string_view key);

 private:
  LanguageTable() = default;
};

}  // namespace tembra
