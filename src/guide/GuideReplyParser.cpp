#include "guide/GuideReplyParser.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <unordered_set>

#include "platform/UniqueFd.h"
#include "xml/XmlDocument.h"

namespace tembra {

namespace {

std::u16string childText(XmlDocument& doc, std::u16string_view name) {
  return doc.FindChild(name) ? doc.ReadChildText() : std::u16string();
}

}  // namespace

std::optional<GuideReplyReader::Result> GuideReplyParser::LoadFile(const std::string& path,
                                                                  std::u16string_view dayKey, uint64_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return GuideReplyReader::Result{GuideDayList::Builder(std::u16string(dayKey)).Build(), false};
  UniqueFd file(fd);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && static_cast<uint64_t>(info.st_size) > maxBytes) return std::nullopt;
  GuideReplyReader reader{std::u16string(dayKey)};
  std::vector<char> block(kReadBlockBytes);
  uint64_t total = 0;
  for (;;) {
    const ssize_t n = ::read(fd, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return GuideReplyReader::Result{GuideDayList::Builder(std::u16string(dayKey)).Build(), false};
    if (n == 0) break;
    total += static_cast<uint64_t>(n);
    // The size may change under us: what is read counts.
    if (total > maxBytes) return std::nullopt;
    reader.Feed(std::string_view(block.data(), static_cast<size_t>(n)));
  }
  return reader.Finish();
}

std::optional<std::vector<GuideChannelDay>> GuideReplyParser::ParseFile(const std::string& path,
                                                                        std::u16string_view dayKey,
                                                                        uint64_t maxBytes, bool* complete) {
  std::optional<GuideReplyReader::Result> read = LoadFile(path, dayKey, maxBytes);
  if (!read) return std::nullopt;
  if (complete) *complete = read->complete;
  return read->list->channels();
}

std::vector<GuideChannelDay> GuideReplyParser::ParseText(std::u16string_view text, std::u16string_view dayKey) {
  GuideReplyReader reader{std::u16string(dayKey)};
  reader.FeedText(text);
  return reader.Finish().list->channels();
}

bool GuideReplyParser::Complete(const XmlDocument& doc) {
  if (!doc.IsWellFormed()) return false;
  // The parser closes what never ended at the end of the text; a root
  // closed that way means the reply stopped in the middle.
  if (doc.ElementCount() == 0) return true;
  const XmlDocument::ElementInfo root = doc.Element(1);
  return root.level != 0 || (root.flags & XmlDocument::kUnended) == 0;
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
