#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xmltv/CaseFold.h"
#include "xmltv/XmltvChannelMatcher.h"
#include "xmltv/XmltvLoader.h"
#include "xmltv/XmltvTestSupport.h"

namespace tembra {
namespace {

using test::channelElement;
using test::guide;
using test::programme;
using test::utc;

XmltvPlaylistChannel entry(const std::string& tvgId, const std::string& tvgName, const std::string& name,
                           double shift = 0) {
  return XmltvPlaylistChannel{tvgId, tvgName, name, shift};
}

std::string titleOf(const std::optional<XmltvProgramme>& p) { return p ? std::string(p->title) : "-"; }

TEST(CaseFold, FoldsEveryScript) {
  struct Case {
    const char* text;
    const char* folded;
  };
  const Case cases[] = {
      {"BBC One", "bbc one"},
      {"  Sky News\t", "sky news"},                                        // surrounding blanks are no part of a name
      {"STRASSE", "strasse"},
      {"Stra\xC3\x9F" "e", "strasse"},                                     // ß folds to ss
      {"\xD0\x9F\xD0\x95\xD0\xA0\xD0\x92\xD0\xAB\xD0\x99", "\xD0\xBF\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9"},  // ПЕРВЫЙ
      {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83"},                                  // ΟΔΟΣ -> οδοσ
      {"\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83"},                                  // final ς -> σ
      {"\xEF\xBC\xA1\xEF\xBC\xA2", "\xEF\xBD\x81\xEF\xBD\x82"},            // full-width ＡＢ
      {"\xC7\x85", "\xC7\x86"},                                            // title-case ǅ
      {"\xE2\x84\xAA" "elvin", "kelvin"},                                  // the Kelvin sign
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CaseFold::fold(c.text), c.folded) << c.text;
  // Ill-formed bytes fold as U+FFFD, never as something that could match a real name.
  EXPECT_EQ(CaseFold::fold("A\xFF" "B\xC3"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
}

TEST(XmltvChannelMatcher, RulesInOrder) {
  const XmltvChannelMatcher m({entry("bbc1.uk", "", ""), entry("Sky.News", "", ""), entry("", "Das Erste", "ARD"),
                               entry("x", "", "bbc1.uk")});
  const auto matches = [&](bool byId, const std::string& text) {
    std::string out;
    const auto add = [&](uint32_t i, uint8_t rule) { out += std::to_string(i) + ":" + std::to_string(rule) + " "; };
    if (byId) {
      m.forId(text, add);
    } else {
      m.forDisplayName(text, add);
    }
    return out;
  };
  EXPECT_EQ(matches(true, "bbc1.uk"), "0:0 ");
  EXPECT_EQ(matches(true, "BBC1.UK"), "0:1 ");
  EXPECT_EQ(matches(true, "sky.news"), "1:1 ");
  EXPECT_EQ(matches(true, "Sky.News"), "1:0 ");
  EXPECT_EQ(matches(true, "ard"), "");  // names are no ids
  EXPECT_EQ(matches(false, "das erste"), "2:2 ");
  EXPECT_EQ(matches(false, " ARD "), "2:3 ");
  EXPECT_EQ(matches(false, "bbc1.uk"), "3:3 ");  // ids are no names
  EXPECT_EQ(matches(true, ""), "");
  EXPECT_EQ(matches(false, ""), "");
}

TEST(XmltvLoader, MatchesByTheStrongestRule) {
  test::TimeZone tz("UTC");
  const std::vector<XmltvPlaylistChannel> playlist = {
      entry("bbc1.uk", "", "Something else"),        // 0: exact id, though another id equals it ignoring case first
      entry("Sky.News", "", ""),                     // 1: id ignoring case
      entry("missing", "Das Erste", "ARD"),          // 2: tvg-name beats the name matching earlier
      entry("", "", "STRASSE TV"),                   // 3: name, Unicode folding
      entry("", "", "\xD0\x9F\xD0\x95\xD0\xA0\xD0\x92\xD0\xAB\xD0\x99"),  // 4: ПЕРВЫЙ
      entry("nowhere", "Nobody", "Nothing"),         // 5: no guide channel
      entry("bbc1.uk", "", "", 2),                   // 6: the same guide channel as 0, shifted
      entry("news24", "", "BBC One"),                // 7: exact id beats a display name seen before it
  };
  const std::string body =
      channelElement("BBC1.UK", {"BBC One"}) + channelElement("bbc1.uk", {"BBC One HD"}) +
      channelElement("sky.news", {"Sky"}) + channelElement("ardalt", {"ARD"}) +
      channelElement("ard.de", {"Das Erste HD", "das erste"}) + channelElement("strasse", {"Stra\xC3\x9F" "e TV"}) +
      channelElement("perviy", {"\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9"}) + channelElement("news24", {"N24"});
  std::string programmes;
  for (const char* id : {"BBC1.UK", "bbc1.uk", "sky.news", "ardalt", "ard.de", "strasse", "perviy", "news24"})
    programmes += programme(id, "20240510100000", "20240510110000", std::string("on ") + id);
  for (size_t piece : {size_t{1}, size_t{64 * 1024}}) {
    const auto r = test::loadFor(guide(body + programmes), playlist, XmltvWindow::around(utc(2024, 5, 10)), piece);
    ASSERT_TRUE(r.report.ok);
    const std::vector<std::string> want = {"bbc1.uk", "sky.news", "ard.de", "strasse", "perviy", "", "bbc1.uk", "news24"};
    for (size_t p = 0; p < want.size(); ++p) {
      EXPECT_EQ(r.store.matchedId(p), want[p]) << p;
      const int64_t at = utc(2024, 5, 10, 10, 30) + r.store.shiftOf(p);
      EXPECT_EQ(titleOf(r.store.now(p, at)), want[p].empty() ? "-" : "on " + want[p]) << p;
    }
    EXPECT_EQ(r.store.channelOf(0), r.store.channelOf(6));
    EXPECT_EQ(r.store.shiftOf(6), 7200);
    EXPECT_EQ(titleOf(r.store.now(6, utc(2024, 5, 10, 10, 30))), "-");
    EXPECT_EQ(r.report.channelsMatched, 7u);
    // Only the guide channels taken are stored.
    EXPECT_EQ(r.store.channelCount(), 6u);
    EXPECT_EQ(r.report.programmesKept, 6u);
  }
}

TEST(XmltvLoader, ProgrammesBeforeTheirChannelElement) {
  test::TimeZone tz("UTC");
  // Programmes first; one channel's element comes after them, another's
  // never: an id match needs no element.
  const std::string g = guide(programme("LATE.id", "20240510100000", "20240510110000", "late one") +
                              programme("never", "20240510100000", "20240510110000", "no element") +
                              channelElement("LATE.id", {"Late"}));
  const auto r = test::loadFor(g, {entry("late.id", "", ""), entry("never", "", "")}, XmltvWindow::around(utc(2024, 5, 10)));
  EXPECT_EQ(titleOf(r.store.now(0, utc(2024, 5, 10, 10))), "late one");
  EXPECT_EQ(titleOf(r.store.now(1, utc(2024, 5, 10, 10))), "no element");
  EXPECT_EQ(r.report.channelElements, 1u);
}

TEST(XmltvLoader, SeveralGuidesFirstMatchWins) {
  test::TimeZone tz("UTC");
  const XmltvWindow w = XmltvWindow::around(utc(2024, 5, 10));
  const std::vector<XmltvPlaylistChannel> playlist = {entry("one", "", "First"), entry("two", "", ""),
                                                      entry("three", "", "")};
  // Guide 1 has channel 0 by its name only; guide 2 has it by id, and
  // channel 1 too; nobody has channel 2.
  const std::string g1 = guide(channelElement("first.g1", {"first"}) +
                               programme("first.g1", "20240510100000", "20240510110000", "g1 first"));
  const std::string g2 = guide(programme("one", "20240510100000", "20240510110000", "g2 one") +
                               programme("two", "20240510100000", "20240510110000", "g2 two"));
  const std::string notXmltv = "<html><body>502 Bad Gateway</body></html>";

  XmltvLoader loader(playlist, w);
  const auto r0 = test::feedGuide(loader, notXmltv, 7);
  const auto r1 = test::feedGuide(loader, g1, 7);
  const auto r2 = test::feedGuide(loader, g2, 7);
  const XmltvStore store = loader.take();
  EXPECT_FALSE(r0.ok);
  EXPECT_EQ(r0.message, "not an XMLTV guide: its root element is <html>, not <tv>");
  EXPECT_EQ(r1.channelsMatched, 1u);
  EXPECT_EQ(r2.channelsMatched, 1u);
  EXPECT_EQ(titleOf(store.now(0, utc(2024, 5, 10, 10))), "g1 first");
  EXPECT_EQ(titleOf(store.now(1, utc(2024, 5, 10, 10))), "g2 two");
  EXPECT_EQ(store.channelOf(2), -1);
  // Guide 2's "one" was taken by nobody: not stored.
  EXPECT_EQ(store.channelCount(), 2u);
  EXPECT_EQ(r2.programmesKept, 1u);
}

}  // namespace
}  // namespace tembra
