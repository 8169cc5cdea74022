#include "player/TrackList.h"

#include <mpv/client.h>

#include <cstring>

namespace tembra {

namespace {

// Cut at kMaxText bytes without leaving half a UTF-8 sequence, and without
// control characters a menu would show as boxes.
std::string cleanText(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  const size_t length = strnlen(text, TrackList::kMaxText * 4);
  for (size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out.push_back(c < 0x20 || c == 0x7f ? ' ' : static_cast<char>(c));
  }
  if (out.size() > TrackList::kMaxText) {
    size_t cut = TrackList::kMaxText;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
  }
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

bool kindOf(const char* type, MediaTrack::Kind& kind) {
  if (type == nullptr) return false;
  if (std::strcmp(type, "video") == 0) kind = MediaTrack::Kind::Video;
  else if (std::strcmp(type, "audio") == 0) kind = MediaTrack::Kind::Audio;
  else if (std::strcmp(type, "sub") == 0) kind = MediaTrack::Kind::Subtitle;
  else return false;
  return true;
}

}  // namespace

TrackList TrackList::FromNode(const mpv_node& node) {
  TrackList list;
  if (node.format != MPV_FORMAT_NODE_ARRAY || node.u.list == nullptr) return list;
  const mpv_node_list& entries = *node.u.list;
  for (int i = 0; i < entries.num && list.tracks_.size() < kMaxTracks; ++i) {
    const mpv_node& entry = entries.values[i];
    if (entry.format != MPV_FORMAT_NODE_MAP || entry.u.list == nullptr) continue;
    const mpv_node_list& fields = *entry.u.list;
    MediaTrack track;
    bool typed = false;
    for (int f = 0; f < fields.num; ++f) {
      const char* key = fields.keys != nullptr ? fields.keys[f] : nullptr;
      const mpv_node& value = fields.values[f];
      if (key == nullptr) continue;
      const bool text = value.format == MPV_FORMAT_STRING;
      if (std::strcmp(key, "id") == 0 && value.format == MPV_FORMAT_INT64) track.id = value.u.int64;
      else if (std::strcmp(key, "type") == 0 && text) typed = kindOf(value.u.string, track.kind);
      else if (std::strcmp(key, "title") == 0 && text) track.title = cleanText(value.u.string);
      else if (std::strcmp(key, "lang") == 0 && text) track.language = cleanText(value.u.string);
      else if (std::strcmp(key, "codec") == 0 && text) track.codec = cleanText(value.u.string);
      else if (std::strcmp(key, "selected") == 0 && value.format == MPV_FORMAT_FLAG) track.selected = value.u.flag != 0;
    }
    if (!typed || track.id <= 0 || list.find(track.kind, track.id) != nullptr) continue;
    list.tracks_.push_back(std::move(track));
  }
  return list;
}

std::vector<MediaTrack> TrackList::ofKind(MediaTrack::Kind kind) const {
  std::vector<MediaTrack> out;
  for (const MediaTrack& t : tracks_)
    if (t.kind == kind) out.push_back(t);
  return out;
}

void TrackList::select(MediaTrack::Kind kind, int64_t id) {
  for (MediaTrack& t : tracks_)
    if (t.kind == kind) t.selected = t.id == id;
}

int64_t TrackList::selected(MediaTrack::Kind kind) const {
  for (const MediaTrack& t : tracks_)
    if (t.kind == kind && t.selected) return t.id;
  return 0;
}

const MediaTrack* TrackList::find(MediaTrack::Kind kind, int64_t id) const {
  for (const MediaTrack& t : tracks_)
    if (t.kind == kind && t.id == id) return &t;
  return nullptr;
}

std::string TrackList::Label(const MediaTrack& track) {
  const std::string& title = track.title;
  const std::string& language = track.language;
  if (!title.empty() && !language.empty() && title != language) return title + " (" + language + ")";
  if (!title.empty()) return title;
  if (!language.empty()) return language;
  return "Track " + std::to_string(track.id);
}

}  // namespace tembra
