#include "guide/GuideReplyReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "guide/GuideReplyParser.h"
#include "guide/GuideTestSupport.h"
#include "platform/Utf.h"
#include "xml/XmlDocument.h"
#include "xml/XmlFileDecoder.h"

namespace tembra {
namespace {

struct Parsed {
  std::vector<GuideChannelDay> channels;
  bool complete = false;
};

// The reply loaded whole into a document, as it was always read.
Parsed byDocument(std::string_view bytes) {
  XmlDocument doc(XmlFileDecoder::DecodeBytes(bytes).text);
  return {GuideReplyParser::Read(doc, u"07"), GuideReplyParser::Complete(doc)};
}

Parsed streamed(const std::vector<std::string_view>& pieces) {
  GuideReplyReader reader(u"07");
  for (std::string_view piece : pieces) reader.Feed(piece);
  GuideReplyReader::Result r = reader.Finish();
  return {r.list->channels(), r.complete};
}

// Well-formed replies, and every way a reply has been seen to go wrong.
const std::vector<std::string> kCorpus = {
    test::ReplyBody({{"1", "One", {"10:00:00|Ten", "12:00:00|Noon"}}, {"2", "Two &amp; Co", {"08:00:00|A"}}}),
    "<r><tv id=\"b\"><tvname>B</tvname><tvitem><title>x</title><startdate>s</startdate><enddate>e</enddate>"
    "<starttime>09:00:00</starttime></tvitem></tv><tv id=\"a\"/></r>",
    "<r><tv id=\"1\"><tvname>First</tvname><tvitem><title>A</title></tvitem></tv><tv id=\"1\"><tvname>Second"
    "</tvname></tv><tv id=\"1 \"/><tv id=''><tvname>NoId</tvname></tv><tv><tvname>Also</tvname></tv></r>",
    "<r><tv id=\"1\"><tvitem><title>BeforeName</title></tvitem><tvname>One</tvname><tvitem><starttime>08:00:00"
    "</starttime><title>Late</title></tvitem><tvitem><enddate>e</enddate><startdate>s</startdate></tvitem>"
    "<other><tvitem><title>Nested</title></tvitem></other></tv></r>",
    "<r><tv id=\"9\"><tvitem><title>NoName</title></tvitem></tv></r>",
    "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x \"y\"> <!-- ] > -->]><!-- c --><r><?pi x?><tv id=\"c\">"
    "<tvname><![CDATA[<b>&amp;</b>]]>  </tvname><tvitem><title> a <!-- x --> b &eacute;&#x263A;&bogus; </title>"
    "</tvitem><tvitem><title>   </title><starttime>  <!--z-->  </starttime></tvitem></tv></r>",
    "\xEF\xBB\xBF<r><tv id=\"\xC3\xA9\"><tvname>\xE2\x82\xAC \xF0\x9F\x93\xBA</tvname></tv></r>",
    std::string("<r><tv id=\"z\"><tvname>n\0ul\xC3\0\xA9</tvname></tv></r>", 42),
    "<r><tv id=\"bad\"><tvname>\xC3\x28 \xE0\x80\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xF0\x9F\x93 end \xC3</tvname>"
    "</tv></r>\xE2\x82",
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><tv id=\"l\"><tvname>caf\xE9</tvname></tv></r>",
    std::string("\xFF\xFE<\0r\0>\0<\0t\0v\0 \0i\0d\0=\0\"\0u\0\"\0/\0>\0<\0/\0r\0>\0", 34),
    // Broken: an unended inner element, an unended channel, a lone end
    // tag, a cut-off, token errors, siblings of the root.
    "<r><tv id=\"1\"><tvname>A<tvitem><title>T</title></tvitem></tv></r>",
    "<r><tv id=\"1\"><tvname>One</tvname></tv><tv id=\"2\"><tvitem><title>T</r>",
    "<r><x><tv id=\"inner\"><tvname>Moved</tvname></tv></r>",
    "<r><tv id=\"1\"></x><tvname>N</tvname></tv></r>",
    "<r><tv id=\"1\"><tvname>One</tvname><tvitem><title>Th",
    "<r><tv id=\"1\"><tvname>One</tvname></tv>",
    "<r><tv id=\"1\"><tvname>a < b <!x> c</tvname></tv><tv id=\"2\"><tvname",
    "<r><tv id=\"1\"/></r><r><tv id=\"2\"/></r>",
    "<r/><tv id=\"1\"/>",
    "<r><r><tv id=\"1\"/></r><tv id=\"2\"/></r>",
    "not xml at all",
    "<html><body>404</body></html>",
    "",
    "<",
    "<r><tv id=\"1\" name='a>b'><tvname>x</tvname></tv></r>",
};

TEST(GuideReplyReader, ReadsEveryReplyAsTheWholeDocumentDoesWhereverItIsCut) {
  for (const std::string& reply : kCorpus) {
    const Parsed whole = byDocument(reply);
    const std::string shown = reply.substr(0, 60);
    const Parsed once = streamed({reply});
    EXPECT_EQ(once.channels, whole.channels) << shown;
    EXPECT_EQ(once.complete, whole.complete) << shown;
    for (size_t cut = 0; cut <= reply.size(); ++cut) {
      const std::string_view r(reply);
      const Parsed two = streamed({r.substr(0, cut), r.substr(cut)});
      ASSERT_EQ(two.channels, whole.channels) << shown << " cut at " << cut;
      ASSERT_EQ(two.complete, whole.complete) << shown << " cut at " << cut;
    }
    std::vector<std::string_view> bytes;
    for (size_t i = 0; i < reply.size(); ++i) bytes.push_back(std::string_view(reply).substr(i, 1));
    const Parsed single = streamed(bytes);
    EXPECT_EQ(single.channels, whole.channels) << shown << " byte by byte";
    EXPECT_EQ(single.complete, whole.complete) << shown << " byte by byte";
  }
}

TEST(GuideReplyReader, ALargeReplyInBlocksKeepsEveryChannel) {
  std::vector<test::ReplyChannel> channels;
  for (int c = 0; c < 3000; ++c)
    channels.push_back({std::to_string(c), "Channel " + std::to_string(c), {"00:00:00|Night", "12:00:00|Noon"}});
  const std::string reply = test::ReplyBody(channels);
  const Parsed whole = byDocument(reply);
  std::vector<std::string_view> blocks;
  for (size_t at = 0; at < reply.size(); at += 65536) blocks.push_back(std::string_view(reply).substr(at, 65536));
  const Parsed read = streamed(blocks);
  ASSERT_EQ(read.channels.size(), 3000u);
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(read.channels, whole.channels);
}

TEST(GuideReplyReader, AChannelOverTheLimitIsABrokenReplyNotAHeldOne) {
  GuideReplyReader reader(u"07");
  reader.Feed("<r><tv id=\"1\"><tvname>");
  const std::string filler(1 << 20, 'x');
  for (size_t fed = 0; fed <= GuideReplyReader::kMaxChannelUnits; fed += filler.size()) reader.Feed(filler);
  reader.Feed("</tvname></tv></r>");
  const GuideReplyReader::Result r = reader.Finish();
  EXPECT_FALSE(r.complete);
  EXPECT_TRUE(r.list->empty());

  // Elements nested without end, after a whole root: the names of the
  // open elements are what would grow.
  GuideReplyReader deep(u"07");
  deep.Feed("<r><tv id=\"1\"/></r>");
  for (size_t i = 0; i <= GuideReplyReader::kMaxDepth; ++i) deep.Feed("<a>");
  const GuideReplyReader::Result d = deep.Finish();
  EXPECT_FALSE(d.complete);
}

}  // namespace
}  // namespace tembra
