#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "playlist/Playlist.h"

namespace tembra {

// Reads an extended M3U playlist from its whole text in one linear pass.
// The origin decides how relative stream addresses become absolute: a
// remote URL is the base they are resolved against (RFC 3986), anything
// else is the local folder they are joined to. Bad input never fails the
// parse: what cannot be read is left out.
class PlaylistParser {
 public:
  // Past this many channels the rest of the playlist is left out (the
  // result says so); it bounds the memory a hostile file can take.
  static constexpr size_t kMaxChannels = 1'000'000;
  static constexpr size_t kMaxGuides = 100;
  // A text longer than this (a title, an attribute, an address) is taken
  // as absent: no real one comes near it.
  static constexpr size_t kMaxFieldBytes = 64 * 1024;
  // A shift or catch-up correction beyond a week, in hours, is no time-zone
  // offset and is read as "not a number".
  static constexpr double kMaxHours = 7 * 24;

  static Playlist parse(std::string_view text, std::string_view origin, size_t maxChannels = kMaxChannels);

 private:
  // Strict readers of attribute values (blanks around them allowed, a
  // leading "+" too): the whole value or nothing.
  static std::optional<int> parseInteger(std::string_view value);
  static std::optional<double> parseHours(std::string_view value);

  // The #EXTINF line and the lines after it until its address, as views
  // into the text being parsed.
  struct Entry {
    bool open = false;
    std::string_view title, tvgId, tvgName, logo, number, shift, groupTitle, group;
    std::string_view httpUserAgent, userAgent, referrer, optionUserAgent, optionReferrer;
    std::string_view catchup, catchupSource, catchupDays, timeshift, catchupCorrection;
  };

  PlaylistParser(std::string_view origin, size_t maxChannels);
  size_t countEntries(std::string_view text) const;
  void parseText(std::string_view text);
  void parseLine(std::string_view line);
  void parseHeader(std::string_view attributes);
  void addGuides(std::string_view list);
  void startEntry(std::string_view afterTag);
  void parseEntryOption(std::string_view option);
  void addChannel(std::string_view addressLine, const Entry& entry);
  void setGroups(PlaylistChannel& channel, const Entry& entry);
  std::string resolved(std::string_view address) const;

  std::string_view origin_;
  bool remoteOrigin_ = false;
  size_t maxChannels_;
  double defaultShift_ = 0;
  std::optional<double> defaultCorrection_;
  Entry entry_;
  std::unordered_set<std::string_view> knownGroups_;  // views into the parsed text
  Playlist playlist_;
};

}  // namespace tembra
