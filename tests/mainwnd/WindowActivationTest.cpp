#include "mainwnd/WindowActivation.h"

#include <QWidget>
#include <gtest/gtest.h>

#include "mainwnd/QtTestApp.h"

namespace tembra {
namespace {

using Done = WindowActivation::Done;

TEST(WindowActivation, MinimisedWindowIsRestoredWithItsMaximisedState) {
  QWidget w;
  w.resize(936, 529);
  w.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
  w.show();
  ASSERT_TRUE(w.isMinimized());
  EXPECT_EQ(WindowActivation::restoreOrRaise(&w), Done::Restored);
  EXPECT_FALSE(w.isMinimized());
  EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
  EXPECT_TRUE(w.isVisible());
}

TEST(WindowActivation, ShownWindowIsRaised) {
  QWidget w;
  w.show();
  EXPECT_EQ(WindowActivation::restoreOrRaise(&w), Done::Raised);
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(w.isMinimized());
}

TEST(WindowActivation, WindowHiddenByItsStartUpStaysHidden) {
  QWidget w;
  EXPECT_EQ(WindowActivation::restoreOrRaise(&w), Done::StillHidden);
  EXPECT_FALSE(w.isVisible());
  w.setWindowState(Qt::WindowMinimized);
  EXPECT_EQ(WindowActivation::restoreOrRaise(&w), Done::StillHidden);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.isMinimized());
}

}  // namespace
}  // namespace tembra
