#include "player/MpvEventCopy.h"

namespace tembra {

MpvEventCopy::MpvEventCopy(const mpv_event& event) {
  event_.event_id = event.event_id;
  event_.error = event.error;
  event_.reply_userdata = event.reply_userdata;
  if (event.data == nullptr) return;
  switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE:
    case MPV_EVENT_GET_PROPERTY_REPLY:
      copyProperty(*static_cast<const mpv_event_property*>(event.data));
      event_.data = &property_;
      return;
    case MPV_EVENT_START_FILE:
      startFile_ = *static_cast<const mpv_event_start_file*>(event.data);
      event_.data = &startFile_;
      return;
    case MPV_EVENT_END_FILE:
      endFile_ = *static_cast<const mpv_event_end_file*>(event.data);
      event_.data = &endFile_;
      return;
    case MPV_EVENT_COMMAND_REPLY:
      command_.result = copyNode(static_cast<const mpv_event_command*>(event.data)->result);
      event_.data = &command_;
      return;
    default:
      // Log lines, hooks and client messages are not asked for; their data
      // is not carried over.
      return;
  }
}

void MpvEventCopy::copyProperty(const mpv_event_property& property) {
  property_.name = keep(property.name);
  property_.format = property.format;
  property_.data = nullptr;
  if (property.data == nullptr) return;
  if (property.format == MPV_FORMAT_NODE) {
    value_ = copyNode(*static_cast<const mpv_node*>(property.data));
    property_.data = &value_;
    return;
  }
  // Any other value is what a node of its format holds: copied as one, and
  // data points at the node's value (every member of its union starts there).
  mpv_node value{};
  value.format = property.format;
  switch (property.format) {
    case MPV_FORMAT_FLAG:
      value.u.flag = *static_cast<const int*>(property.data);
      break;
    case MPV_FORMAT_INT64:
      value.u.int64 = *static_cast<const int64_t*>(property.data);
      break;
    case MPV_FORMAT_DOUBLE:
      value.u.double_ = *static_cast<const double*>(property.data);
      break;
    case MPV_FORMAT_STRING:
    case MPV_FORMAT_OSD_STRING:
      value.u.string = *static_cast<char* const*>(property.data);
      break;
    default:
      // A format this program never observes with: no value.
      property_.format = MPV_FORMAT_NONE;
      return;
  }
  value_ = copyNode(value);
  property_.data = &value_.u;
}

mpv_node MpvEventCopy::copyNode(const mpv_node& node) {
  mpv_node out{};
  out.format = node.format;
  switch (node.format) {
    case MPV_FORMAT_STRING:
    case MPV_FORMAT_OSD_STRING:
      out.u.string = keep(node.u.string);
      return out;
    case MPV_FORMAT_FLAG:
      out.u.flag = node.u.flag;
      return out;
    case MPV_FORMAT_INT64:
      out.u.int64 = node.u.int64;
      return out;
    case MPV_FORMAT_DOUBLE:
      out.u.double_ = node.u.double_;
      return out;
    case MPV_FORMAT_NODE_ARRAY:
    case MPV_FORMAT_NODE_MAP: {
      const mpv_node_list* from = node.u.list;
      const int count = from != nullptr && from->num > 0 ? from->num : 0;
      std::vector<mpv_node>& values = values_.emplace_back();
      values.reserve(count);
      for (int i = 0; i < count; ++i) values.push_back(copyNode(from->values[i]));
      char** keys = nullptr;
      if (node.format == MPV_FORMAT_NODE_MAP && count > 0) {
        std::vector<char*>& kept = keys_.emplace_back();
        kept.reserve(count);
        for (int i = 0; i < count; ++i) kept.push_back(keep(from->keys[i]));
        keys = kept.data();
      }
      out.u.list = &lists_.emplace_back(mpv_node_list{count, values.data(), keys});
      return out;
    }
    case MPV_FORMAT_BYTE_ARRAY: {
      const mpv_byte_array* from = node.u.ba;
      std::string& data = strings_.emplace_back();
      if (from != nullptr && from->data != nullptr) data.assign(static_cast<const char*>(from->data), from->size);
      out.u.ba = &bytes_.emplace_back(mpv_byte_array{data.data(), data.size()});
      return out;
    }
    default:
      out.format = MPV_FORMAT_NONE;
      return out;
  }
}

char* MpvEventCopy::keep(const char* text) {
  if (text == nullptr) return nullptr;
  return strings_.emplace_back(text).data();
}

}  // namespace tembra
