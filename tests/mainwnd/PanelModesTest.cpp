#include "mainwnd/PanelModes.h"

#include <gtest/gtest.h>

#include "mainwnd/MainLayout.h"

namespace tembra {
namespace {

constexpr PixelSize kNormal{936, 529};
constexpr PixelSize kScreen{1920, 1040};

TEST(PanelModes, HidingAndShowingOnANormalWindow) {
  WindowState s;
  auto hidden = PanelModes::hidePanel(s, kNormal, false);
  ASSERT_TRUE(hidden.has_value());
  EXPECT_EQ(hidden->window, (PixelSize{595, 529}));
  EXPECT_EQ(hidden->minimum, (PixelSize{595, 529}));
  EXPECT_FALSE(s.panelShown);
  EXPECT_EQ(s.panelWidth, 0);
  EXPECT_EQ(s.savedPanelWidth, 341);
  EXPECT_EQ(PanelModes::minimumSize(s), (PixelSize{595, 529}));

  auto shown = PanelModes::showPanel(s, hidden->window, false);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->window, kNormal);
  EXPECT_EQ(shown->minimum, (PixelSize{936, 529}));
  EXPECT_TRUE(s.panelShown);
  EXPECT_EQ(s.panelWidth, 341);
  EXPECT_EQ(PanelModes::minimumSize(s), (PixelSize{936, 529}));
}

TEST(PanelModes, RepeatedHideOrShowChangesNothing) {
  WindowState s;
  EXPECT_FALSE(PanelModes::showPanel(s, kNormal, false).has_value());
  EXPECT_EQ(s.panelWidth, 341);
  ASSERT_TRUE(PanelModes::hidePanel(s, kNormal, false).has_value());
  EXPECT_FALSE(PanelModes::hidePanel(s, {595, 529}, false).has_value());
  EXPECT_EQ(PanelModes::minimumSize(s), (PixelSize{595, 529}));
  EXPECT_EQ(s.panelWidth, 0);
}

TEST(PanelModes, MaximisedWindowKeepsItsSize) {
  WindowState s;
  auto hidden = PanelModes::hidePanel(s, kScreen, true);
  ASSERT_TRUE(hidden.has_value());
  EXPECT_EQ(hidden->window, kScreen);
  EXPECT_EQ(hidden->minimum.width, 595);
  auto shown = PanelModes::showPanel(s, kScreen, true);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->window, kScreen);
  EXPECT_EQ(shown->minimum.width, 936);
}

// Maximise with the panel shown, hide it while maximised, restore: the
// window comes back 341 pixels narrower than its stored restore width.
TEST(PanelModes, HidingWhileMaximisedRestoresNarrower) {
  WindowState s;
  PanelModes::rememberRestoreSize(s, kNormal);
  PanelModes::afterMaximise(s);
  ASSERT_TRUE(PanelModes::hidePanel(s, kScreen, true).has_value());
  auto restored = PanelModes::afterRestore(s);
  ASSERT_TRUE(restored.has_value());
  EXPECT_EQ(*restored, (PixelSize{936 - 341, 529}));
  // and the layout of that window gives the player its old width back
  EXPECT_EQ(MainLayout::compute(restored->width, restored->height, s, 1, 0).player().width(),
            MainLayout::compute(936, 529, WindowState{}, 1, 0).player().width());
}

TEST(PanelModes, ShowingWhileMaximisedRestoresWider) {
  WindowState s;
  ASSERT_TRUE(PanelModes::hidePanel(s, kNormal, false).has_value());
  PanelModes::rememberRestoreSize(s, {595, 529});
  PanelModes::afterMaximise(s);
  EXPECT_FALSE(s.panelShownAtMaximise);
  ASSERT_TRUE(PanelModes::showPanel(s, kScreen, true).has_value());
  EXPECT_EQ(PanelModes::afterRestore(s), (PixelSize{936, 529}));
}

TEST(PanelModes, UnchangedPanelLeavesTheRestoredSizeToTheSystem) {
  WindowState s;
  PanelModes::rememberRestoreSize(s, {1000, 600});
  PanelModes::afterMaximise(s);
  EXPECT_FALSE(PanelModes::afterRestore(s).has_value());
  // hidden and shown again while maximised: back where it started
  ASSERT_TRUE(PanelModes::hidePanel(s, kScreen, true).has_value());
  ASSERT_TRUE(PanelModes::showPanel(s, kScreen, true).has_value());
  EXPECT_FALSE(PanelModes::afterRestore(s).has_value());
}

}  // namespace
}  // namespace tembra
