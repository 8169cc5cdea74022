#include <gtest/gtest.h>

#include <climits>

#include "player/ReconnectBackoff.h"

namespace tembra {
namespace {

TEST(ReconnectBackoff, DoublesFromOneSecondAndStaysAtHalfAMinute) {
  const struct {
    int attempt;
    int delayMs;
  } cases[] = {
      {0, 1000},  {1, 2000},  {2, 4000},  {3, 8000},   {4, 16000},
      {5, 30000}, {6, 30000}, {31, 30000}, {32, 30000}, {INT_MAX, 30000},
      // A count that went wrong is treated as the first attempt.
      {-1, 1000}, {INT_MIN, 1000},
  };
  for (const auto& c : cases) EXPECT_EQ(ReconnectBackoff::DelayMs(c.attempt), c.delayMs) << "attempt " << c.attempt;
}

TEST(ReconnectBackoff, NeverShrinksAndNeverPassesTheCap) {
  int previous = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int delay = ReconnectBackoff::DelayMs(attempt);
    EXPECT_GE(delay, previous) << attempt;
    EXPECT_LE(delay, ReconnectBackoff::kMaxMs) << attempt;
    previous = delay;
  }
}

}  // namespace
}  // namespace tembra
