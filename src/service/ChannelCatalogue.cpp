#include "service/ChannelCatalogue.h"

#include <cstdint>
#include <limits>

#include "xml/XmlDocument.h"

namespace tembra {

namespace {

// Decimal like atoi: leading blanks, an optional sign, then digits up to
// the first other character; no digits give 0 and overflow clamps to the
// nearest 32-bit bound.
int32_t parseDecimal(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

// Reads the children of the channel element the document has entered. Each
// is searched after the previous one, so they must come in this order.
bool readChannelChildren(XmlDocument& doc, ChannelRecord& record) {
  if (!doc.FindChild(u"name")) return false;
  record.name = doc.ReadChildText();
  if (!doc.FindChild(u"id")) return false;
  record.id = doc.ReadChildText();
  if (!doc.FindChild(u"status")) return false;
  record.status = doc.ReadChildText();
  if (!doc.FindChild(u"vip")) return false;
  record.vip = parseDecimal(doc.ReadChildText());
  if (!doc.FindChild(u"lmk_address")) return false;
  doc.EnterChild();
  const bool found = doc.FindChild(u"item");
  if (found) record.address = doc.ReadChildText();
  doc.LeaveToParent();
  return found;
}

// The channel at the child position, or null when one of its children is
// missing. Leaves the document where the next channel search continues.
ChannelRef readChannel(XmlDocument& doc, const std::u16string& groupId) {
  auto record = std::make_shared<ChannelRecord>();
  record->groupId = groupId;
  record->language = doc.ReadChildAttribute(u"language");
  doc.EnterChild();
  const bool complete = readChannelChildren(doc, *record);
  doc.LeaveToParent();
  if (!complete) return nullptr;
  return record;
}

}  // namespace

std::shared_ptr<const ChannelCatalogue> ChannelCatalogue::Parse(std::u16string_view text) {
  auto catalogue = std::make_shared<ChannelCatalogue>();
  XmlDocument doc;
  doc.Parse(text);
  if (!doc.FindSibling(u"channels")) return catalogue;
  while (doc.FindChild(u"group")) {
    ChannelGroup group;
    group.name = doc.ReadChildAttribute(u"name");
    if (group.name.empty()) continue;
    group.id = doc.ReadChildAttribute(u"id");
    if (group.id.empty()) continue;
    group.type = doc.ReadChildAttribute(u"type");
    group.deploy = parseDecimal(doc.ReadChildAttribute(u"deploy"));
    catalogue->groups_.push_back(group);

    doc.EnterChild();
    while (doc.FindChild(u"channel")) {
      if (ChannelRef channel = readChannel(doc, group.id)) catalogue->channels_.push_back(std::move(channel));
    }
    doc.LeaveToParent();
  }
  return catalogue;
}

std::shared_ptr<const ChannelCatalogue> ChannelCatalogue::Empty() {
  static const std::shared_ptr<const ChannelCatalogue> empty = std::make_shared<ChannelCatalogue>();
  return empty;
}

std::vector<ChannelRef> ChannelCatalogue::ChannelsOfGroup(std::u16string_view groupId) const {
  std::vector<ChannelRef> result;
  for (const auto& channel : channels_)
    if (channel->groupId == groupId) result.push_back(channel);
  return result;
}

ChannelRef ChannelCatalogue::FindChannel(std::u16string_view id) const {
  for (const auto& channel : channels_)
    if (channel->id == id) return channel;
  return nullptr;
}

// Every channel with the id moves one walk over the groups forward until it
// reaches a group with the channel's group id; the walk never restarts. The
// answer is the group the walk last reached: the match, or the last group
// when the walk ran out. No channel with the id (or no group) gives none.
std::optional<ChannelGroup> ChannelCatalogue::FindGroupOfChannel(std::u16string_view id) const {
  size_t next = 0;
  const ChannelGroup* reached = nullptr;
  for (const auto& channel : channels_) {
    if (channel->id != id) continue;
    // The walk resumes at the group the previous match stopped on, so a
    // second channel of that id in the same group finds that group again
    // rather than running past it to the last group.
    while (next < groups_.size()) {
      reached = &groups_[next];
      if (reached->id == channel->groupId) break;
      ++next;
    }
  }
  if (reached == nullptr) return std::nullopt;
  return *reached;
}

}  // namespace tembra
