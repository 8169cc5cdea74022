#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guide/GuideRow.h"

namespace tembra {

// What the window shows of one programme beside the lists.
struct ProgrammeDetails {
  std::u16string title;
  std::u16string time;  // "Tue 10 21:35 - 22:20", local
  std::u16string description;
  std::u16string category;
  std::u16string episode;
};

// One programme as the guide grid places it: its times as UTC seconds
// (stop after start) and the entry the day lists give for it, which
// details() takes.
struct GuideProgramme {
  int64_t start = 0;
  int64_t stop = 0;
  GuideEntry entry;

  bool operator==(const GuideProgramme&) const = default;
};

// The guide of a channel source, as the window's five guide lists ask it:
// what is on now on each channel, what comes next, and one channel's
// programmes on day 0 (today), 1 or 2. Queries never wait for the network;
// a day not there yet may start its download, whose end the source reports
// to the window with the list's completion message.
class GuideSource {
 public:
  static constexpr int32_t kRows = 0;             // rows were appended
  static constexpr int32_t kNothing = -1;         // the day is empty, or has no rows for it
  static constexpr int32_t kDownloadStarted = 1;  // not there yet; a download was started
  static constexpr int32_t kNotLoaded = 2;        // not there yet; noDownload was set

  enum class DayState {
    NotLoaded,    // nothing there and nothing on the way
    Downloading,  // a download of the day runs or waits to
    Loaded,       // programmes of at least one channel
    Empty,        // loaded and empty
  };

  virtual ~GuideSource() = default;

  // Each appends to rows (pass it empty) and returns one of the codes above.
  virtual int32_t GetNowPlaying(std::vector<GuideRow>& rows, bool noDownload) = 0;
  virtual int32_t GetUpcoming(std::vector<GuideRow>& rows, bool noDownload) = 0;
  virtual int32_t GetDayList(int day, std::u16string_view channelId, std::vector<GuideRow>& rows,
                             bool noDownload) = 0;
  virtual DayState GetDayState(int day) const = 0;
  // A download started by a query runs or waits.
  virtual bool downloadRunning() const = 0;
  // Why no guide could be had, in words; empty when there is nothing to say.
  virtual std::u16string statusText() const { return {}; }
  // The details of the programme a row of channelId shows; nothing when the
  // guide keeps none.
  virtual std::optional<ProgrammeDetails> details(std::u16string_view channelId, const GuideEntry& entry) const {
    return std::nullopt;
  }

  // The days from today on that the guide can hold, each one the day
  // picker's; at least 1.
  virtual int dayCount() const { return 3; }
  // The local midnight opening day `day` (0 today, may be dayCount()), as
  // UTC seconds. This one goes by the dates the day lists were found to
  // hold (a guide that keeps its lists past midnight has yesterday as its
  // day 0), else by the clock.
  virtual int64_t dayStart(int day) const;
  // One channel's programmes of day `day`, by start, appended to out (pass
  // it empty); the codes and downloads of GetDayList. This one is built on
  // GetDayList: each row's startdate and starttime are read as local time
  // and a programme ends where the next one starts (the last at the
  // midnight after it starts); rows whose times cannot be read are left
  // out, and of rows starting at the same second only the first is kept.
  virtual int32_t GetDayProgrammes(int day, std::u16string_view channelId, std::vector<GuideProgramme>& out,
                                   bool noDownload);

  // "YYYY-MM-DD" and "HH:MM[:SS]" of local time as UTC seconds; nothing
  // for a text that is not a real date or time.
  static std::optional<int64_t> localTimeOf(std::u16string_view date, std::u16string_view time);
  // The local midnight `days` days after the one opening the day of utc.
  static int64_t localMidnight(int64_t utc, int days = 0);

 private:
  static constexpr int kListedDays = 3;
  // The midnight opening each day list, as its rows' dates said; 0 until
  // read. Only the window's thread, which makes every query, touches it.
  mutable int64_t listedDay_[kListedDays] = {0, 0, 0};
};

}  // namespace tembra
