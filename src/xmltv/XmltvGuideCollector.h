#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xmltv/XmltvChannelMatcher.h"
#include "xmltv/XmltvProgramme.h"
#include "xmltv/XmltvStore.h"
#include "xmltv/XmltvWindow.h"

namespace tembra {

// A programme as the parser hands it over: times in UTC (stop absent when
// the guide gave none) and its texts, cleaned and trimmed.
struct ParsedProgramme {
  int64_t start = 0;
  std::optional<int64_t> stop;
  std::string title;
  std::string desc;
  std::string category;
  std::string episode;
  std::string icon;
};

// What one guide gives the store while it is read: the guide channels
// that playlist channels still without a guide match (every channel when
// no playlist is given) and their programmes that overlap the window
// (widened by the largest shift of the playlist channels matching each).
// commit() settles the matches and moves the programmes into the store.
class XmltvGuideCollector {
 public:
  static constexpr int32_t kUnwanted = -1;
  // Bounds on what a guide can make us hold.
  static constexpr size_t kMaxIds = size_t{1} << 18;
  static constexpr size_t kMaxProgrammes = size_t{4} << 20;
  static constexpr size_t kMaxPerChannel = 50000;
  // A programme without a stop that nothing follows is taken to run this
  // long: enough to show as on now while it starts, without claiming a
  // whole evening the guide says nothing about.
  static constexpr int64_t kOpenEndSeconds = 3600;

  enum class Admission { Drop, Keep, Carry };

  // matcher null: keep every channel of the guide. settled marks playlist
  // channels that an earlier guide of the list already matched.
  XmltvGuideCollector(const XmltvChannelMatcher* matcher, const std::vector<uint8_t>& settled,
                      const XmltvWindow& window, TextPool& pool);

  // The slot of a guide channel id, or kUnwanted.
  int32_t slotForId(std::string_view id);
  // A <channel> element with its display names. A guide channel that only
  // a display name matches is known from here on: its programmes that
  // came before the element went by unclaimed. (An id match needs no
  // element: programmes of such a channel are kept wherever they come.)
  void channel(std::string_view id, const std::vector<std::string>& displayNames, size_t count);

  // Whether a programme of this slot is to be kept, from its times alone
  // (so that the texts of those dropped are never collected).
  Admission admit(int32_t slot, int64_t start, std::optional<int64_t> stop);
  void keep(int32_t slot, const ParsedProgramme& p, Admission how);

  // Settles the playlist channels matched here (marking them in settled)
  // and moves the programmes of the guide channels they took into the
  // store. Returns how many playlist channels were matched.
  size_t commit(XmltvStore& store, std::vector<uint8_t>& settled);

  size_t programmesKept() const { return kept_; }
  bool overCap() const { return overCap_; }

 private:
  struct Carried {
    int64_t start = 0;
    std::string title, desc, category, episode, icon;
  };
  struct Slot {
    std::string id;
    int64_t widen = 0;
    std::vector<StoredProgramme> programmes;  // stop == kNoStop: the guide gave none
    // The latest start before the window, of any programme: a programme
    // without a stop starting before the window can reach into it only
    // when nothing else started between it and the window.
    int64_t latestBefore = INT64_MIN;
    // The earliest start after the window: where the last kept programme
    // without a stop ends.
    int64_t earliestAfter = INT64_MAX;
    bool carried = false;
    Carried carry;
  };
  struct Best {
    uint8_t rule = XmltvChannelMatcher::NoMatch;
    int32_t slot = kUnwanted;
  };
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };

  static constexpr int64_t kNoStop = INT64_MIN;

  int32_t newSlot(std::string_view id);
  void offer(uint32_t playlistIndex, uint8_t rule, int32_t slot);
  StoredProgramme store(const ParsedProgramme& p);
  void finalize(Slot& slot, std::vector<StoredProgramme>& out);

  const XmltvChannelMatcher* matcher_;
  const std::vector<uint8_t>& settled_;
  XmltvWindow window_;
  TextPool& pool_;
  std::vector<Slot> slots_;
  std::unordered_map<std::string, int32_t, Hash, std::equal_to<>> ids_;
  std::vector<Best> best_;
  size_t kept_ = 0;
  bool overCap_ = false;
};

}  // namespace tembra
