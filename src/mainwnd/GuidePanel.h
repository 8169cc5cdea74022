#pragma once
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "guide/GuideRow.h"
#include "source/GuideSource.h"
#include "mainwnd/LoadCountdown.h"

namespace tembra {

class CListUI;
class WindowContext;

// The five guide pages, in the order of their completion messages
// (WM_GUIDE_NOWPLAYING + page).
enum class GuidePage { NowPlaying = 0, Upcoming = 1, FirstDay = 2, SecondDay = 3, ThirdDay = 4 };

// The guide side of the main window: the now-playing, upcoming and three
// day lists, the waiting panel with its count-down while a day is not
// downloaded, the retry, and the reaction to finished downloads.
class GuidePanel {
 public:
  explicit GuidePanel(WindowContext& window);

  void ShowNowPlaying(bool noDownload);
  void ShowUpcoming(bool noDownload);
  void ShowDayList(int day, bool noDownload);
  // The option of a page was clicked ("guideplaying", "guideplay",
  // "guidefirstday" ...): select its tab page and show it without download.
  void ShowGuidePage(GuidePage page);
  void TickGuideWait();    // timer 2 while guideCountdown > 0
  void RetryGuidePage();   // timer 2 at 0, or "noticeloadbtn"
  void OnGuideDownloaded(GuidePage page, bool ok);
  void OpenChannelGuide(const std::u16string& channelId, const std::u16string& channelName);
  // The details of row `row` of a page's list, where the window shows them.
  void ShowDetails(GuidePage page, int row);

  // A programme of a day list, with the times to ask the archive for.
  struct Programme {
    std::u16string channelId, channelName, title;
    int64_t start = 0, stop = 0;
    bool playable = false;  // past, within the channel's catch-up days
  };
  std::optional<Programme> programmeAt(GuidePage page, int row) const;
  // The selected row of the day list that has the keyboard focus.
  std::optional<Programme> focusedProgramme() const;
  // A double click or Enter on a day list: a playable programme plays
  // from the archive. False when the row is not one.
  bool PlayPastProgramme(GuidePage page);
  // The right-click menu of row `row` of a page's list, at a screen point:
  // play its channel (through `play`), show its details, play it from the
  // archive, and in a day list schedule its recording or cancel it.
  void OpenRowMenu(GuidePage page, int row, const QPoint& at, const std::function<void(const std::u16string&)>& play);
  // The day options read their dates ("Today", "Tue 10", "Wed 11").
  void LabelDayOptions();
  // Where the programme on now and "Today" are read (UTC seconds); the
  // system clock unless a test stands on another day.
  void setClock(std::function<int64_t()> now) { clock_ = std::move(now); }

  // The period of timer 2 (LoadCountdown::kIntervalMs); tests shorten it.
  void setTickInterval(int milliseconds);

 private:
  // Runs the page's query and shows its rows, its "no programme" notice or
  // its waiting panel; the query's result, nothing without a guide.
  std::optional<int32_t> show(GuidePage page, bool noDownload);
  // The waiting panel with its count-down over the page's list.
  void startWait(GuidePage page);
  void fill(CListUI& list, GuidePage page, const std::vector<GuideRow>& rows);
  void showNoProgramme(GuidePage page);
  std::vector<std::optional<Programme>> programmesOf(const std::vector<GuideRow>& rows) const;
  // Marks the programme on now in a day list, shows it at the top (after
  // the one before it) with its progress.
  void markOnNow(CListUI& list, GuidePage page, const std::vector<GuideRow>& rows);
  void hideLoadingPicture();
  // The page whose list is on show by "guidetab" and "tvswitch"; nothing
  // for a page without a list.
  std::optional<GuidePage> pageOnShow() const;
  bool isOnShow(GuidePage page) const;

  WindowContext& window_;
  // The rows each list shows, for their details.
  std::vector<GuideRow> rows_[5];
  // Their programmes' times and whether the archive plays them (day lists).
  std::vector<std::optional<Programme>> programmes_[5];
  int tickMs_ = LoadCountdown::kIntervalMs;
  // The skin's own "nonoticelist" text, kept while a reason replaces it.
  QString noProgrammeText_;
  std::function<int64_t()> clock_;
  int64_t now() const;
};

}  // namespace tembra
