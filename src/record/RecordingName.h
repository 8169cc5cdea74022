#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tembra {

// Where a recording of a channel is written:
// VIDEOS/Tembra Player/CHANNEL - YYYY-MM-DD HH-MM.ts, VIDEOS being the
// user's videos folder (XDG_VIDEOS_DIR of user-dirs.dirs, else ~/Videos).
class RecordingName {
 public:
  static constexpr std::string_view kSubfolder = "Tembra Player";
  // A channel name longer than this (bytes of UTF-8) is cut at a character.
  static constexpr size_t kMaxNameBytes = 120;

  // The channel's name as a file name: no '/', NUL or control characters,
  // no leading dot (hidden, or "." and ".."), no surrounding blanks, and
  // "Channel" for a name with nothing left.
  static std::string safeName(std::string_view channelUtf8);
  // "CHANNEL - YYYY-MM-DD HH-MM.ts" at the local time of utcSeconds.
  static std::string fileName(std::string_view channelUtf8, int64_t utcSeconds);
  // The user's videos folder, without a trailing '/'; home is $HOME and
  // configHome the folder holding user-dirs.dirs (empty: the process's own).
  static std::string videosFolder(const std::string& home = {}, const std::string& configHome = {});
  static std::string folder(const std::string& home = {}, const std::string& configHome = {});
  // folder/name, or with " (2)", " (3)" ... before ".ts" when that exists;
  // empty when even those are all taken (nothing is ever written over).
  static std::string unusedPath(const std::string& folder, const std::string& name);
};

}  // namespace tembra
