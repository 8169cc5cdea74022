#pragma once
#include <QString>
#include <QTimer>

#include <optional>
#include <string>
#include <vector>

#include "mainwnd/ChannelIndex.h"
#include "mainwnd/LoadCountdown.h"
#include "source/Favourites.h"
#include "source/WriteBehind.h"

namespace tembra {

class CListUI;
class WindowContext;
struct ListMarker;

// The channel side of the main window: the group selector and channel list
// built from the catalogue, the count-down panel while no catalogue is held,
// the background refresh, playback of the chosen channel with its marks in
// both lists, and the right-hand ad pane.
//
// The selector always offers "All channels", "Favourites" and "Recently
// watched" above the source's groups. A search text, while there is one,
// puts its matches from every group in the list in place of the group's
// channels.
class ChannelPanel {
 public:
  static constexpr std::u16string_view kFavouritesGroup = u"tembra:favourites";
  static constexpr std::u16string_view kRecentGroup = u"tembra:recent";
  // How long a change of the recently watched waits before it is written
  // (zapping through channels writes once).
  static constexpr int kRecentSaveMs = 1000;

  // favouritesFile: where favourites and recent channels are kept; empty:
  // in memory only.
  explicit ChannelPanel(WindowContext& window, std::string favouritesFile = {});
  ~ChannelPanel();

  void ShowCatalogueState();
  void FillGroupSelector();
  // The selector's choice: the group's channels (a search is given up).
  void FillChannelList();
  void StartCountdown();
  void CountdownTick();   // timer 1 while listCountdown > 0
  void StartRefresh();    // timer 1 at 0, or "listloadbtn"
  void OnCatalogueLoaded();
  void OnChannelListActivate();
  void OnPlayingListActivate();
  // True when the channel was found and handed to the player.
  bool PlayChannel(const std::u16string& channelId);
  void ShowRightAd();
  // The previous (step -1) or next (+1) channel of "channellist" from the
  // marked one, played as a double-click on it would (Page Up / Page Down
  // over the video, a remote's channel keys).
  void PlayNeighbour(int step);

  // The window has shown: the channel watched last plays again (when the
  // setting says so), now or once a catalogue is there.
  void WindowStarted();

  // The search field's text; empty gives the group's list back.
  void SetSearchText(const QString& text);
  const QString& searchText() const { return searchText_; }
  // Selects the row of "channellist" and plays it as a double-click would.
  bool PlayRow(int row);
  // Plays the first row of the list (the best match while searching).
  bool PlayFirstRow() { return PlayRow(0); }
  // Plays the channel with this number; false when no channel has it.
  bool PlayNumber(int number);

  // Row actions of "channellist" (its keys and its menu).
  bool IsFavourite(int row) const;
  // Adds or removes the row's channel; the new state.
  bool ToggleFavourite(int row);
  // In "Favourites": moves the row's channel up (-1) or down (+1).
  bool MoveFavourite(int row, int step);
  // The row's stream address as the source gives it; empty for none.
  std::u16string StreamAddressOf(int row) const;
  bool ShowingFavourites() const { return selectedGroup() == kFavouritesGroup && searchText_.isEmpty(); }

  // The channels the list is made of now (the guide grid shows the same).
  std::vector<SourceChannelRef> channelsOnShow();
  Favourites& favourites() { return favourites_; }

  // The period of timer 1 (LoadCountdown::kIntervalMs); tests shorten it.
  void setTickInterval(int milliseconds);

 private:
  // Clears the marker of row `mark` (unless -1), gives row `index` the
  // marker (unless -1 or out of range) and leaves its index, or -1, in `mark`.
  static void moveMark(CListUI& list, int& mark, int index, const ListMarker* marker);
  void placeRefreshPicture();
  std::u16string selectedGroup() const;
  std::vector<SourceChannelRef> groupChannels(std::u16string_view group) const;
  // Fills "channellist" from the search or the selected group, marking the
  // playing channel again.
  void refillList();
  void showRows(QVector<CListLabelElementUI> rows);
  QString emptyListText() const;
  void clearSearchField();
  void noteWatched(const std::u16string& channelId);
  void maybeResume();
  void saveSoon();
  void saveNow();

  WindowContext& window_;
  int tickMs_ = LoadCountdown::kIntervalMs;
  // The channel last handed to the player and the mark its "channellist"
  // row had, so a refill of the list (another group) marks it again.
  std::u16string playingId_;
  const ListMarker* playingMarker_ = nullptr;

  // Everything below is used on the GUI thread only.
  Favourites favourites_;
  // Writes the favourites' file off the GUI thread; its end writes what is
  // pending.
  WriteBehind writer_;
  ChannelIndex index_;
  QString searchText_;
  QTimer saveTimer_;
  bool started_ = false;
  bool resumeDone_ = false;
};

}  // namespace tembra
