#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "player/MediaTrack.h"

struct mpv_node;

namespace tembra {

// The tracks of the file playing, read from mpv's "track-list" property.
// A stream decides how many tracks it claims and what it calls them, so
// both the count and the texts are capped.
class TrackList {
 public:
  static constexpr size_t kMaxTracks = 64;
  static constexpr size_t kMaxText = 120;

  TrackList() = default;
  explicit TrackList(std::vector<MediaTrack> tracks) : tracks_(std::move(tracks)) {}
  // Anything but an array of maps gives an empty list; entries without a
  // known type or a positive id are skipped.
  static TrackList FromNode(const mpv_node& node);

  const std::vector<MediaTrack>& all() const { return tracks_; }
  std::vector<MediaTrack> ofKind(MediaTrack::Kind kind) const;
  bool empty() const { return tracks_.empty(); }
  // Marks the track of that kind with this id as the one selected (0 or a
  // missing id: none), as mpv's "aid"/"sid" say.
  void select(MediaTrack::Kind kind, int64_t id);
  // The selected track's id of that kind; 0 when none is.
  int64_t selected(MediaTrack::Kind kind) const;
  const MediaTrack* find(MediaTrack::Kind kind, int64_t id) const;

  // What a menu shows for a track: "Deutsch (deu)", "Deutsch", "deu" or
  // "Track 2".
  static std::string Label(const MediaTrack& track);

  bool operator==(const TrackList&) const = default;

 private:
  std::vector<MediaTrack> tracks_;
};

}  // namespace tembra
