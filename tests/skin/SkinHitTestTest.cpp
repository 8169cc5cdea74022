// The hit-test rule of frameless skin windows, one row per case.
#include <gtest/gtest.h>

#include "skin/SkinHitTest.h"

namespace tembra {
namespace {

struct Row {
  int x, y;
  bool maximised;
  const char16_t* control;  // null: no control at the point
  SkinHit expected;
};

class MainWindowHitTest : public ::testing::TestWithParam<Row> {};

// A 936 x 529 window with a 4-pixel size box and a caption strip 25 high.
TEST_P(MainWindowHitTest, FollowsTheRule) {
  const Row& row = GetParam();
  SkinHitQuery q;
  q.x = row.x;
  q.y = row.y;
  q.client = {0, 0, 936, 529};
  q.sizeBox = {4, 4, 4, 4};
  q.caption = {0, 0, 0, 25};
  q.maximised = row.maximised;
  q.controlFound = row.control != nullptr;
  q.controlClass = row.control != nullptr ? row.control : u"";
  q.notCaption = &mainWindowNotCaption();
  EXPECT_EQ(skinHitTest(q), row.expected) << row.x << "," << row.y;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainWindowHitTest,
    ::testing::Values(
        Row{0, 0, false, u"LabelUI", SkinHit::TopLeft}, Row{3, 3, false, u"LabelUI", SkinHit::TopLeft},
        Row{4, 3, false, u"LabelUI", SkinHit::Top}, Row{935, 0, false, u"ButtonUI", SkinHit::TopRight},
        Row{932, 2, false, u"ButtonUI", SkinHit::Top}, Row{933, 2, false, u"ButtonUI", SkinHit::TopRight},
        Row{0, 528, false, nullptr, SkinHit::BottomLeft}, Row{500, 528, false, nullptr, SkinHit::Bottom},
        Row{500, 525, false, nullptr, SkinHit::Client}, Row{500, 526, false, nullptr, SkinHit::Bottom},
        Row{935, 528, false, nullptr, SkinHit::BottomRight}, Row{2, 300, false, u"ListUI", SkinHit::Left},
        Row{935, 300, false, u"ListUI", SkinHit::Right},
        // The caption area: drags on anything but buttons, options and texts.
        Row{100, 10, false, u"LabelUI", SkinHit::Caption}, Row{100, 10, false, u"HorizontalLayoutUI", SkinHit::Caption},
        Row{900, 10, false, u"ButtonUI", SkinHit::Client}, Row{600, 10, false, u"OptionUI", SkinHit::Client},
        Row{600, 10, false, u"TextUI", SkinHit::Client}, Row{100, 10, false, nullptr, SkinHit::Client},
        Row{100, 25, false, u"LabelUI", SkinHit::Client}, Row{100, 24, false, u"LabelUI", SkinHit::Caption},
        // Maximised: no resizing edges, the caption still drags.
        Row{0, 0, true, u"LabelUI", SkinHit::Caption}, Row{935, 528, true, nullptr, SkinHit::Client},
        Row{2, 300, true, u"ListUI", SkinHit::Client}));

TEST(DialogHitTest, OnlyButtonsStayClickableAndThereAreNoEdges) {
  SkinHitQuery q;
  q.client = {0, 0, 360, 190};
  q.sizeBox = {4, 4, 4, 4};
  q.caption = {0, 0, 0, 32};
  q.resizable = false;
  q.controlFound = true;
  q.notCaption = &dialogNotCaption();
  q.x = 0;
  q.y = 0;
  q.controlClass = u"TextUI";
  EXPECT_EQ(skinHitTest(q), SkinHit::Caption);
  q.controlClass = u"ButtonUI";
  EXPECT_EQ(skinHitTest(q), SkinHit::Client);
  q.controlClass = u"LabelUI";
  q.y = 100;
  EXPECT_EQ(skinHitTest(q), SkinHit::Client);
}

TEST(CaptionInsetsHitTest, LeftAndRightInsetsNarrowTheCaption) {
  SkinHitQuery q;
  q.client = {0, 0, 400, 300};
  q.caption = {10, 0, 20, 25};
  q.controlFound = true;
  q.controlClass = u"LabelUI";
  q.notCaption = &mainWindowNotCaption();
  q.y = 5;
  q.x = 9;
  EXPECT_EQ(skinHitTest(q), SkinHit::Client);
  q.x = 10;
  EXPECT_EQ(skinHitTest(q), SkinHit::Caption);
  q.x = 379;
  EXPECT_EQ(skinHitTest(q), SkinHit::Caption);
  q.x = 380;
  EXPECT_EQ(skinHitTest(q), SkinHit::Client);
}

}  // namespace
}  // namespace tembra
