#include "guide/GuideReplyParser.h"

#include <sys/stat.h>

#include <unordered_set>

#include "xml/XmlDocument.h"

namespace tembra {

namespace {

std::u16string childText(XmlDocument& doc, std::u16string_view name) {
  return doc.FindChild(name) ? doc.ReadChildText() : std::u16string();
}

}  // namespace

std::optional<std::vector<GuideChannelDay>> GuideReplyParser::ParseFile(const std::string& path,
                                                                        std::u16string_view dayKey,
                                                                        uint64_t maxBytes, bool* complete) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && static_cast<uint64_t>(info.st_size) > maxBytes) return std::nullopt;
  XmlDocument doc;
  doc.LoadFile(path);
  if (complete) *complete = Complete(doc);
  return Read(doc, dayKey);
}

bool GuideReplyParser::Complete(const XmlDocument& doc) {
  if (!doc.IsWellFormed()) return false;
  // The parser closes what never ended at the end of the text; a root
  // closed that way means the reply stopped in the middle.
  if (doc.ElementCount() == 0) return true;
  const XmlDocument::ElementInfo root = doc.Element(1);
  return root.level != 0 || (root.flags & XmlDocument::kUnended) == 0;
}

std::vector<GuideChannelDay> GuideReplyParser::ParseText(std::u16string_view text, std::u16string_view dayKey) {
  XmlDocument doc(text);
  return Read(doc, dayKey);
}

std::vector<GuideChannelDay> GuideReplyParser::Read(XmlDocument& doc, std::u16string_view dayKey) {
  std::vector<GuideChannelDay> channels;
  std::unordered_set<std::u16string> seen;
  doc.ResetPos();
  while (doc.FindChild(u"tv")) {
    std::u16string id = doc.ReadChildAttribute(u"id");
    if (!seen.insert(id).second) continue;
    GuideChannelDay channel;
    channel.id = std::move(id);
    channel.dayKey = std::u16string(dayKey);
    doc.EnterChild();
    channel.name = childText(doc, u"tvname");
    while (doc.FindChild(u"tvitem")) {
      doc.EnterChild();
      GuideEntry entry;
      entry.title = childText(doc, u"title");
      entry.startdate = childText(doc, u"startdate");
      entry.enddate = childText(doc, u"enddate");
      entry.starttime = childText(doc, u"starttime");
      channel.entries.push_back(std::move(entry));
      doc.LeaveToParent();
    }
    doc.LeaveToParent();
    channels.push_back(std::move(channel));
  }
  return channels;
}

}  // namespace tembra
