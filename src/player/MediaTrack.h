#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// One elementary stream of the file playing, as mpv's track list names it.
struct MediaTrack {
  enum class Kind { Video, Audio, Subtitle };

  Kind kind = Kind::Video;
  int64_t id = 0;  // mpv's track id, >= 1, unique per kind
  std::string title;
  std::string language;
  std::string codec;
  bool selected = false;

  bool operator==(const MediaTrack&) const = default;
};

}  // namespace tembra
