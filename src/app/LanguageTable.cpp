#include "app/LanguageTable.h"

#include "platform/ModulePath.h"
#include "xml/XmlDocument.h"

namespace tembra {

LanguageTable& LanguageTable::Instance() {
  // Never destroyed: lookups may come from anywhere until the process ends.
  static LanguageTable* table = new LanguageTable();
  return *table;
}

std::u16string LanguageTable::GetText(std::u16string_view key) const {
  return GetTextIn(ModulePath::folder(), key);
}

std::u16string LanguageTable::GetTextIn(const std::string& folder, std::u16string_view key) {
  // An empty name would match any element and hand back some other text.
  if (folder.empty() || key.empty()) return {};
  XmlDocument doc;
  doc.LoadFile(folder + "languages/language.xml");
  doc.ResetPos();
  if (!doc.FindSibling(u"LANGUAGE")) return {};
  if (!doc.FindChild(key)) return {};
  if (!doc.EnterChild()) return {};
  return doc.ReadText();
}

}  // namespace tembra
