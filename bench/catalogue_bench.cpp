// Catalogue parsing: ChannelCatalogue::Parse of a large reply (UTF-16, as the
// client holds it) against building the same records with pugixml from the
// UTF-8 bytes, measured in the same run. Best of several runs after a warm-up.
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "service/ChannelCatalogue.h"

using namespace tembra;

namespace {

constexpr int kGroups = 100;
constexpr int kChannelsPerGroup = 200;
constexpr int kRuns = 7;

std::string makeReply() {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<channels>\n";
  int channelId = 1000;
  for (int g = 0; g < kGroups; ++g) {
    xml += "  <group name=\"Gruppe " + std::to_string(g) + " &amp; Ümlaut\" id=\"" + std::to_string(g + 1) +
           "\" type=\"live\" deploy=\"" + std::to_string(g % 3) + "\">\n";
    for (int c = 0; c < kChannelsPerGroup; ++c, ++channelId) {
      xml += "    <channel language=\"de\">\n      <name>Kanal " + std::to_string(channelId) +
             " Привет</name>\n      <id>" + std::to_string(channelId) +
             "</id>\n      <status>1</status>\n      <vip>" + std::to_string(c % 2) +
             "</vip>\n      <lmk_address>\n        <item>"
             "515BE2C7BD777608589B42513B312A2955FE4F9ED8DB4376D2930633436FB8980F0ED31FF040C063"
             "</item>\n      </lmk_address>\n    </channel>\n";
    }
    xml += "  </group>\n";
  }
  xml += "</channels>\n";
  return xml;
}

int32_t atoiClamped(const char* s) {
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  int64_t v = 0;
  for (; *s >= '0' && *s <= '9'; ++s) v = std::min<int64_t>(v * 10 + (*s - '0'), 2147483648LL);
  if (negative) v = -v;
  return static_cast<int32_t>(std::min<int64_t>(v, 2147483647LL));
}

// The next element sibling named name at or after node (forward-only, as the
// catalogue's own reader searches).
pugi::xml_node findFrom(pugi::xml_node node, const char* name) {
  for (; node; node = node.next_sibling())
    if (node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0) return node;
  return {};
}

struct PugiCatalogue {
  std::vector<ChannelGroup> groups;
  std::vector<ChannelRef> channels;
};

PugiCatalogue parseWithPugi(const std::string& utf8) {
  PugiCatalogue out;
  pugi::xml_document doc;
  doc.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
  pugi::xml_node root = findFrom(doc.first_child(), "channels");
  if (!root) return out;
  for (pugi::xml_node g = findFrom(root.first_child(), "group"); g; g = findFrom(g.next_sibling(), "group")) {
    ChannelGroup group;
    group.name = fromUtf8(g.attribute("name").value());
    if (group.name.empty()) continue;
    group.id = fromUtf8(g.attribute("id").value());
    if (group.id.empty()) continue;
    group.type = fromUtf8(g.attribute("type").value());
    group.deploy = atoiClamped(g.attribute("deploy").value());
    out.groups.push_back(group);
    for (pugi::xml_node c = findFrom(g.first_child(), "channel"); c; c = findFrom(c.next_sibling(), "channel")) {
      auto record = std::make_shared<ChannelRecord>();
      record->groupId = group.id;
      record->language = fromUtf8(c.attribute("language").value());
      pugi::xml_node n = findFrom(c.first_child(), "name");
      if (!n) continue;
      record->name = fromUtf8(n.child_value());
      n = findFrom(n.next_sibling(), "id");
      if (!n) continue;
      record->id = fromUtf8(n.child_value());
      n = findFrom(n.next_sibling(), "status");
      if (!n) continue;
      record->status = fromUtf8(n.child_value());
      n = findFrom(n.next_sibling(), "vip");
      if (!n) continue;
      record->vip = atoiClamped(n.child_value());
      n = findFrom(n.next_sibling(), "lmk_address");
      if (!n) continue;
      pugi::xml_node item = findFrom(n.first_child(), "item");
      if (!item) continue;
      record->address = fromUtf8(item.child_value());
      out.channels.push_back(std::move(record));
    }
  }
  return out;
}

template <typename F>
double bestMs(F&& f) {
  double best = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

}  // namespace

int main() {
  const std::string utf8 = makeReply();
  const std::u16string utf16 = fromUtf8(utf8);

  // Warm up both and check that they agree before timing anything.
  const auto ours = ChannelCatalogue::Parse(utf16);
  const PugiCatalogue theirs = parseWithPugi(utf8);
  const size_t expected = static_cast<size_t>(kGroups) * kChannelsPerGroup;
  if (ours->channels().size() != expected || theirs.channels.size() != expected ||
      ours->groups().size() != theirs.groups.size() ||
      ours->channels().back()->name != theirs.channels.back()->name ||
      ours->channels().back()->address != theirs.channels.back()->address ||
      ours->groups().front().name != theirs.groups.front().name) {
    std::fprintf(stderr, "catalogue_bench: the two parsers disagree (%zu vs %zu channels)\n",
                 ours->channels().size(), theirs.channels.size());
    return 1;
  }

  size_t sink = 0;
  const double oursMs = bestMs([&] { sink += ChannelCatalogue::Parse(utf16)->channels().size(); });
  const double pugiMs = bestMs([&] { sink += parseWithPugi(utf8).channels.size(); });

  std::printf("catalogue: %d groups x %d channels, %zu UTF-8 bytes, %zu UTF-16 units\n", kGroups,
              kChannelsPerGroup, utf8.size(), utf16.size());
  std::printf("ChannelCatalogue::Parse   best of %d: %.2f ms\n", kRuns, oursMs);
  std::printf("pugixml + same records    best of %d: %.2f ms\n", kRuns, pugiMs);
  std::printf("(checksum %zu)\n", sink);
  std::printf("ratio catalogue_parse %.3f goal 1.2\n", oursMs / pugiMs);
  return 0;
}
