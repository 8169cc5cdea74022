// libmpv opened on first use: the forwarding functions reach the real
// library, and a name it does not have gives nothing.
#include "player/MpvLibrary.h"
#include "player/MpvOptions.h"

#include <gtest/gtest.h>

#include <mpv/client.h>

#include <clocale>

namespace tembra {
namespace {

TEST(MpvLibrary, OpensOnFirstUseAndForwardsToTheLibrary) {
  ASSERT_TRUE(MpvLibrary::load()) << MpvLibrary::error();
  EXPECT_TRUE(MpvLibrary::loaded());
  EXPECT_TRUE(MpvLibrary::error().empty());
  EXPECT_NE(MpvLibrary::symbol("mpv_create"), nullptr);
  EXPECT_EQ(MpvLibrary::symbol("mpv_no_such_function"), nullptr);
  EXPECT_STREQ(mpv_error_string(MPV_ERROR_SUCCESS), "success");

  std::setlocale(LC_NUMERIC, "C");
  mpv_handle* mpv = mpv_create();
  ASSERT_NE(mpv, nullptr);
  EXPECT_EQ(mpv_set_option_string(mpv, "vo", "null"), 0);
  EXPECT_EQ(mpv_set_option_string(mpv, "ao", MpvOptions::kAudioOutputs), 0) << "every output named is known";
  EXPECT_EQ(mpv_set_option_string(mpv, "ao", "null"), 0);
  EXPECT_EQ(mpv_set_option_string(mpv, "no-such-option", "1"), MPV_ERROR_OPTION_NOT_FOUND);
  ASSERT_EQ(mpv_initialize(mpv), 0);
  int64_t volume = -1;
  EXPECT_EQ(mpv_set_property_string(mpv, "volume", "37"), 0);
  EXPECT_EQ(mpv_get_property(mpv, "volume", MPV_FORMAT_INT64, &volume), 0);
  EXPECT_EQ(volume, 37);
  mpv_event* event = mpv_wait_event(mpv, 0);
  ASSERT_NE(event, nullptr);
  mpv_terminate_destroy(mpv);
}

}  // namespace
}  // namespace tembra
