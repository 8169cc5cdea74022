#pragma once
#include <mpv/client.h>

#include <deque>
#include <string>
#include <vector>

namespace tembra {

// One of mpv's events, copied with everything it points to: mpv's own
// event lives only until the next mpv_wait_event, and the events are
// waited for on a thread of their own but handled on the window's thread.
// event() has mpv's shape (the same fields, data and nodes), pointing into
// this object, which therefore neither copies nor moves.
class MpvEventCopy {
 public:
  explicit MpvEventCopy(const mpv_event& event);
  MpvEventCopy(const MpvEventCopy&) = delete;
  MpvEventCopy& operator=(const MpvEventCopy&) = delete;

  const mpv_event& event() const { return event_; }

 private:
  void copyProperty(const mpv_event_property& property);
  mpv_node copyNode(const mpv_node& node);
  char* keep(const char* text);

  mpv_event event_{};
  mpv_event_property property_{};
  mpv_event_start_file startFile_{};
  mpv_event_end_file endFile_{};
  mpv_event_command command_{};
  // The value a property event's data points to.
  mpv_node value_{};
  // Storage of the copied nodes (deques: what they hold never moves).
  std::deque<std::string> strings_;
  std::deque<std::vector<mpv_node>> values_;
  std::deque<std::vector<char*>> keys_;
  std::deque<mpv_node_list> lists_;
  std::deque<mpv_byte_array> bytes_;
};

}  // namespace tembra
