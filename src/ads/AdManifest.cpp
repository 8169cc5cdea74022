#include "ads/AdManifest.h"

#include "xml/XmlDocument.h"

namespace tembra {

std::optional<std::vector<AdEntry>> AdManifest::Parse(std::u16string_view text) {
  XmlDocument doc(text);
  doc.ResetPos();
  if (!doc.FindSibling(u"result")) return std::nullopt;
  std::vector<AdEntry> ads;
  while (doc.FindChild(u"ad")) {
    doc.EnterChild();
    AdEntry ad;
    if (doc.FindChild(u"key")) ad.key = doc.ReadChildText();
    if (doc.FindChild(u"type")) ad.type = doc.ReadChildText();
    if (doc.FindChild(u"modifyTime")) ad.modifyTime = doc.ReadChildText();
    if (doc.FindChild(u"filePath")) ad.filePath = doc.ReadChildText();
    ads.push_back(std::move(ad));
    doc.LeaveToParent();
  }
  return ads;
}

}  // namespace tembra
