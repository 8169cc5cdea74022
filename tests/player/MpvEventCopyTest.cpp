// mpv's events outlive mpv's own copy: the event thread hands them to the
// window's thread, and mpv reuses its memory at the next wait.
#include <mpv/client.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "player/MpvEventCopy.h"
#include "player/MpvNodeBuilder.h"
#include "player/TrackList.h"

namespace tembra {
namespace {

mpv_event propertyEvent(mpv_event_property& property, uint64_t userdata) {
  mpv_event event{};
  event.event_id = MPV_EVENT_PROPERTY_CHANGE;
  event.reply_userdata = userdata;
  event.data = &property;
  return event;
}

const mpv_event_property& propertyOf(const MpvEventCopy& copy) {
  return *static_cast<const mpv_event_property*>(copy.event().data);
}

TEST(MpvEventCopy, ANodeTreeSurvivesMpvReusingItsMemory) {
  auto builder = std::make_unique<NodeBuilder>();
  NodeBuilder& b = *builder;
  char bytes[] = {'\x01', '\0', '\x02'};
  mpv_byte_array array{bytes, sizeof bytes};
  mpv_node blob{};
  blob.format = MPV_FORMAT_BYTE_ARRAY;
  blob.u.ba = &array;
  mpv_node tracks = b.array({b.track(1, "audio", "English", "eng", true), b.track(2, "audio", "Deutsch", "deu", false),
                             b.map({{"blob", blob}, {"empty", b.array({})}})});
  std::string name = "track-list";
  mpv_event_property property{name.c_str(), MPV_FORMAT_NODE, &tracks};
  const MpvEventCopy copy(propertyEvent(property, 4));

  // What mpv would do next: overwrite and free everything it handed out.
  name.assign("xxxxxxxxxx");
  tracks.u.list->values[0].u.list->values[0].u.int64 = 99;
  std::memset(bytes, 0x7f, sizeof bytes);
  builder.reset();
  tracks = mpv_node{};

  EXPECT_EQ(copy.event().event_id, MPV_EVENT_PROPERTY_CHANGE);
  EXPECT_EQ(copy.event().reply_userdata, 4u);
  const mpv_event_property& kept = propertyOf(copy);
  EXPECT_STREQ(kept.name, "track-list");
  ASSERT_EQ(kept.format, MPV_FORMAT_NODE);
  const mpv_node& node = *static_cast<const mpv_node*>(kept.data);
  const TrackList list = TrackList::FromNode(node);
  const auto audio = list.ofKind(MediaTrack::Kind::Audio);
  ASSERT_EQ(audio.size(), 2u);
  EXPECT_EQ(audio[0].id, 1);
  EXPECT_EQ(audio[1].title, "Deutsch");
  EXPECT_EQ(audio[1].language, "deu");
  EXPECT_EQ(list.selected(MediaTrack::Kind::Audio), 1);

  const mpv_node& extra = node.u.list->values[2];
  ASSERT_EQ(extra.format, MPV_FORMAT_NODE_MAP);
  ASSERT_EQ(extra.u.list->num, 2);
  EXPECT_STREQ(extra.u.list->keys[0], "blob");
  const mpv_node& copiedBlob = extra.u.list->values[0];
  ASSERT_EQ(copiedBlob.format, MPV_FORMAT_BYTE_ARRAY);
  ASSERT_EQ(copiedBlob.u.ba->size, 3u);
  EXPECT_EQ(std::memcmp(copiedBlob.u.ba->data, "\x01\0\x02", 3), 0);
  EXPECT_EQ(extra.u.list->values[1].format, MPV_FORMAT_NODE_ARRAY);
  EXPECT_EQ(extra.u.list->values[1].u.list->num, 0);
}

TEST(MpvEventCopy, EachValueFormatAndEventKindKeepsItsData) {
  int flag = 1;
  int64_t integer = -7;
  double real = 12.5;
  char text[] = "demuxer";
  char* textPointer = text;
  mpv_event_property flagProperty{"pause", MPV_FORMAT_FLAG, &flag};
  mpv_event_property integerProperty{"aid", MPV_FORMAT_INT64, &integer};
  mpv_event_property realProperty{"time-pos", MPV_FORMAT_DOUBLE, &real};
  mpv_event_property textProperty{"demuxer-lavf-format", MPV_FORMAT_STRING, &textPointer};
  // mpv tells a property that has no value (no video yet) without data.
  mpv_event_property noValue{"dwidth", MPV_FORMAT_NONE, nullptr};
  const MpvEventCopy flagCopy(propertyEvent(flagProperty, 13));
  const MpvEventCopy integerCopy(propertyEvent(integerProperty, 5));
  const MpvEventCopy realCopy(propertyEvent(realProperty, 10));
  const MpvEventCopy textCopy(propertyEvent(textProperty, 1));
  const MpvEventCopy noValueCopy(propertyEvent(noValue, 7));
  flag = 0;
  integer = 0;
  real = 0;
  text[0] = 'X';
  EXPECT_EQ(*static_cast<const int*>(propertyOf(flagCopy).data), 1);
  EXPECT_EQ(*static_cast<const int64_t*>(propertyOf(integerCopy).data), -7);
  EXPECT_DOUBLE_EQ(*static_cast<const double*>(propertyOf(realCopy).data), 12.5);
  EXPECT_STREQ(*static_cast<char* const*>(propertyOf(textCopy).data), "demuxer");
  EXPECT_EQ(propertyOf(noValueCopy).format, MPV_FORMAT_NONE);
  EXPECT_EQ(propertyOf(noValueCopy).data, nullptr);
  EXPECT_STREQ(propertyOf(noValueCopy).name, "dwidth");

  mpv_event_end_file end{};
  end.reason = MPV_END_FILE_REASON_ERROR;
  end.error = MPV_ERROR_LOADING_FAILED;
  end.playlist_entry_id = 42;
  mpv_event endEvent{MPV_EVENT_END_FILE, 0, 0, &end};
  const MpvEventCopy endCopy(endEvent);
  end = mpv_event_end_file{};
  const auto& endKept = *static_cast<const mpv_event_end_file*>(endCopy.event().data);
  EXPECT_EQ(endKept.reason, MPV_END_FILE_REASON_ERROR);
  EXPECT_EQ(endKept.error, MPV_ERROR_LOADING_FAILED);
  EXPECT_EQ(endKept.playlist_entry_id, 42);

  NodeBuilder b;
  mpv_event_command reply{b.map({{"playlist_entry_id", NodeBuilder::number(3)}})};
  const MpvEventCopy replyCopy(mpv_event{MPV_EVENT_COMMAND_REPLY, MPV_ERROR_COMMAND, 3, &reply});
  reply.result = mpv_node{};
  const mpv_node& result = static_cast<const mpv_event_command*>(replyCopy.event().data)->result;
  EXPECT_EQ(replyCopy.event().error, MPV_ERROR_COMMAND);
  EXPECT_EQ(replyCopy.event().reply_userdata, 3u);
  ASSERT_EQ(result.format, MPV_FORMAT_NODE_MAP);
  EXPECT_STREQ(result.u.list->keys[0], "playlist_entry_id");
  EXPECT_EQ(result.u.list->values[0].u.int64, 3);

  // Data this program never reads is not carried over.
  mpv_event_log_message log{};
  EXPECT_EQ(MpvEventCopy(mpv_event{MPV_EVENT_LOG_MESSAGE, 0, 0, &log}).event().data, nullptr);
}

}  // namespace
}  // namespace tembra
