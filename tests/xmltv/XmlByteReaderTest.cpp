#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xmltv/XmlByteReader.h"
#include "xmltv/XmltvTestSupport.h"

namespace tembra {
namespace {

// Writes what the reader reports as one line of events; text pieces that
// follow each other are joined, so that any cutting of the input must
// give the same line.
class Recorder : public XmlByteHandler {
 public:
  std::string log;
  std::string stopAt;  // a start tag name that stops the reading

  bool startElement(std::string_view name, std::string_view attributes) override {
    flush();
    if (name == stopAt) return false;
    log += "<" + std::string(name) + "|" + std::string(attributes) + ">";
    return true;
  }
  void endElement(std::string_view name) override {
    flush();
    log += "</" + std::string(name) + ">";
  }
  void text(std::string_view raw, bool cdata) override {
    if (!pending_.empty() && cdata != pendingCData_) flush();
    pendingCData_ = cdata;
    pending_ += raw;
  }
  void flush() {
    if (!pending_.empty()) log += (pendingCData_ ? "C{" : "T{") + pending_ + "}";
    pending_.clear();
  }

 private:
  std::string pending_;
  bool pendingCData_ = false;
};

struct Outcome {
  std::string log;
  std::string error;
  bool cutOff = false;
};

Outcome readInPieces(std::string_view input, size_t piece, const std::string& stopAt = "") {
  Recorder r;
  r.stopAt = stopAt;
  XmlByteReader reader(r);
  for (size_t at = 0; at < input.size(); at += piece) {
    if (!reader.feed(input.substr(at, piece))) break;
  }
  reader.finish();
  r.flush();
  return {r.log, reader.error(), reader.cutOff()};
}

TEST(XmlByteReader, SameEventsWhateverThePieces) {
  struct Case {
    std::string input;
    std::string want;
  };
  const std::vector<Case> cases = {
      {"<?xml version=\"1.0\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<tv a=\"1\"><x/></tv>\n",
       "<tv| a=\"1\"><x|></x></tv>"},
      // A quoted '>' is no end of the tag; either quote.
      {"<tv><p t=\"a>b\" u='c>d'>x</p></tv>", "<tv|><p| t=\"a>b\" u='c>d'>T{x}</p></tv>"},
      // Comments, instructions and CDATA, terminators cut anywhere.
      {"<tv><!-- a -- > <b> --><?pi x?y ?>t<![CDATA[<&amp;]]]]>u</tv>", "<tv|>T{t}C{<&amp;]]}T{u}</tv>"},
      // References are never split for the handler.
      {"<tv>a&amp;b&#233;&eacute;&unknown;</tv>", "<tv|>T{a&amp;b&#233;&eacute;&unknown;}</tv>"},
      // A doctype with an internal subset holding '>' and quotes.
      {"<!DOCTYPE tv [ <!ENTITY x \"a>b\"> <!-- ] --> ]><tv/>", "<tv|></tv>"},
      // Lenient end tags: one closes what was left open inside it, a stray
      // one is ignored, and nothing after the root counts.
      {"<tv><a><b>x</a></c></tv><tv>junk", "<tv|><a|><b|>T{x}</b></a></tv>"},
      {"  \n<tv>\xD0\x9F\xD1\x80\xD0\xB8</tv>", "<tv|>T{\xD0\x9F\xD1\x80\xD0\xB8}</tv>"},
  };
  for (const Case& c : cases) {
    for (size_t piece : test::pieceSizes()) {
      const Outcome o = readInPieces(c.input, piece);
      EXPECT_EQ(o.log, c.want) << "piece " << piece << ": " << c.input;
      EXPECT_EQ(o.error, "") << "piece " << piece << ": " << c.input;
      EXPECT_FALSE(o.cutOff) << c.input;
    }
  }
}

TEST(XmlByteReader, TellsWhatIsNotXml) {
  struct Case {
    std::string input;
    std::string error;  // what the message starts with
  };
  const std::vector<Case> cases = {
      {"", "it is empty"},
      {"  \n\t ", "it is empty"},
      {"{\"tv\": []}", "not XML: text before the first element"},
      {"HTTP/1.1 500\r\n\r\n<tv/>", "not XML: text before the first element"},
      {"<?xml version=\"1.0\"?><!-- only this -->", "no element in it"},
      {"<?xml version=\"1.0\"?><!-- cut", "not XML: it ends before its first element"},
      {"< tv>", "not XML: malformed markup"},
      {"<!ELEMENT tv>", "not XML: malformed markup"},
      {"<tv>a < b</tv>", "malformed markup"},
  };
  for (const Case& c : cases) {
    for (size_t piece : {size_t{1}, size_t{4096}}) {
      const Outcome o = readInPieces(c.input, piece);
      EXPECT_EQ(o.error.substr(0, c.error.size()), c.error) << "'" << c.input << "' piece " << piece;
    }
  }
  EXPECT_EQ(readInPieces("<tv>a < b</tv>", 3).error, "malformed markup (at byte 6)");
}

TEST(XmlByteReader, CutOffKeepsWhatWasWhole) {
  const std::string whole = "<tv><a>one</a><b k=\"v\">two</b></tv>";
  for (size_t cut : {size_t{9}, size_t{16}, size_t{20}, size_t{28}, whole.size() - 1}) {
    const Outcome o = readInPieces(whole.substr(0, cut), 5);
    EXPECT_TRUE(o.cutOff) << cut;
    EXPECT_EQ(o.error, "") << cut;
    EXPECT_EQ(o.log.find("<b| k=\"v\">") != std::string::npos, cut > 22) << cut << ": " << o.log;
  }
  // The text a cut ends in still reaches the handler; the tag it ends in does not.
  EXPECT_EQ(readInPieces("<tv><a>on", 2).log, "<tv|><a|>T{on}");
  EXPECT_EQ(readInPieces("<tv><a>x&am", 2).log, "<tv|><a|>T{x&am}");
  EXPECT_EQ(readInPieces("<tv><a k=\"v", 2).log, "<tv|>");
}

TEST(XmlByteReader, BoundsWhatItHolds) {
  std::string longTag = "<tv><a k=\"" + std::string(XmlByteReader::kMaxMarkup + 10, 'x');
  const Outcome big = readInPieces(longTag, 64 * 1024);
  EXPECT_EQ(big.error.substr(0, 23), "a tag longer than 1 MiB") << big.error;

  std::string deep = "<tv>";
  for (size_t i = 0; i < XmlByteReader::kMaxDepth + 5; ++i) deep += "<d>";
  EXPECT_EQ(readInPieces(deep, 100).error.substr(0, 27), "elements nested deeper than");

  // A long comment or text is passed through, never held.
  Recorder r;
  XmlByteReader reader(r);
  ASSERT_TRUE(reader.feed("<tv><!--"));
  const std::string filler(1 << 16, '-');
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(reader.feed(filler));
  ASSERT_TRUE(reader.feed("--><a>"));
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(reader.feed(std::string(1 << 16, 'y')));
  ASSERT_TRUE(reader.feed("</a></tv>"));
  reader.finish();
  EXPECT_FALSE(reader.failed());
  EXPECT_TRUE(reader.rootClosed());
}

TEST(XmlByteReader, HandlerCanStopIt) {
  const Outcome o = readInPieces("<tv><a/><stop/><b/></tv>", 3, "stop");
  EXPECT_EQ(o.log, "<tv|><a|></a>");
}

}  // namespace
}  // namespace tembra
