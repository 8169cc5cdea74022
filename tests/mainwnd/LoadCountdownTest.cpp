#include "mainwnd/LoadCountdown.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/LanguageTable.h"
#include "platform/ModulePath.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

TEST(LoadCountdown, CountsTenToOneThenRetries) {
  int counter = LoadCountdown::kStart;
  std::vector<int> shown;
  int retries = 0;
  for (int tick = 0; tick < 12; ++tick) {
    if (auto n = LoadCountdown::tick(counter))
      shown.push_back(*n);
    else
      ++retries;
  }
  EXPECT_EQ(shown, (std::vector<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(retries, 2);
  EXPECT_EQ(counter, 0);
  int negative = -3;
  EXPECT_FALSE(LoadCountdown::tick(negative).has_value());
  EXPECT_EQ(negative, -3);
}

TEST(LoadCountdown, TextFillsTheOnePlaceholder) {
  EXPECT_EQ(LoadCountdown::text(u"Loading failed, retrying in %d s", 7),
            u"Loading failed, retrying in 7 s");
  EXPECT_EQ(LoadCountdown::text(u"%i", 10), u"10");
  EXPECT_EQ(LoadCountdown::text(u"Повтор через %u с", 3), u"Повтор через 3 с");
  EXPECT_EQ(LoadCountdown::text(u"", 5), u"");
  EXPECT_EQ(LoadCountdown::text(u"no number", 5), u"no number");
}

TEST(LoadCountdown, TextNeverTreatsTheTemplateAsAFormat) {
  EXPECT_EQ(LoadCountdown::text(u"%s %n %d", 4), u"%s %n 4");
  EXPECT_EQ(LoadCountdown::text(u"%d of %d", 4), u"4 of %d");
  EXPECT_EQ(LoadCountdown::text(u"100%% in %d", 2), u"100% in 2");
  EXPECT_EQ(LoadCountdown::text(u"ends with %", 2), u"ends with %");
  EXPECT_EQ(LoadCountdown::text(u"%%d", 2), u"%d");
}

TEST(LoadCountdown, ShippedLanguageTextHasItsPlaceholder) {
  const std::string folder = ModulePath::record();
  const std::u16string templ = LanguageTable::GetTextIn(folder, u"TV_WND_LOAD_TIMER");
  ASSERT_FALSE(templ.empty()) << "no language file beside " << folder;
  const std::u16string shown = LoadCountdown::text(templ, 9);
  EXPECT_NE(shown, templ);
  EXPECT_NE(shown.find(u'9'), std::u16string::npos);
}

}  // namespace
}  // namespace tembra
