#include "notice/NoticeAnswer.h"

#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace tembra {
namespace {

using Kind = NoticeAnswer::Kind;

TEST(NoticeAnswer, QueryCarriesTheVersionAndAZeroByte) {
  const std::string q = NoticeAnswer::Query(u"1.0.2");
  EXPECT_EQ(q, std::string("^001|1#1.0.2|cn$\0", 17));
  EXPECT_EQ(NoticeAnswer::Query(u"2.!"), std::string("^001|1#2.!|cn$\0", 15));
}

TEST(NoticeAnswer, AnswersOfTheService) {
  struct Row {
    const char* datagram;
    Kind kind;
    const char16_t* text;
  };
  const Row rows[] = {
      {"^0$", Kind::Nothing, u""},
      {"^0|anything|at all|1$", Kind::Nothing, u""},
      {"^^^0$$", Kind::Nothing, u""},
      {"^1|x|Line one#Line two##|0$", Kind::Notice, u"Line one\nLine two"},
      {"^1|x|Update now|1$", Kind::Forced, u""},
      {"^^1|x|Twice marked|0$$$", Kind::Notice, u"Twice marked"},
      {"^2|x|a|b|c$", Kind::Notice, u"a"},      // forced is everything after the third '|'
      {"^1|x|a|1|$", Kind::Notice, u"a"},
      {"^1|x|a|11$", Kind::Notice, u"a"},
      {"^1|x||0$", Kind::Notice, u""},
      {"^1|x|#start kept, end dropped##|0$", Kind::Notice, u"\nstart kept, end dropped"},
      {"^1|x|सूचना#दूसरी|0$", Kind::Notice, u"सूचना\nदूसरी"},
      {"^1|x$", Kind::Malformed, u""},
      {"^1|x|y$", Kind::Malformed, u""},
      {"1|x|y|0$", Kind::Malformed, u""},
      {"^1|x|y|0", Kind::Malformed, u""},
      {"^$", Kind::Malformed, u""},
      {"^", Kind::Malformed, u""},
      {"$", Kind::Malformed, u""},
      {"", Kind::Malformed, u""},
      {" ^0$", Kind::Malformed, u""},
      {"^0$ ", Kind::Malformed, u""},
  };
  for (const auto& row : rows) {
    const auto answer = NoticeAnswer::FromDatagram(row.datagram);
    EXPECT_EQ(answer.kind, row.kind) << row.datagram;
    EXPECT_EQ(answer.text, row.text) << row.datagram;
  }
  // The zero byte ends the text even when more follows it.
  const std::string withZero("^1|x|ok|0$\0^1|x|no|1$", 21);
  EXPECT_EQ(NoticeAnswer::FromDatagram(withZero).kind, Kind::Notice);
  EXPECT_EQ(NoticeAnswer::FromDatagram(withZero).text, u"ok");
}

TEST(NoticeAnswer, EveryCutShortNoticeOrUpgradeIsMalformed) {
  for (std::string whole : {"^1|x|Line one#Line two##|0$", "^1|x|Update now|1$"}) {
    for (size_t n = 0; n < whole.size(); ++n) {
      const std::string cut = whole.substr(0, n);
      EXPECT_EQ(NoticeAnswer::FromDatagram(cut).kind, Kind::Malformed) << cut;
      // So is every tail that lost its start mark.
      EXPECT_EQ(NoticeAnswer::FromDatagram(whole.substr(n + 1)).kind, Kind::Malformed) << whole.substr(n + 1);
    }
  }
}

TEST(NoticeAnswer, OverlongAnswersAreCutAtTheCharacterLimit) {
  const std::string fits = "^1|x|" + std::string(NoticeAnswer::kMaxChars - 8, 'a') + "|0$";
  ASSERT_EQ(fits.size(), NoticeAnswer::kMaxChars);
  EXPECT_EQ(NoticeAnswer::FromDatagram(fits).kind, Kind::Notice);
  EXPECT_EQ(NoticeAnswer::FromDatagram(fits).text.size(), NoticeAnswer::kMaxChars - 8);
  const std::string over = "^1|x|" + std::string(NoticeAnswer::kMaxChars - 7, 'a') + "|0$";
  EXPECT_EQ(NoticeAnswer::FromDatagram(over).kind, Kind::Malformed);
  // Characters, not bytes: 1,016 three-byte characters still fit.
  std::string wide = "^1|x|";
  for (size_t i = 0; i < NoticeAnswer::kMaxChars - 8; ++i) wide += "स";
  wide += "|0$";
  EXPECT_EQ(NoticeAnswer::FromDatagram(wide).kind, Kind::Notice);
  // A datagram filling the whole receive buffer is cut, not overrun.
  const std::string full = "^1|x|" + std::string(NoticeAnswer::kDatagramBytes - 8, 'b') + "|0$";
  EXPECT_EQ(NoticeAnswer::FromDatagram(full).kind, Kind::Malformed);
}

}  // namespace
}  // namespace tembra
