// One #EXTINF entry at a time: its attributes, its title, its request
// headers, shift and catch-up fields.
#include <gtest/gtest.h>

#include <string>

#include "playlist/PlaylistParser.h"
#include "playlist/PlaylistTestUtil.h"

namespace tembra {
namespace {

using playlisttest::describe;

struct EntryCase {
  std::string text;  // the lines of one entry
  std::string channel;
};

// Each text parsed as a playlist of its own from a remote origin; it must
// give exactly one channel.
void expectEntries(const std::vector<EntryCase>& cases) {
  for (const EntryCase& c : cases) {
    const Playlist playlist = PlaylistParser::parse(c.text, "http://s/list.m3u");
    ASSERT_EQ(playlist.channels.size(), 1u) << c.text;
    EXPECT_EQ(describe(playlist.channels[0]), c.channel) << c.text;
  }
}

TEST(PlaylistParserEntry, ReadsAttributesQuotedOrNotInAnyCase) {
  expectEntries({
      {"#EXTINF:-1 tvg-id=\"cnn.us\" tvg-name=\"CNN\" tvg-logo=\"http://l/cnn.png\" group-title=\"News\" "
       "tvg-chno=\"5\",CNN HD\nhttp://s/1",
       "name=CNN HD url=http://s/1 groups=News tvgId=cnn.us tvgName=CNN logo=http://l/cnn.png number=5"},
      {"#EXTINF:-1 TVG-ID=\"a\" Tvg-Name=\"b\" tvg-LOGO=\"c\" GROUP-TITLE=\"G\",T\nhttp://s/1",
       "name=T url=http://s/1 groups=G tvgId=a tvgName=b logo=c"},
      {"#EXTINF:-1 tvg-id=a.b tvg-chno=7 group-title=Sport,Match\nhttp://s/1",
       "name=Match url=http://s/1 groups=Sport tvgId=a.b number=7"},
      {"#EXTINF:-1 tvg-logo=http://l/a.png,Name\nhttp://s/1", "name=Name url=http://s/1 logo=http://l/a.png"},
      {"#EXTINF:0 tvg-id=x,y\nhttp://s/1", "name=y url=http://s/1 tvgId=x"},
      {"#EXTINF:tvg-id=\"nodur\",T\nhttp://s/1", "name=T url=http://s/1 tvgId=nodur"},
      {"#extinf:-1 tvg-id=\"lower\",lower tag\nhttp://s/1", "name=lower tag url=http://s/1 tvgId=lower"},
      {"#EXTINF:-1 tvg-logo=\"  spaced.png \" tvg-id=\"\",T\nhttp://s/1", "name=T url=http://s/1 logo=  spaced.png "},
      {"#EXTINF:-1 \"quoted, word\" stray tvg-id=z,Title\nhttp://s/1", "name=Title url=http://s/1 tvgId=z"},
      {"#EXTINF:-1 =\"no key\" tvg-id=k,T\nhttp://s/1", "name=T url=http://s/1 tvgId=k"},
  });
}

TEST(PlaylistParserEntry, TitleFollowsTheFirstCommaOutsideQuotes) {
  expectEntries({
      {"#EXTINF:-1,Simple\nhttp://s/1", "name=Simple url=http://s/1"},
      {"#EXTINF:-1 tvg-name=\"News, Weather & More\" group-title=\"A, B\",Title, with, commas\nhttp://s/1",
       "name=Title, with, commas url=http://s/1 groups=A, B tvgName=News, Weather & More"},
      {"#EXTINF:-1,The \"Best\" Channel\nhttp://s/1", "name=The \"Best\" Channel url=http://s/1"},
      {"#EXTINF:-1,   spaced title \t\nhttp://s/1", "name=spaced title url=http://s/1"},
      {"#EXTINF:-1 tvg-name=\"Only Name\"\nhttp://s/1", "name=Only Name url=http://s/1 tvgName=Only Name"},
      {"#EXTINF:-1 tvg-name=\"Only Name\",   \nhttp://s/1", "name=Only Name url=http://s/1 tvgName=Only Name"},
      {"#EXTINF:-1 tvg-name=\"\",\nhttp://s/1", "name=http://s/1 url=http://s/1"},
      {"#EXTINF:-1\nhttp://s/1", "name=http://s/1 url=http://s/1"},
      // An unclosed quote runs to the end of the line: no title.
      {"#EXTINF:-1 tvg-name=\"Broken, Name\nhttp://s/1", "name=Broken, Name url=http://s/1 tvgName=Broken, Name"},
      {"#EXTINF:-1,A\rB\nhttp://s/1", "name=A\rB url=http://s/1"},  // only LF ends a line
  });
}

TEST(PlaylistParserEntry, NumbersAreWholeOrAbsent) {
  expectEntries({
      {"#EXTINF:-1 tvg-chno=\" 12 \",T\nhttp://s/1", "name=T url=http://s/1 number=12"},
      {"#EXTINF:-1 tvg-chno=\"+3\",T\nhttp://s/1", "name=T url=http://s/1 number=3"},
      {"#EXTINF:-1 tvg-chno=\"-4\",T\nhttp://s/1", "name=T url=http://s/1 number=-4"},
      {"#EXTINF:-1 tvg-chno=\"5a\",T\nhttp://s/1", "name=T url=http://s/1"},
      {"#EXTINF:-1 tvg-chno=\"1.5\",T\nhttp://s/1", "name=T url=http://s/1"},
      {"#EXTINF:-1 tvg-chno=\"99999999999\",T\nhttp://s/1", "name=T url=http://s/1"},
      {"#EXTINF:-1 tvg-chno=\"\",T\nhttp://s/1", "name=T url=http://s/1"},
      {"#EXTINF:-1 tvg-chno=\"+-2\",T\nhttp://s/1", "name=T url=http://s/1"},
  });
}

TEST(PlaylistParserEntry, UserAgentAndReferrerByPrecedence) {
  expectEntries({
      // #EXTVLCOPT over the attributes, its quotes dropped, its names in any case.
      {"#EXTINF:-1 http-user-agent=\"Attr/1\" http-referrer=\"http://attr/\",T\n"
       "#EXTVLCOPT:HTTP-User-Agent=Vlc/2 (X11)\n#EXTVLCOPT:http-referrer=\"http://vlc/\"\nhttp://s/1",
       "name=T url=http://s/1 userAgent=Vlc/2 (X11) referrer=http://vlc/"},
      {"#EXTINF:-1 user-agent=\"Plain/1\",T\nhttp://s/1", "name=T url=http://s/1 userAgent=Plain/1"},
      {"#EXTINF:-1 user-agent=\"Plain/1\" http-user-agent=\"Http/1\",T\nhttp://s/1",
       "name=T url=http://s/1 userAgent=Http/1"},
      // Options after the bar, percent-decoded, separated by & or |.
      {"#EXTINF:-1,T\nhttp://s/1|User-Agent=Mozilla%2F5.0%20(X11)&Referer=http%3A%2F%2Fsite%2F",
       "name=T url=http://s/1 userAgent=Mozilla/5.0 (X11) referrer=http://site/"},
      {"#EXTINF:-1,T\nhttp://s/1 | user-agent=\"Quoted UA\"|REFERER=http://r/",
       "name=T url=http://s/1 userAgent=Quoted UA referrer=http://r/"},
      {"#EXTINF:-1,T\nhttp://s/1|User-Agent=%22Q%22&x-other=1&novalue", "name=T url=http://s/1 userAgent=Q"},
      {"#EXTINF:-1,T\nhttp://s/1|User-Agent=100%&Referer=%zz", "name=T url=http://s/1 userAgent=100% referrer=%zz"},
      // The bar's options give way to the attributes, each header on its own.
      {"#EXTINF:-1 http-user-agent=\"Attr/1\",T\nhttp://s/1|User-Agent=Pipe&Referer=http://pipe/",
       "name=T url=http://s/1 userAgent=Attr/1 referrer=http://pipe/"},
      {"#EXTINF:-1,T\n#EXTVLCOPT:http-referrer=http://vlc/\nhttp://s/1|User-Agent=Pipe&Referer=http://pipe/",
       "name=T url=http://s/1 userAgent=Pipe referrer=http://vlc/"},
      // Header values never carry control characters onto the wire, nor
      // ill-formed UTF-8 into the program.
      {"#EXTINF:-1,T\nhttp://s/1|User-Agent=A%0D%0AX-Evil:%201", "name=T url=http://s/1 userAgent=AX-Evil: 1"},
      {"#EXTINF:-1,T\nhttp://s/1|User-Agent=%FF%FEok", "name=T url=http://s/1 userAgent=\xEF\xBF\xBD\xEF\xBF\xBDok"},
      {"#EXTINF:-1,T\n#EXTVLCOPT:http-user-agent=tab\there\nhttp://s/1", "name=T url=http://s/1 userAgent=tabhere"},
      // Other #EXTVLCOPT options and other comments are passed over.
      {"#EXTINF:-1,T\n#EXTVLCOPT:network-caching=1000\n#KODIPROP:inputstream=adaptive\nhttp://s/1",
       "name=T url=http://s/1"},
  });
}

TEST(PlaylistParserEntry, ShiftAndCatchUp) {
  expectEntries({
      {"#EXTINF:-1 catchup=\"default\" catchup-source=\"http://c/{utc}\" catchup-days=\"7\",T\nhttp://s/1",
       "name=T url=http://s/1 catchup=default catchupSource=http://c/{utc} catchupDays=7"},
      {"#EXTINF:-1 catchup=shift timeshift=3,T\nhttp://s/1", "name=T url=http://s/1 catchup=shift catchupDays=3"},
      {"#EXTINF:-1 catchup-days=\"x\" timeshift=\"2\",T\nhttp://s/1", "name=T url=http://s/1 catchupDays=2"},
      {"#EXTINF:-1 catchup-days=\"5\" timeshift=\"2\",T\nhttp://s/1", "name=T url=http://s/1 catchupDays=5"},
      {"#EXTINF:-1 catchup-correction=\"-1.5\",T\nhttp://s/1", "name=T url=http://s/1 catchupCorrection=-1.5"},
      {"#EXTINF:-1 tvg-shift=\"-3.5\",T\nhttp://s/1", "name=T url=http://s/1 shift=-3.5"},
      {"#EXTINF:-1 tvg-shift=+2,T\nhttp://s/1", "name=T url=http://s/1 shift=2"},
      {"#EXTINF:-1 tvg-shift=\"two\",T\nhttp://s/1", "name=T url=http://s/1"},
      {"#EXTINF:-1 tvg-shift=\"nan\",T\nhttp://s/1", "name=T url=http://s/1"},
      {"#EXTINF:-1 tvg-shift=\"1e300\",T\nhttp://s/1", "name=T url=http://s/1"},
      {"#EXTINF:-1 tvg-shift=\"-168\",T\nhttp://s/1", "name=T url=http://s/1 shift=-168"},
      {"#EXTINF:-1 tvg-shift=\"168.5\",T\nhttp://s/1", "name=T url=http://s/1"},
      {"#EXTINF:-1 tvg-shift=\"1,5\",T\nhttp://s/1", "name=T url=http://s/1"},
  });
}

TEST(PlaylistParserEntry, HeaderGivesTheDefaultShiftAndCorrection) {
  const Playlist playlist = PlaylistParser::parse(
      "#EXTM3U tvg-shift=\"+2\" catchup-correction=\"1\"\n"
      "#EXTINF:-1,Default\nhttp://s/1\n"
      "#EXTINF:-1 tvg-shift=\"-3.5\" catchup-correction=\"0.5\",Own\nhttp://s/2\n"
      "#EXTINF:-1 tvg-shift=\"abc\",Unreadable\nhttp://s/3\n"
      "#EXTINF:-1 tvg-shift=\"0\",Zero\nhttp://s/4\n"
      "http://s/stray.ts\n",
      "/tv");
  const std::vector<std::string> expected = {
      "name=Default url=http://s/1 shift=2 catchupCorrection=1",
      "name=Own url=http://s/2 shift=-3.5 catchupCorrection=0.5",
      "name=Unreadable url=http://s/3 shift=2 catchupCorrection=1",
      "name=Zero url=http://s/4 catchupCorrection=1",
      "name=http://s/stray.ts url=http://s/stray.ts shift=2 catchupCorrection=1",
  };
  EXPECT_EQ(describe(playlist), expected);
}

}  // namespace
}  // namespace tembra
