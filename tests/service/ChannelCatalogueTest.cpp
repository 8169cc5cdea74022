#include <gtest/gtest.h>

#include <string>

#include "service/ChannelCatalogue.h"
#include "service/ChannelViewList.h"

namespace tembra {
namespace {

std::u16string channel(const std::u16string& id, const std::u16string& name,
                       const std::u16string& item = u"AB12") {
  return u"<channel language=\"en\"><name>" + name + u"</name><id>" + id +
         u"</id><status>1</status><vip>0</vip><lmk_address><item>" + item +
         u"</item></lmk_address></channel>";
}

std::u16string group(const std::u16string& id, const std::u16string& name, const std::u16string& body) {
  return u"<group name=\"" + name + u"\" id=\"" + id + u"\" type=\"tv\" deploy=\"1\">" + body + u"</group>";
}

std::u16string channels(const std::u16string& body) { return u"<channels>" + body + u"</channels>"; }

std::vector<std::u16string> ids(const std::vector<ChannelRef>& list) {
  std::vector<std::u16string> out;
  for (const auto& c : list) out.push_back(c->id);
  return out;
}

TEST(ChannelCatalogue, ReadsEveryFieldInDocumentOrder) {
  const auto cat = ChannelCatalogue::Parse(
      u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      u"<channels>\n"
      u" <group name=\"News &amp; Talk\" id=\"g1\" type=\"live\" deploy=\"42\">\n"
      u"  <channel language=\"de\">\n"
      u"   <name>Eins</name><id>c1</id><status>on</status><vip>3</vip>\n"
      u"   <lmk_address><item>00FF</item></lmk_address>\n"
      u"  </channel>\n"
      u"  <channel><name>Zwei</name><id>c2</id><status/><vip>0</vip>"
      u"<lmk_address><item>11</item></lmk_address></channel>\n"
      u" </group>\n"
      u" <group name=\"Sport\" id=\"g2\">" + channel(u"c3", u"Drei") + u"</group>\n"
      u"</channels>\n");
  EXPECT_EQ(cat->loaded(), 1);
  ASSERT_EQ(cat->groups().size(), 2u);
  const ChannelGroup& g1 = cat->groups()[0];
  EXPECT_EQ(g1.id, u"g1");
  EXPECT_EQ(g1.name, u"News & Talk");
  EXPECT_EQ(g1.type, u"live");
  EXPECT_EQ(g1.deploy, 42);
  EXPECT_EQ(cat->groups()[1].type, u"");
  EXPECT_EQ(cat->groups()[1].deploy, 0);

  ASSERT_EQ(ids(cat->channels()), (std::vector<std::u16string>{u"c1", u"c2", u"c3"}));
  const ChannelRecord& c1 = *cat->channels()[0];
  EXPECT_EQ(c1.groupId, u"g1");
  EXPECT_EQ(c1.language, u"de");
  EXPECT_EQ(c1.name, u"Eins");
  EXPECT_EQ(c1.status, u"on");
  EXPECT_EQ(c1.vip, 3);
  EXPECT_EQ(c1.address, u"00FF");
  EXPECT_EQ(cat->channels()[1]->language, u"");
  EXPECT_EQ(cat->channels()[1]->status, u"");
  EXPECT_EQ(cat->channels()[2]->groupId, u"g2");
}

TEST(ChannelCatalogue, UnusableTextsGiveAnEmptyCatalogue) {
  for (const std::u16string& text :
       {std::u16string(), std::u16string(u"not xml at all"),
        u"<catalogue>" + group(u"g", u"G", channel(u"c", u"C")) + u"</catalogue>",
        u"<Channels>" + group(u"g", u"G", channel(u"c", u"C")) + u"</Channels>",
        channels(u"<group name=\"G\" id=\"g\"><channel><name>x</name>"),  // truncated reply
        std::u16string(u"<channels")}) {
    const auto cat = ChannelCatalogue::Parse(text);
    ASSERT_NE(cat, nullptr);
    EXPECT_EQ(cat->loaded(), 0) << std::string(text.begin(), text.end());
    EXPECT_TRUE(cat->channels().empty());
  }
  EXPECT_TRUE(ChannelCatalogue::Parse(u"<root/>")->groups().empty());
  EXPECT_EQ(ChannelCatalogue::Empty()->loaded(), 0);
  EXPECT_TRUE(ChannelCatalogue::Empty()->groups().empty());
}

TEST(ChannelCatalogue, GroupsNeedNameAndIdButStayWithoutValidChannels) {
  const auto cat = ChannelCatalogue::Parse(channels(
      u"<group name=\"NoId\">" + channel(u"a", u"A") + u"</group>" +
      u"<group id=\"noname\">" + channel(u"b", u"B") + u"</group>" +
      u"<group name=\"\" id=\"emptyname\">" + channel(u"c", u"C") + u"</group>" +
      u"<group name=\"Blank\" id=\"\">" + channel(u"d", u"D") + u"</group>" +
      group(u"g-empty", u"Empty", u"<channel><name>x</name></channel>") +
      u"<group NAME=\"Upper\" ID=\"upper\">" + channel(u"e", u"E") + u"</group>" +
      u"<Group name=\"Cap\" id=\"cap\">" + channel(u"f", u"F") + u"</Group>" +
      group(u"g-ok", u"Ok", channel(u"g", u"G"))));
  ASSERT_EQ(cat->groups().size(), 2u);
  EXPECT_EQ(cat->groups()[0].id, u"g-empty");
  EXPECT_EQ(cat->groups()[1].id, u"g-ok");
  EXPECT_EQ(ids(cat->channels()), std::vector<std::u16string>{u"g"});

  const auto onlyEmpty = ChannelCatalogue::Parse(channels(group(u"g", u"G", u"")));
  EXPECT_EQ(onlyEmpty->groups().size(), 1u);
  EXPECT_EQ(onlyEmpty->loaded(), 0);
}

TEST(ChannelCatalogue, ChannelChildrenAreSearchedForwardAndCaseSensitively) {
  const std::u16string tail = u"<status>1</status><vip>0</vip><lmk_address><item>A</item></lmk_address>";
  const auto cat = ChannelCatalogue::Parse(channels(group(
      u"g", u"G",
      u"<channel><id>idfirst</id><name>IdFirst</name>" + tail + u"</channel>" +
          u"<channel><Name>Cap</Name><id>cap</id>" + tail + u"</channel>" +
          u"<channel><name>NoStatus</name><id>nostatus</id><vip>0</vip>"
          u"<lmk_address><item>A</item></lmk_address></channel>" +
          u"<channel><name>VipFirst</name><id>vipfirst</id><vip>0</vip><status>1</status>"
          u"<lmk_address><item>A</item></lmk_address></channel>" +
          u"<channel><name>NoAddr</name><id>noaddr</id><status>1</status><vip>0</vip></channel>" +
          u"<channel><name>NoItem</name><id>noitem</id><status>1</status><vip>0</vip>"
          u"<lmk_address><entry>A</entry></lmk_address></channel>" +
          u"<channel><name>AddrFirst</name><lmk_address><item>A</item></lmk_address><id>addrfirst</id>"
          u"<status>1</status><vip>0</vip></channel>" +
          u"<channel language=\"fr\"><note>skip</note><name>Extra</name><!-- c --><x/><id>extra</id>"
          u"<logo>l.png</logo><status>2</status><y><name>inner</name></y><vip>5</vip><z/>"
          u"<lmk_address><other>o</other><item>FIRST</item><item>SECOND</item></lmk_address>"
          u"<more/></channel>" +
          u"<Channel><name>CapChannel</name><id>capchannel</id>" + tail + u"</Channel>" +
          channel(u"last", u"Last"))));
  ASSERT_EQ(ids(cat->channels()), (std::vector<std::u16string>{u"extra", u"last"}));
  const ChannelRecord& extra = *cat->channels()[0];
  EXPECT_EQ(extra.name, u"Extra");
  EXPECT_EQ(extra.language, u"fr");
  EXPECT_EQ(extra.status, u"2");
  EXPECT_EQ(extra.vip, 5);
  EXPECT_EQ(extra.address, u"FIRST");
  // A skipped channel does not disturb the search for the one after it.
  EXPECT_EQ(cat->channels()[1]->address, u"AB12");
}

TEST(ChannelCatalogue, NumbersReadLikeAtoiAndClamp) {
  struct Case {
    const char16_t* text;
    int32_t value;
  } cases[] = {{u"12", 12},         {u"  -7", -7},          {u"+9x", 9},
               {u"abc", 0},         {u"", 0},               {u"1 2", 1},
               {u"- 3", 0},         {u"2147483647", 2147483647},
               {u"2147483648", 2147483647},                  {u"-2147483648", -2147483647 - 1},
               {u"-99999999999999999999", -2147483647 - 1},  {u"99999999999999999999", 2147483647},
               {u"\t\n 0012", 12},  {u"\x0663", 0}};
  for (const auto& c : cases) {
    const std::u16string text(c.text);
    const auto cat = ChannelCatalogue::Parse(channels(
        u"<group name=\"G\" id=\"g\" deploy=\"" + text + u"\"><channel><name>n</name><id>i</id>"
        u"<status/><vip>" + text + u"</vip><lmk_address><item/></lmk_address></channel></group>"));
    ASSERT_EQ(cat->channels().size(), 1u);
    EXPECT_EQ(cat->groups()[0].deploy, c.value) << std::string(text.begin(), text.end());
    EXPECT_EQ(cat->channels()[0]->vip, c.value) << std::string(text.begin(), text.end());
  }
}

TEST(ChannelCatalogue, QueriesByGroupAndId) {
  const auto cat = ChannelCatalogue::Parse(channels(
      group(u"g1", u"One", channel(u"1", u"Same") + channel(u"2", u"Other") + channel(u"dup", u"D1")) +
      group(u"g2", u"Two", channel(u"3", u"Same") + channel(u"dup", u"D2")) + group(u"g3", u"Three", u"")));
  EXPECT_EQ(ids(cat->ChannelsOfGroup(u"g1")), (std::vector<std::u16string>{u"1", u"2", u"dup"}));
  EXPECT_EQ(ids(cat->ChannelsOfGroup(u"g2")), (std::vector<std::u16string>{u"3", u"dup"}));
  EXPECT_TRUE(cat->ChannelsOfGroup(u"g3").empty());
  EXPECT_TRUE(cat->ChannelsOfGroup(u"G1").empty());
  EXPECT_TRUE(cat->ChannelsOfGroup(u"").empty());

  ASSERT_NE(cat->FindChannel(u"3"), nullptr);
  EXPECT_EQ(cat->FindChannel(u"3")->name, u"Same");
  EXPECT_EQ(cat->FindChannel(u"3")->groupId, u"g2");
  EXPECT_EQ(cat->FindChannel(u"dup")->name, u"D1");
  EXPECT_EQ(cat->FindChannel(u"missing"), nullptr);
  EXPECT_EQ(cat->FindChannel(u""), nullptr);
  EXPECT_EQ(ChannelCatalogue::Empty()->FindChannel(u"1"), nullptr);
}

TEST(ChannelCatalogue, GroupOfChannelFollowsOneForwardWalk) {
  const auto cat = ChannelCatalogue::Parse(channels(
      group(u"a", u"A", channel(u"x", u"X") + channel(u"twice", u"T1") + channel(u"twice", u"T2")) +
      group(u"b", u"B", channel(u"y", u"Y") + channel(u"both", u"B1")) +
      group(u"c", u"C", channel(u"both", u"B2")) + group(u"d", u"D", u"")));
  auto groupName = [&](std::u16string_view id) {
    auto g = cat->FindGroupOfChannel(id);
    return g ? g->name : u"<none>";
  };
  EXPECT_EQ(groupName(u"x"), u"A");
  EXPECT_EQ(groupName(u"y"), u"B");
  // Two channels with one id in different groups: the walk moves on to the later one.
  EXPECT_EQ(groupName(u"both"), u"C");
  // Two in the same group: the second search resumes at that group and
  // finds it again (not the last group of the list).
  EXPECT_EQ(groupName(u"twice"), u"A");
  EXPECT_EQ(groupName(u"nope"), u"<none>");
  EXPECT_FALSE(ChannelCatalogue::Empty()->FindGroupOfChannel(u"x").has_value());

  // Two groups sharing an id: the walk stops at the first of them.
  const auto shared = ChannelCatalogue::Parse(
      channels(group(u"s", u"First", u"") + group(u"s", u"Second", channel(u"z", u"Z"))));
  auto g = shared->FindGroupOfChannel(u"z");
  ASSERT_TRUE(g.has_value());
  EXPECT_EQ(g->name, u"First");
}

TEST(ChannelViewList, KeepsTheFirstChannelOfEachNameAcrossLoads) {
  ChannelViewList view;
  {
    const auto first = ChannelCatalogue::Parse(channels(
        group(u"g1", u"One", channel(u"1", u"Alpha") + channel(u"2", u"Beta")) +
        group(u"g2", u"Two", channel(u"3", u"Alpha") + channel(u"4", u"Gamma"))));
    view.Merge(*first);
    EXPECT_EQ(ids(view.items()), (std::vector<std::u16string>{u"1", u"2", u"4"}));
    view.Merge(*first);
    EXPECT_EQ(ids(view.items()), (std::vector<std::u16string>{u"1", u"2", u"4"}));
  }

  const auto second = ChannelCatalogue::Parse(channels(
      group(u"g9", u"Nine", channel(u"40", u"Gamma") + channel(u"50", u"Delta") + channel(u"10", u"alpha"))));
  view.Merge(*second);
  ASSERT_EQ(ids(view.items()), (std::vector<std::u16string>{u"1", u"2", u"4", u"50", u"10"}));
  // The old record of Gamma stays, still alive though its catalogue is gone.
  const ChannelRecord* gamma = view.items()[2].get();
  EXPECT_EQ(gamma->groupId, u"g2");
  EXPECT_EQ(view.items()[3].get(), second->channels()[1].get());

  view.Merge(*ChannelCatalogue::Empty());
  EXPECT_EQ(view.items().size(), 5u);
}

}  // namespace
}  // namespace tembra
