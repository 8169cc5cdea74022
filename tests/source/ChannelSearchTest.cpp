#include "source/ChannelSearch.h"

#include <gtest/gtest.h>

#include "source/SearchFold.h"

namespace tembra {
namespace {

TEST(SearchFold, LowersAndDropsLatinAccents) {
  struct Case {
    std::u16string in;
    std::string out;
  };
  const Case cases[] = {
      {u"BBC One", "bbc one"},
      {u"Télé Évasion", "tele evasion"},
      {u"ÀÁÂÃÄÅ àáâãäå", "aaaaaa aaaaaa"},
      {u"Straße", "strasse"},
      {u"Øresund Łódź", "oresund lodz"},
      {u"Ærø Œuvre", "aero oeuvre"},
      {u"ČT Šport Žilina", "ct sport zilina"},
      {u"Việt Nam", "viet nam"},
      {u"Cafe\u0301", "cafe"},          // a decomposed accent
      {u"ΑΘΗΝΑ Москва", "αθηνα москва"},  // capitals of other scripts lowered
      {u"a\tb\nc", "a b c"},             // controls never reach the index
      {u"\xD800x", "\xEF\xBF\xBDx"},     // a lone surrogate
      {u"😀", "\xF0\x9F\x98\x80"},
      {u"× ÷", "\xC3\x97 \xC3\xB7"},     // signs in the Latin block stay
  };
  for (const Case& c : cases) EXPECT_EQ(SearchFold::fold(c.in), c.out) << SearchFold::fold(c.in);
}

struct Channel {
  std::u16string name;
  std::optional<int> number;
  std::u16string group;
};

const std::vector<Channel> kChannels = {
    {u"BBC One", 1, u"News & Général"},       // 0
    {u"CNN International", 12, u"News & Général"},  // 1
    {u"Télé Évasion", 112, u"Français"},      // 2
    {u"Sky 12", 7, u"Sport"},                 // 3
    {u"Canal+ Sport", 40, u"Français"},       // 4
    {u"Arte", std::nullopt, u""},             // 5
    {u"Eurosport 1", 120, u"Sport"},          // 6
};

ChannelSearch indexOf(const std::vector<Channel>& channels) {
  std::vector<ChannelSearch::Entry> entries;
  for (const Channel& c : channels) entries.push_back({c.name, c.number, c.group});
  ChannelSearch index;
  index.build(entries);
  return index;
}

TEST(ChannelSearch, FindsByNameNumberAndGroupIgnoringCaseAndAccents) {
  struct Case {
    std::u16string query;
    std::vector<uint32_t> rows;
  };
  const Case cases[] = {
      {u"bbc", {0}},
      {u"TELE", {2}},
      {u"évasion", {2}},
      {u"EVASION", {2}},
      {u"general", {0, 1}},          // the group's name
      {u"francais", {2, 4}},         // the group's name, accents folded
      {u"sport", {3, 4, 6}},
      {u"12", {1, 2, 3, 6}},         // number 12 first, then the rest in order
      {u"112", {2}},
      {u"1", {0, 1, 2, 3, 6}},       // number 1 first
      {u"sport fr", {4}},            // every word somewhere
      {u"  arte  ", {5}},
      {u"nothing like it", {}},
      {u"", {}},
      {u"   ", {}},
  };
  ChannelSearch index = indexOf(kChannels);
  for (const Case& c : cases) {
    // A fresh index each time, and the shared one in turn: narrowing must not
    // change what a query finds.
    EXPECT_EQ(indexOf(kChannels).find(c.query), c.rows) << std::string(c.query.begin(), c.query.end());
    EXPECT_EQ(index.find(c.query), c.rows) << std::string(c.query.begin(), c.query.end());
  }
}

TEST(ChannelSearch, NameStartsComeBeforeOtherMatches) {
  ChannelSearch index = indexOf({{u"Discovery Sport", 1, u""}, {u"Sport 1", 2, u""}, {u"Eurosport", 3, u""}});
  EXPECT_EQ(index.find(u"sport"), (std::vector<uint32_t>{1, 0, 2}));
}

TEST(ChannelSearch, TypingAndErasingKeepsTheSameAnswersAsFreshQueries) {
  std::vector<Channel> many;
  for (int i = 0; i < 3000; ++i)
    many.push_back({u"Chaîne " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u" " +
                        std::u16string(1, static_cast<char16_t>(u'a' + (i / 26) % 26)),
                    i + 1, i % 2 ? u"Musique" : u"Cinéma"});
  ChannelSearch typed = indexOf(many);
  const std::u16string steps[] = {u"c", u"ch", u"cha", u"chai", u"chaine", u"chaine b", u"chaine b q",
                                  u"chaine b", u"chaine", u"cine", u"cinema", u"musique z", u"m", u"", u"2999"};
  for (const std::u16string& q : steps) {
    const std::vector<uint32_t> got = typed.find(q);
    EXPECT_EQ(got, indexOf(many).find(q)) << std::string(q.begin(), q.end());
  }
  EXPECT_EQ(typed.find(u"2999").front(), 2998u);
}

TEST(ChannelSearch, AnEmptyIndexAndOverlongQueriesFindNothingAndDoNotFail) {
  ChannelSearch empty;
  EXPECT_TRUE(empty.find(u"a").empty());
  ChannelSearch index = indexOf(kChannels);
  EXPECT_TRUE(index.find(std::u16string(100000, u'a')).empty());
  EXPECT_EQ(index.find(std::u16string(1, u'\x1f') + u"bbc"), (std::vector<uint32_t>{0}));
}

}  // namespace
}  // namespace tembra
