// Large and hostile documents: deep nesting, many elements, thousands of
// unclosed tags and lone end tags, and the record cap of the index.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>

#include "xml/XmlDocument.h"
#include "xml/XmlDocumentTestUtil.h"
#include "xml/XmlElementIndex.h"
#include "xml/XmlParser.h"
#include "xml/XmlReportWriter.h"

namespace tembra {
namespace {

using xmltest::Report;
using xmltest::U8;
using xmltest::WalkAndCompare;

std::u16string Repeat(std::u16string_view piece, size_t times) {
  std::u16string s;
  s.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) s.append(piece);
  return s;
}

TEST(XmlDocumentScale, HundredThousandLevelsDeep) {
  constexpr size_t kDepth = 100'000;
  XmlDocument doc(Repeat(u"<a>", kDepth) + u"x" + Repeat(u"</a>", kDepth));
  ASSERT_TRUE(doc.IsWellFormed());
  EXPECT_EQ(Report(doc), "");
  ASSERT_EQ(doc.ElementCount(), kDepth);
  EXPECT_EQ(doc.Element(kDepth).level, kDepth - 1);
  EXPECT_EQ(doc.Element(70'000).level, 69'999u);
  EXPECT_EQ(doc.Element(1).length, 7 * kDepth + 1);
  size_t mismatches = 0;
  EXPECT_EQ(WalkAndCompare(doc, &mismatches), kDepth);
  EXPECT_EQ(mismatches, 0u);

  doc.ResetPos();
  ASSERT_TRUE(doc.FindSibling());
  size_t entered = 0;
  while (doc.FindChild(u"a") && doc.EnterChild()) ++entered;
  EXPECT_EQ(entered, kDepth - 1);
  EXPECT_EQ(U8(doc.ReadText()), "x");
  size_t left = 0;
  while (doc.LeaveToParent()) ++left;
  EXPECT_EQ(left, kDepth - 1);
}

TEST(XmlDocumentScale, HundredThousandUnclosedTagsBecomeSiblings) {
  constexpr size_t kCount = 100'000;
  XmlDocument doc(Repeat(u"<a>", kCount));
  ASSERT_EQ(doc.ElementCount(), kCount);
  EXPECT_LE(doc.ResultReport().size(), 1100u);
  EXPECT_EQ(Report(doc).find("<unended_start_tag tagname=\"a\" offset=\"299997\" offset2=\"300000\"/>"), 0u);
  for (size_t i : {size_t(1), size_t(2), size_t(50'000), kCount}) {
    EXPECT_EQ(doc.Element(i).level, 0u);
    EXPECT_EQ(doc.Element(i).length, 3u);
    EXPECT_TRUE(doc.Element(i).flags & XmlDocument::kUnended);
  }
  EXPECT_EQ(doc.Element(2).flags & XmlDocument::kFirstChild, 0u);
  size_t mismatches = 0;
  EXPECT_EQ(WalkAndCompare(doc, &mismatches), kCount);
  EXPECT_EQ(mismatches, 0u);
}

TEST(XmlDocumentScale, UnclosedTagsUnderAClosedRootBecomeItsChildren) {
  constexpr size_t kCount = 50'000;
  XmlDocument doc(u"<r>" + Repeat(u"<a><b/>", kCount) + u"</r>");
  ASSERT_EQ(doc.ElementCount(), 2 * kCount + 1);
  doc.ResetPos();
  ASSERT_TRUE(doc.FindSibling(u"r"));
  size_t children = 0;
  while (doc.FindChild()) ++children;
  EXPECT_EQ(children, 2 * kCount);
  EXPECT_EQ(doc.Element(2 * kCount + 1).level, 1u);
  // Leaving any of them leads back to the root.
  ASSERT_TRUE(doc.EnterChild());
  EXPECT_TRUE(doc.LeaveToParent());
  EXPECT_EQ(U8(doc.ReadTagName()), "r");
  EXPECT_FALSE(doc.LeaveToParent());
}

TEST(XmlDocumentScale, LoneEndTagsUnderThousandsOfOpenElements) {
  constexpr size_t kCount = 50'000;
  const std::u16string text = Repeat(u"<a>", kCount) + Repeat(u"</b>", kCount) + Repeat(u"</a>", kCount);
  XmlDocument doc(text);
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_EQ(Report(doc).find("<lone_end_tag tagname=\"b\" offset=\"150000\"/><lone_end_tag"), 0u);
  EXPECT_EQ(Report(doc).find("unended"), std::string::npos);
  EXPECT_EQ(doc.Element(1).length, text.size());
  EXPECT_EQ(doc.Element(kCount).flags & XmlDocument::kIllData, XmlDocument::kIllData);
  size_t mismatches = 0;
  EXPECT_EQ(WalkAndCompare(doc, &mismatches), kCount);
}

TEST(XmlDocumentScale, EndTagsMatchingDeepInTheStack) {
  // Each </x> closes the x opened 40 levels up, past the first 39 open
  // elements, so the name count is in use; the result must still be
  // exact.
  std::u16string text;
  constexpr int kRounds = 2000;
  for (int i = 0; i < kRounds; ++i) text += u"<x>" + Repeat(u"<y>", 39) + u"</x>";
  XmlDocument doc(text);
  ASSERT_EQ(doc.ElementCount(), size_t(kRounds) * 40);
  for (int i = 0; i < kRounds; i += 499) {
    const auto x = doc.Element(size_t(i) * 40 + 1);
    EXPECT_EQ(U8(x.name), "x");
    EXPECT_EQ(x.level, 0u);
    EXPECT_EQ(x.length, 3u * 40 + 4);
    const auto y = doc.Element(size_t(i) * 40 + 40);
    EXPECT_EQ(y.level, 1u);
    EXPECT_TRUE(y.flags & XmlDocument::kUnended);
  }
  size_t mismatches = 0;
  EXPECT_EQ(WalkAndCompare(doc, &mismatches), size_t(kRounds) * 40);
  EXPECT_EQ(mismatches, 0u);
}

TEST(XmlDocumentScale, AMillionElements) {
  constexpr size_t kCount = 1'000'000;
  XmlDocument doc(u"<r>" + Repeat(u"<i/>", kCount) + u"</r>");
  ASSERT_TRUE(doc.IsWellFormed());
  ASSERT_EQ(doc.ElementCount(), kCount + 1);
  EXPECT_EQ(doc.Element(kCount + 1).start, 3 + 4 * (kCount - 1));
  EXPECT_EQ(doc.Element(kCount + 1).level, 1u);
  doc.ResetPos();
  doc.FindSibling();
  size_t found = 0;
  while (doc.FindChild()) ++found;
  EXPECT_EQ(U8(doc.ReadChildTagName()), "i");
  EXPECT_EQ(found, kCount);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TEMBRA_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TEMBRA_UNDER_SANITIZER 1
#endif
#endif

#ifndef TEMBRA_UNDER_SANITIZER
// Caps the address space just above what the process already uses, so the
// copy of the text cannot be allocated, then parses; exits 0 when the parse
// failed cleanly with an empty document and one report entry.
[[noreturn]] void ParseWithoutMemory(const std::u16string& text) {
  long pages = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  rlimit limit{};
  limit.rlim_cur = limit.rlim_max = rlim_t(pages) * 4096 + (16u << 20);
  if (pages == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
  XmlDocument doc;
  const bool ok = doc.Parse(text);
  const bool empty = doc.DocText().empty() && doc.ElementCount() == 0 && !doc.FindSibling();
  std::_Exit(!ok && empty && doc.ResultReport() == u"<out_of_memory/>" ? 0 : 1);
}
#endif

// Runs in a forked child.
TEST(XmlDocumentScale, OutOfMemoryLeavesAnEmptyDocument) {
#ifdef TEMBRA_UNDER_SANITIZER
  GTEST_SKIP() << "sanitizers reserve address space that a cap would break";
#else
  // Bigger than all the free memory the heap already holds, which the cap
  // does not count.
  const size_t chars = std::max<size_t>(20'000'000, (::mallinfo2().fordblks + (64u << 20)) / 2);
  const std::u16string text = u"<r>" + std::u16string(chars, u'x') + u"</r>";
  EXPECT_EXIT(ParseWithoutMemory(text), ::testing::ExitedWithCode(0), "");
#endif
}

TEST(XmlDocumentScale, RecordCapStopsTheParseWithAnEntry) {
  const std::u16string text = u"<r><a/><a/><a/><a/><a/></r>";
  XmlElementIndex index(5);
  std::u16string report;
  XmlReportWriter writer(report);
  EXPECT_FALSE(XmlParser::Run(text, index, writer, false));
  EXPECT_EQ(index.Count(), 5u);
  EXPECT_EQ(U8(report),
            "<element_limit count=\"4\" offset=\"15\"/>"
            "<unended_start_tag tagname=\"r\" offset=\"0\" offset2=\"15\"/>"
            "<root_has_sibling/>");
  EXPECT_TRUE(index[0].levelFlags & XmlDocument::kIllFormed);
}

TEST(XmlDocumentScale, IndexGrowsAcrossPagesWithoutLosingRecords) {
  XmlElementIndex index;
  index.Reset(0);
  EXPECT_EQ(index.Capacity(), 8u);
  for (uint32_t i = 1; i < 200'000; ++i) {
    const uint32_t r = index.Add();
    ASSERT_EQ(r, i);
    index[r].start = i * 3;
    index[r].nextSibling = i + 1;
  }
  EXPECT_GE(index.Capacity(), 200'000u);
  for (uint32_t i = 1; i < 200'000; i += 997) {
    EXPECT_EQ(index[i].start, i * 3);
    EXPECT_EQ(index[i].nextSibling, i + 1);
  }
  index.SetStartTagLength(7, 5'000'000);
  index.SetEndTagLength(7, 2000);
  index.SetLevel(7, 70'000);
  index[7].levelFlags |= XmlDocument::kUnended;
  EXPECT_EQ(index.StartTagLength(7), 5'000'000u);
  EXPECT_EQ(index.EndTagLength(7), 2000u);
  EXPECT_EQ(index.Level(7), 70'000u);
  EXPECT_EQ(index.Flags(7), XmlDocument::kUnended);
  index.SetLevel(7, 12);
  EXPECT_EQ(index.Level(7), 12u);
  index.Reset(6400);
  EXPECT_EQ(index.Count(), 1u);
  EXPECT_EQ(index.Capacity(), 108u);
  EXPECT_EQ(index[0].length, 6400u);
}

}  // namespace
}  // namespace tembra
