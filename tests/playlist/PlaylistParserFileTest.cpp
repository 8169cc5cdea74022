// Whole playlists: lines and encodings, headers and guides, groups, the
// shape of entries, relative addresses, damaged and oversized input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/PlaylistParser.h"
#include "playlist/PlaylistTestUtil.h"
#include "playlist/Utf8Repair.h"

namespace tembra {
namespace {

using playlisttest::describe;
using playlisttest::joined;

TEST(PlaylistParserFile, LinesWithBomCrLfBlanksAndNoHeader) {
  const std::vector<std::string> expected = {"name=One url=http://s/1 tvgId=a", "name=Two url=http://s/2"};
  for (const std::string& text : {
           std::string("\xEF\xBB\xBF#EXTINF:-1 tvg-id=\"a\",One\r\n\r\n\t  http://s/1  \t\r\n"
                       "  #EXTINF:-1,Two\r\n  \r\n\r\nhttp://s/2\r\n"),
           std::string("#EXTINF:-1 tvg-id=\"a\",One\nhttp://s/1\n#EXTINF:-1,Two\nhttp://s/2"),
           std::string("\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1 tvg-id=a,One\r\nhttp://s/1\r\n"
                       "#EXTINF:-1,Two\r\nhttp://s/2\r\n"),
       }) {
    EXPECT_EQ(describe(PlaylistParser::parse(text, "/tv")), expected) << text;
  }
  EXPECT_TRUE(PlaylistParser::parse("", "/tv").channels.empty());
  EXPECT_TRUE(PlaylistParser::parse("\xEF\xBB\xBF", "/tv").channels.empty());
  EXPECT_TRUE(PlaylistParser::parse("#EXTM3U\n", "/tv").channels.empty());
}

TEST(PlaylistParserFile, HeadersNameGuides) {
  const struct {
    std::string text;
    std::string guides;
  } cases[] = {
      {"#EXTM3U url-tvg=\"http://g/1.xml, http://g/2.xml\" x-tvg-url=\"http://g/3.xml,http://g/1.xml\"",
       "http://g/1.xml http://g/2.xml http://g/3.xml"},
      {"#EXTM3U x-tvg-url=\"b\" url-tvg=\"a\"", "a b"},
      {"#EXTM3U url-tvg=\" , a ,, a , \"", "a"},
      {"#EXTM3U URL-TVG=http://g/x.xml.gz tvg-shift=1", "http://g/x.xml.gz"},
      {"#EXTM3U url-tvg=http://g/a.xml,http://g/b.xml", "http://g/a.xml"},  // a bare value ends at the comma
      {"#EXTM3U url-tvg=\"\"", ""},
      {"#EXTM3U", ""},
      {"#EXTM3Ux url-tvg=\"a\"", ""},  // not a header
      {"#EXTM3U url-tvg=\"a\"\n#EXTINF:-1,T\nhttp://s/1\n#EXTM3U x-tvg-url=\"b,a\" url-tvg=c", "a c b"},
      {"\xEF\xBB\xBF#extm3u\turl-tvg=\"a\"", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(joined(PlaylistParser::parse(c.text, "/tv").guides), c.guides) << c.text;

  std::string many = "#EXTM3U url-tvg=\"";
  for (int i = 0; i < 500; ++i) many += "http://g/" + std::to_string(i) + ".xml,";
  EXPECT_EQ(PlaylistParser::parse(many + "\"", "/tv").guides.size(), PlaylistParser::kMaxGuides);
}

TEST(PlaylistParserFile, ALaterHeaderChangesTheDefaultsOfTheEntriesAfterIt) {
  const Playlist playlist = PlaylistParser::parse(
      "#EXTM3U url-tvg=\"a\"\n#EXTINF:-1,Before\nhttp://s/1\n"
      "#EXTM3U url-tvg=\"b\" tvg-shift=\"1\"\n#EXTINF:-1,After\nhttp://s/2\n",
      "/tv");
  EXPECT_EQ(joined(playlist.guides), "a b");
  EXPECT_EQ(describe(playlist), (std::vector<std::string>{"name=Before url=http://s/1",
                                                          "name=After url=http://s/2 shift=1"}));
}

TEST(PlaylistParserFile, GroupsFromGroupTitleElseExtGrp) {
  const Playlist playlist = PlaylistParser::parse(
      "#EXTM3U\n"
      "#EXTINF:-1 group-title=\"News;World; ;News\",A\nhttp://s/a\n"
      "#EXTINF:-1 group-title=\"\",B\n#EXTGRP:Films\nhttp://s/b\n"
      "#EXTINF:-1 group-title=\"Sport\",C\n#EXTGRP:Ignored\nhttp://s/c\n"
      "#EXTINF:-1,D\nhttp://s/d\n"
      "#EXTGRP:Outside\n"
      "#EXTINF:-1 group-title=\";;\",E\n#EXTGRP:  Kids  \nhttp://s/e\n"
      "#EXTINF:-1 group-title=\" World \",F\nhttp://s/f\n"
      "#EXTINF:-1,G\n#EXTGRP:\nhttp://s/g\n",
      "/tv");
  const std::vector<std::string> expected = {
      "name=A url=http://s/a groups=News;World", "name=B url=http://s/b groups=Films",
      "name=C url=http://s/c groups=Sport",      "name=D url=http://s/d",
      "name=E url=http://s/e groups=Kids",       "name=F url=http://s/f groups=World",
      "name=G url=http://s/g",
  };
  EXPECT_EQ(describe(playlist), expected);
  EXPECT_EQ(playlist.groups, (std::vector<std::string>{"News", "World", "Films", "Sport", "Kids"}));
}

TEST(PlaylistParserFile, EntriesWithoutAddressStrayLinesAndDuplicates) {
  const Playlist playlist = PlaylistParser::parse(
      "#EXTM3U\n"
      "------ separator ------\n"
      "stray text\n"
      "#EXTINF:-1,Lost\n"
      "#EXTINF:-1,First\n#KODIPROP:inputstream=adaptive\n# a comment\nhttp://s/1\n"
      "http://s/stray.ts\n"
      "udp://@239.0.0.1:1234\n"
      "#EXTINF:-1,First\nhttp://s/1\n"
      "not/an/address.ts\n"
      "#EXTINF:-1,Options only\n|User-Agent=x\n"
      "#EXTINF:-1,AtEnd\n",
      "/tv");
  const std::vector<std::string> expected = {
      "name=First url=http://s/1",
      "name=http://s/stray.ts url=http://s/stray.ts",
      "name=udp://@239.0.0.1:1234 url=udp://@239.0.0.1:1234",
      "name=First url=http://s/1",
  };
  EXPECT_EQ(describe(playlist), expected);
  EXPECT_FALSE(playlist.truncated);
}

TEST(PlaylistParserFile, AddressesWithControlCharactersAreLeftOut) {
  for (const char* origin : {"/tv/list.m3u", "http://h/list.m3u"}) {
    const Playlist playlist = PlaylistParser::parse(
        "#EXTM3U\n"
        "#EXTINF:-1,Lone CR\nhttp://s/a\rHost: x\n"
        "#EXTINF:-1,Tab\nhttp://s/\tb\n"
        "#EXTINF:-1,Escape\nmedia/\x1b.ts\n"
        "#EXTINF:-1,Delete\nhttp://s/\x7f\n"
        "#EXTINF:-1,Fine\r\nhttp://s/ok\r\n",
        origin);
    EXPECT_EQ(describe(playlist), std::vector<std::string>{"name=Fine url=http://s/ok"}) << origin;
  }
}

TEST(PlaylistParserFile, RelativeAddressesOfALocalPlaylist) {
  const Playlist playlist = PlaylistParser::parse(
      "#EXTINF:-1,a\na.ts\n"
      "#EXTINF:-1,b\n../films/b.mkv\n"
      "#EXTINF:-1,c\n./sub/../c.ts|User-Agent=x\n"
      "#EXTINF:-1,d\n/srv/abs.ts\n"
      "#EXTINF:-1,e\nhttp://h/x/../y.ts\n"
      "#EXTINF:-1,f\nfile:///media/z.ts\n"
      "#EXTINF:-1,g\n../../../../up.ts\n",
      "/home/u/tv");
  const std::vector<std::string> expected = {
      "name=a url=/home/u/tv/a.ts",
      "name=b url=/home/u/films/b.mkv",
      "name=c url=/home/u/tv/c.ts userAgent=x",
      "name=d url=/srv/abs.ts",
      "name=e url=http://h/x/../y.ts",
      "name=f url=file:///media/z.ts",
      "name=g url=/up.ts",
  };
  EXPECT_EQ(describe(playlist), expected);
}

TEST(PlaylistParserFile, RelativeAddressesOfARemotePlaylist) {
  const Playlist playlist = PlaylistParser::parse(
      "#EXTINF:-1,a\nlive/1.ts\n"
      "#EXTINF:-1,b\n../media/2.ts?k=v\n"
      "#EXTINF:-1,c\n/abs/3.ts\n"
      "#EXTINF:-1,d\n//cdn.example/4.ts\n"
      "#EXTINF:-1,e\nhttps://other/5.ts\n"
      "#EXTINF:-1,f\n?other=1\n"
      "#EXTINF:-1,g\n/abs/7.ts?back=http://x/\n",
      "http://tv.example/lists/all.m3u?token=1");
  const std::vector<std::string> expected = {
      "name=a url=http://tv.example/lists/live/1.ts",
      "name=b url=http://tv.example/media/2.ts?k=v",
      "name=c url=http://tv.example/abs/3.ts",
      "name=d url=http://cdn.example/4.ts",
      "name=e url=https://other/5.ts",
      "name=f url=http://tv.example/lists/all.m3u?other=1",
      "name=g url=http://tv.example/abs/7.ts?back=http://x/",
  };
  EXPECT_EQ(describe(playlist), expected);
}

TEST(PlaylistParserFile, InvalidUtf8IsReplaced) {
  const Playlist playlist = PlaylistParser::parse(
      "#EXTM3U url-tvg=\"http://g/\xFF.xml\"\n"
      "#EXTINF:-1 tvg-name=\"Bad\xC3\" group-title=\"Caf\xE9\",Caf\xE9 \xF0\x9F\x93\xBA\nhttp://s/\x80x\n",
      "/tv");
  ASSERT_EQ(playlist.channels.size(), 1u);
  EXPECT_EQ(describe(playlist.channels[0]),
            "name=Caf\xEF\xBF\xBD \xF0\x9F\x93\xBA url=http://s/\xEF\xBF\xBDx groups=Caf\xEF\xBF\xBD "
            "tvgName=Bad\xEF\xBF\xBD");
  EXPECT_EQ(playlist.guides, std::vector<std::string>{"http://g/\xEF\xBF\xBD.xml"});
  EXPECT_EQ(playlist.groups, std::vector<std::string>{"Caf\xEF\xBF\xBD"});
}

TEST(PlaylistParserFile, OversizedTextsAreLeftOut) {
  const std::string huge(PlaylistParser::kMaxFieldBytes + 1, 'x');
  const std::string justRight(PlaylistParser::kMaxFieldBytes, 'y');
  const Playlist playlist = PlaylistParser::parse(
      "#EXTINF:-1 tvg-logo=\"data:" + huge + "\" tvg-id=\"" + justRight + "\",Kept\nhttp://s/1\n"
      "#EXTINF:-1 tvg-name=\"Fallback\"," + huge + "\nhttp://s/2\n"
      "#EXTINF:-1,Long address\nhttp://s/" + huge + "\n"
      "#EXTINF:-1 group-title=\"" + huge + ";Short\",Grouped\nhttp://s/3\n"
      "http://" + huge + "\n",
      "/tv");
  const std::vector<std::string> expected = {
      "name=Kept url=http://s/1 tvgId=" + justRight,
      "name=Fallback url=http://s/2 tvgName=Fallback",
      "name=Grouped url=http://s/3 groups=Short",
  };
  EXPECT_EQ(describe(playlist), expected);
}

TEST(PlaylistParserFile, PathologicalLinesParseInOnePass) {
  // Runs of quotes, equals signs and commas in lines of several MiB: each
  // byte is looked at a bounded number of times, so these finish at once.
  const size_t n = size_t{4} << 20;
  for (const std::string& unit : {std::string("\""), std::string("a=\""), std::string("=,"), std::string("a=b ")}) {
    std::string line = "#EXTINF:-1 ";
    while (line.size() < n) line += unit;
    const Playlist playlist = PlaylistParser::parse(line + "\nhttp://s/1\n" + line + "\n", "/tv");
    ASSERT_EQ(playlist.channels.size(), 1u) << unit;
    EXPECT_LE(playlist.channels[0].name.size(), PlaylistParser::kMaxFieldBytes) << unit;
  }
}

TEST(PlaylistParserFile, ChannelCapStopsTheParse) {
  std::string text = "#EXTM3U\n";
  for (int i = 0; i < 10; ++i) text += "#EXTINF:-1,C" + std::to_string(i) + "\nhttp://s/" + std::to_string(i) + "\n";
  const Playlist capped = PlaylistParser::parse(text, "/tv", 3);
  ASSERT_EQ(capped.channels.size(), 3u);
  EXPECT_EQ(capped.channels.back().name, "C2");
  EXPECT_TRUE(capped.truncated);
  const Playlist exact = PlaylistParser::parse(text, "/tv", 10);
  EXPECT_EQ(exact.channels.size(), 10u);
  EXPECT_FALSE(exact.truncated);
}

}  // namespace
}  // namespace tembra
