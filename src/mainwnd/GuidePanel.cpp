#include "mainwnd/GuidePanel.h"

#include <QMenu>
#include <QString>
#include <QTimer>
#include <QToolTip>
#include <QVector>

#include <algorithm>
#include <ctime>
#include <chrono>

#include "app/LanguageTable.h"
#include "mainwnd/GuideRowText.h"
#include "mainwnd/ListMarker.h"
#include "mainwnd/DayRowDecor.h"
#include "mainwnd/DialogStyle.h"
#include "mainwnd/GuideRowMenu.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/PlaybackTransport.h"
#include "mainwnd/PanelLook.h"
#include "mainwnd/PanelPlacement.h"
#include "mainwnd/ProgrammeDetailsView.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/WindowContext.h"
#include "platform/Utf.h"
#include "record/ArchiveRows.h"
#include "skin/CListUI.h"
#include "skin/SkinListView.h"
#include "skin/COptionUI.h"
#include "skin/CTabLayoutUI.h"
#include "skin/CWindowWnd.h"
#include "skin/SkinControl.h"
#include "source/ChannelSource.h"
#include "source/GuideSource.h"
#include "splash/CPictureEx.h"

namespace tembra {

// The indicator controls ("noticeload", "nonoticelist", timer 2 and the
// loading picture) stand for the list on show. A download that ends for a
// page the viewer has left refills that page's list but leaves them alone:
// otherwise it would tear down the waiting panel or the no-programme
// notice of the page on show, or put a waiting panel over a filled list.

namespace {

constexpr int kPages = 5;
constexpr const char* kListNames[kPages] = {"playinglist", "playlist", "firstdaylist", "seconddaylist",
                                             "thirddaylist"};

int index(GuidePage page) { return static_cast<int>(page); }
bool valid(GuidePage page) { return index(page) >= 0 && index(page) < kPages; }
const char* listName(GuidePage page) { return kListNames[index(page)]; }
bool isDayPage(GuidePage page) { return index(page) >= index(GuidePage::FirstDay); }
int dayOf(GuidePage page) { return isDayPage(page) ? index(page) - index(GuidePage::FirstDay) : 0; }

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

int64_t nowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void setVisible(CWindowWnd& skin, const char* name, bool visible) {
  if (SkinControl* c = skin.findControl(QString::fromLatin1(name))) c->setVisible(visible);
}

}  // namespace

GuidePanel::GuidePanel(WindowContext& window) : window_(window) {}

int64_t GuidePanel::now() const { return clock_ ? clock_() : nowSeconds(); }

void GuidePanel::setTickInterval(int milliseconds) { tickMs_ = std::max(1, milliseconds); }

void GuidePanel::ShowNowPlaying(bool noDownload) { show(GuidePage::NowPlaying, noDownload); }

void GuidePanel::ShowUpcoming(bool noDownload) { show(GuidePage::Upcoming, noDownload); }

void GuidePanel::ShowDayList(int day, bool noDownload) {
  if (day < 0 || day > 2) return;
  show(static_cast<GuidePage>(index(GuidePage::FirstDay) + day), noDownload);
}

void GuidePanel::ShowGuidePage(GuidePage page) {
  if (!valid(page)) return;
  CWindowWnd& skin = window_.skin();
  if (CTabLayoutUI* tab = skin.findTabLayout(QStringLiteral("guidetab"))) {
    tab->selectPage(page == GuidePage::NowPlaying ? 1 : page == GuidePage::Upcoming ? 2 : 0);
  }
  if (isDayPage(page)) {
    if (CTabLayoutUI* days = skin.findTabLayout(QStringLiteral("tvswitch"))) days->selectPage(dayOf(page));
  }
  show(page, true);
}

std::optional<int32_t> GuidePanel::show(GuidePage page, bool noDownload) {
  GuideSource* guide = window_.source().guide();
  if (guide == nullptr || !valid(page)) return std::nullopt;
  CWindowWnd& skin = window_.skin();
  const bool onShow = isOnShow(page);
  if (onShow) hideLoadingPicture();

  std::vector<GuideRow> rows;
  int32_t result;
  switch (page) {
    case GuidePage::NowPlaying: result = guide->GetNowPlaying(rows, noDownload); break;
    case GuidePage::Upcoming: result = guide->GetUpcoming(rows, noDownload); break;
    default: result = guide->GetDayList(dayOf(page), window_.state().guideChannelId, rows, noDownload); break;
  }

  CListUI* list = skin.findList(QString::fromLatin1(listName(page)));
  if (result == GuideSource::kRows) {
    if (list != nullptr) {
      fill(*list, page, rows);
      list->show();
    }
    if (onShow) {
      setVisible(skin, "noticeload", false);
      skin.stopTimer(2);
      setVisible(skin, "nonoticelist", false);
    }
  } else if (result == GuideSource::kNothing) {
    if (onShow) {
      showNoProgramme(page);
      setVisible(skin, "noticeload", false);
      skin.stopTimer(2);
    }
    if (list != nullptr) list->removeAll();
    rows_[index(page)].clear();
    if (page == GuidePage::NowPlaying) window_.state().playingListMark = -1;
  } else if (onShow) {
    startWait(page);
  }
  return result;
}

void GuidePanel::fill(CListUI& list, GuidePage page, const std::vector<GuideRow>& rows) {
  WindowState& state = window_.state();
  const bool channelRows = page == GuidePage::NowPlaying || page == GuidePage::Upcoming;
  // The playing channel's mark survives the refill: the same channel, the
  // same mark, wherever its row is now (and kept in view).
  QString markedName;
  QString markerImage = qs(ListMarker::PlayingListFromChannels().image);
  QRect markerRect = PanelPlacement::toQRect(ListMarker::PlayingListFromChannels().rect);
  if (page == GuidePage::NowPlaying) {
    const CListLabelElementUI* marked = list.item(state.playingListMark);
    if (marked != nullptr && !marked->markerImage.isEmpty()) {
      markedName = marked->name;
      markerImage = marked->markerImage;
      markerRect = marked->markerRect;
    } else {
      markedName = qs(state.currentChannelId);
    }
  }

  QVector<CListLabelElementUI> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  programmes_[index(page)] = channelRows ? std::vector<std::optional<Programme>>(rows.size()) : programmesOf(rows);
  const std::vector<bool> seconds = channelRows ? std::vector<bool>() : GuideRowText::DaySeconds(rows);
  for (size_t i = 0; i < rows.size(); ++i) {
    const GuideRow& row = rows[i];
    CListLabelElementUI item;
    if (channelRows) item.name = qs(row.id);
    item.text = qs(channelRows ? GuideRowText::ChannelRow(row) : GuideRowText::DayRow(row, seconds[i]));
    item.tooltip = item.text;
    item.maxHeight = state.rowHeightLimit;
    item.maxWidth = state.rowWidthLimit;
    const auto& p = programmes_[index(page)][i];
    if (p) {
      // What the day decor knows a scheduled recording by.
      item.channel = qs(p->channelId);
      item.start = p->start;
    }
    if (p && p->playable) {
      item.playable = true;
      const ListMarker& marker = ListMarker::ArchivePlayable();
      item.markerImage = qs(marker.image);
      item.markerRect = PanelPlacement::toQRect(marker.rect);
      item.tooltip += QStringLiteral("\nDouble-click or Enter: watch from the start");
    }
    items.append(std::move(item));
  }
  list.removeAll();
  list.addMany(items);
  rows_[index(page)] = rows;
  if (PanelLook* look = window_.look(); look != nullptr && page == GuidePage::NowPlaying) look->nowPlayingFilled();
  if (StartupTrace::enabled() && !rows.empty()) {
    // What the viewer reads first, for the end-to-end tests: list, rows, the
    // first row's channel id and text.
    StartupTrace::mark("guide-list-filled", std::string(listName(page)) + " " + std::to_string(rows.size()) + " " +
                                                toUtf8(rows.front().id) + " " + items.front().text.toStdString());
  }

  if (page != GuidePage::NowPlaying && page != GuidePage::Upcoming) {
    markOnNow(list, page, rows);
    // The guide knows its days' dates now (its day 0 may be yesterday's
    // list kept past midnight).
    LabelDayOptions();
    return;
  }
  if (page != GuidePage::NowPlaying) return;
  state.playingListMark = -1;
  if (markedName.isEmpty()) return;
  const int row = list.findByName(markedName);
  if (row < 0) return;
  list.setItemMarker(row, markerImage, markerRect);
  list.ensureVisible(row);
  state.playingListMark = row;
}

// Both kinds of guide are read by their times (the guide's own reading of
// the day, whose programmes end where the next begins); a row the guide
// says is on now counts where the times say nothing.
void GuidePanel::markOnNow(CListUI& list, GuidePage page, const std::vector<GuideRow>& rows) {
  const int64_t now = this->now();
  int row = -1;
  int64_t start = 0, stop = 0;
  std::vector<GuideProgramme> programmes;
  GuideSource* guide = window_.source().guide();
  if (guide != nullptr &&
      guide->GetDayProgrammes(dayOf(page), window_.state().guideChannelId, programmes, true) == GuideSource::kRows) {
    for (const GuideProgramme& p : programmes) {
      if (p.start > now || now >= p.stop) continue;
      const auto at = std::find_if(rows.begin(), rows.end(), [&](const GuideRow& r) { return r.entry == p.entry; });
      if (at == rows.end()) break;
      row = static_cast<int>(at - rows.begin());
      start = p.start;
      stop = p.stop;
      break;
    }
  }
  if (row < 0) {
    const auto flagged = std::find_if(rows.begin(), rows.end(), [](const GuideRow& r) { return r.onNow; });
    if (flagged == rows.end()) return;
    row = static_cast<int>(flagged - rows.begin());
  }
  const ListMarker& marker = ListMarker::PlayingListPlayed();
  list.setItemMarker(row, qs(marker.image), PanelPlacement::toQRect(marker.rect));
  if (PanelLook* look = window_.look()) look->dayDecor().setOnNow(list.item(row)->text, start, stop);
  // The one before stays in sight above it, for what just ended. A list
  // not laid out yet (its page just shown) scrolls again once it is.
  const int top = std::max(0, row - 1);
  list.scrollToTop(top);
  QTimer::singleShot(0, &list, [&list, top, count = list.count()] {
    if (list.count() == count) list.scrollToTop(top);
  });
}

void GuidePanel::LabelDayOptions() {
  GuideSource* guide = window_.source().guide();
  if (guide == nullptr) return;
  const int64_t now = this->now();
  const char* options[] = {"guidefirstday", "guidesecondday", "guidethirdday"};
  for (int d = 0; d < 3; ++d) {
    COptionUI* option = window_.skin().findOption(QString::fromLatin1(options[d]));
    if (option == nullptr) continue;
    const std::u16string text = GuideRowText::DayOption(guide->dayStart(d), now);
    if (!text.empty()) option->setText(qs(text));
  }
}

void GuidePanel::OpenRowMenu(GuidePage page, int row, const QPoint& at,
                             const std::function<void(const std::u16string&)>& play) {
  if (!valid(page) || row < 0 || static_cast<size_t>(row) >= rows_[index(page)].size()) return;
  const GuideRow r = rows_[index(page)][row];
  const std::u16string channelId = isDayPage(page) ? window_.state().guideChannelId : r.id;
  const SourceChannelRef channel = channelId.empty() ? nullptr : window_.source().findChannel(channelId);
  GuideRowMenu::Row input;
  input.channelKnown = channel != nullptr;
  input.catchupDays = channel ? channel->catchupDays : std::nullopt;
  // A day row's times are the list's own reading of the day, the one its
  // archive marks, R and every entry of this menu act on.
  const std::optional<Programme> programme = isDayPage(page) ? programmeAt(page, row) : std::nullopt;
  input.start = programme ? programme->start
                          : GuideSource::localTimeOf(r.entry.startdate, r.entry.starttime).value_or(0);
  input.now = now();
  input.archivePlayable = window_.transport() != nullptr;
  if (PlaybackTransport* transport = window_.transport(); transport != nullptr && programme) {
    input.schedulable = true;
    input.scheduled = transport->isScheduled(programme->channelId, programme->start);
  }

  QMenu menu(&window_.skin());
  menu.setObjectName(QStringLiteral("guiderowmenu"));
  menu.setStyleSheet(DialogStyle::menuSheet());
  for (const GuideRowMenu::Entry& e : GuideRowMenu::entries(input)) {
    QAction* action = nullptr;
    switch (e.action) {
      case GuideRowMenu::Action::Play:
        action = menu.addAction(QStringLiteral("Play"), [play, channelId] {
          if (play) play(channelId);
        });
        break;
      case GuideRowMenu::Action::Details:
        action = menu.addAction(QStringLiteral("Show details"), [this, page, row, r, at] {
          if (CListUI* list = window_.skin().findList(QString::fromLatin1(listName(page)))) list->select(row);
          if (window_.detailsView() != nullptr) {
            ShowDetails(page, row);
            return;
          }
          // Without the details pane (the operator's ads are there) the
          // row's programme is told beside it.
          QString text = qs(r.entry.starttime.substr(0, 5)) + QStringLiteral(" ") + qs(r.entry.title).toHtmlEscaped();
          if (GuideSource* guide = window_.source().guide()) {
            if (const auto d = guide->details(isDayPage(page) ? window_.state().guideChannelId : r.id, r.entry)) {
              if (!d->category.empty()) text += QStringLiteral("<br><i>") + qs(d->category).toHtmlEscaped() + QStringLiteral("</i>");
              if (!d->description.empty()) text += QStringLiteral("<br>") + qs(d->description).toHtmlEscaped();
            }
          }
          QToolTip::showText(at, QStringLiteral("<p style='white-space:pre-wrap'>") + text + QStringLiteral("</p>"),
                             &window_.skin());
        });
        break;
      case GuideRowMenu::Action::Archive:
        action = menu.addAction(QStringLiteral("Play from the archive"), [this, page, row] {
          const std::optional<Programme> p = programmeAt(page, row);
          if (PlaybackTransport* transport = window_.transport(); transport != nullptr && p && p->playable)
            transport->playArchive(p->channelId, p->title, p->start, p->stop);
        });
        break;
      case GuideRowMenu::Action::Record:
      case GuideRowMenu::Action::CancelRecording: {
        const QString text = e.action == GuideRowMenu::Action::Record ? QStringLiteral("&Record")
                                                                      : QStringLiteral("Cancel &recording");
        action = menu.addAction(text, [this, p = *programme] {
          if (PlaybackTransport* transport = window_.transport())
            transport->toggleScheduled(p.channelId, p.channelName, p.title, p.start, p.stop);
        });
        break;
      }
    }
    action->setEnabled(e.enabled);
  }
  menu.exec(at);
}

void GuidePanel::showNoProgramme(GuidePage page) {
  CWindowWnd& skin = window_.skin();
  SkinControl* notice = skin.findControl(QStringLiteral("nonoticelist"));
  if (notice == nullptr) return;
  // A source without the details pane (the operator's) has nowhere else to
  // say why there is no guide: a day too large to load says so here, in
  // short, with the whole reason on the tooltip (the operator's guide has
  // no other reason to give). Otherwise the skin's text.
  if (noProgrammeText_.isNull()) noProgrammeText_ = notice->text();
  const GuideSource* guide = window_.source().guide();
  const std::u16string why = guide != nullptr && window_.detailsView() == nullptr ? guide->statusText() : u"";
  notice->setText(why.empty() ? noProgrammeText_ : QStringLiteral("Guide too large"));
  notice->setToolTip(qs(why));
  if (CListUI* list = skin.findList(QString::fromLatin1(listName(page)))) {
    PanelPlacement::place(notice,
                          MainLayout::guideIndicator(listName(page), PanelPlacement::rectOf(list)).nonoticelist);
  }
  notice->show();
}

// "nonoticelist" goes whichever list waits: the notice and the waiting
// panel say opposite things, and the layout puts them one over the other.
void GuidePanel::startWait(GuidePage page) {
  CWindowWnd& skin = window_.skin();
  CListUI* list = skin.findList(QString::fromLatin1(listName(page)));
  if (list != nullptr) list->hide();
  setVisible(skin, "nonoticelist", false);
  SkinControl* panel = skin.findControl(QStringLiteral("noticeload"));
  if (panel != nullptr) panel->show();
  skin.setTimer(2, tickMs_);
  window_.state().guideCountdown = LoadCountdown::kStart;
  TickGuideWait();
  if (panel != nullptr && list != nullptr) {
    PanelPlacement::place(panel, MainLayout::guideIndicator(listName(page), PanelPlacement::rectOf(list)).noticeload);
  }
}

void GuidePanel::TickGuideWait() {
  int& counter = window_.state().guideCountdown;
  const int n = counter;
  counter = n - 1;
  const std::u16string text = LoadCountdown::text(window_.language().GetText(u"TV_WND_LOAD_TIMER"), n);
  if (text.empty()) return;
  if (SkinControl* label = window_.skin().findControl(QStringLiteral("noticeloadtime"))) label->setText(qs(text));
}

// The loading picture replaces the waiting panel only when this retry did
// start a download of the page on show: then its completion message ends
// the picture. Rows, no data, or a request the guide dropped because
// another download runs keep the state the show call set (a dropped one
// waits and retries again), so the picture never stays up with nothing to
// end it.
void GuidePanel::RetryGuidePage() {
  CWindowWnd& skin = window_.skin();
  bool downloading = false;
  if (skin.findTabLayout(QStringLiteral("guidetab")) != nullptr) {
    if (const std::optional<GuidePage> page = pageOnShow()) {
      GuideSource* guide = window_.source().guide();
      const bool idle = guide != nullptr && !guide->downloadRunning();
      const std::optional<int32_t> result = show(*page, false);
      downloading = idle && result == GuideSource::kDownloadStarted;
      if (result && !downloading) return;
    }
  }
  SkinControl* panel = skin.findControl(QStringLiteral("noticeload"));
  if (panel != nullptr) panel->hide();
  skin.stopTimer(2);
  if (!downloading) return;
  CPictureEx* picture = window_.guideLoadingPicture();
  if (picture == nullptr) return;
  if (panel != nullptr) PanelPlacement::place(picture, skin, MainLayout::retryPicture(PanelPlacement::rectOf(panel)));
  picture->show();
}

void GuidePanel::OnGuideDownloaded(GuidePage page, bool ok) {
  if (!valid(page)) return;
  // A guide that says why it is missing says it beside the programme details.
  if (ProgrammeDetailsView* view = window_.detailsView()) view->setNote(ProgrammeDetailsView::noteFor(window_.source()));
  if (ok) {
    show(page, false);
    // The page on show may wait for the same day (its own request was
    // dropped while this one ran): it has its rows now.
    const std::optional<GuidePage> onShow = pageOnShow();
    CPictureEx* picture = window_.guideLoadingPicture();
    const bool waiting =
        window_.skin().isTimerActive(2) || (picture != nullptr && !picture->isHidden());
    if (onShow && *onShow != page && dayOf(*onShow) == dayOf(page) && waiting) show(*onShow, true);
    return;
  }
  if (!isOnShow(page)) return;
  hideLoadingPicture();
  startWait(page);
}

void GuidePanel::ShowDetails(GuidePage page, int row) {
  ProgrammeDetailsView* view = window_.detailsView();
  GuideSource* guide = window_.source().guide();
  if (view == nullptr || guide == nullptr || !valid(page)) return;
  const std::vector<GuideRow>& rows = rows_[index(page)];
  if (row < 0 || static_cast<size_t>(row) >= rows.size()) return;
  if (std::optional<ProgrammeDetails> details = guide->details(rows[row].id, rows[row].entry)) view->showDetails(*details);
  else view->clearDetails();
}

std::vector<std::optional<GuidePanel::Programme>> GuidePanel::programmesOf(const std::vector<GuideRow>& rows) const {
  const std::vector<std::optional<ArchiveRows::Span>> spans = ArchiveRows::spans(rows);
  std::vector<std::optional<Programme>> out(rows.size());
  if (rows.empty()) return out;
  const SourceChannelRef channel = window_.source().findChannel(rows.front().id);
  const std::optional<int> days = channel ? channel->catchupDays : std::nullopt;
  const auto now = static_cast<int64_t>(std::time(nullptr));
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!spans[i]) continue;
    out[i] = Programme{rows[i].id, channel ? channel->name : rows[i].name, rows[i].entry.title, spans[i]->start,
                       spans[i]->stop, ArchiveRows::playable(*spans[i], days, now)};
  }
  return out;
}

std::optional<GuidePanel::Programme> GuidePanel::programmeAt(GuidePage page, int row) const {
  if (!valid(page) || row < 0) return std::nullopt;
  const auto& programmes = programmes_[index(page)];
  if (static_cast<size_t>(row) >= programmes.size()) return std::nullopt;
  return programmes[static_cast<size_t>(row)];
}

std::optional<GuidePanel::Programme> GuidePanel::focusedProgramme() const {
  for (int p = index(GuidePage::FirstDay); p < kPages; ++p) {
    const CListUI* list = window_.skin().findList(QString::fromLatin1(kListNames[p]));
    if (list == nullptr || !list->isVisible() || list->view() == nullptr || !list->view()->hasFocus()) continue;
    return programmeAt(static_cast<GuidePage>(p), list->selectedIndex());
  }
  return std::nullopt;
}

bool GuidePanel::PlayPastProgramme(GuidePage page) {
  const CListUI* list = window_.skin().findList(QString::fromLatin1(listName(page)));
  PlaybackTransport* transport = window_.transport();
  if (list == nullptr || transport == nullptr || !isDayPage(page)) return false;
  const std::optional<Programme> p = programmeAt(page, list->selectedIndex());
  if (!p || !p->playable) return false;
  return transport->playArchive(p->channelId, p->title, p->start, p->stop);
}

void GuidePanel::OpenChannelGuide(const std::u16string& channelId, const std::u16string& channelName) {
  CWindowWnd& skin = window_.skin();
  CTabLayoutUI* tab = skin.findTabLayout(QStringLiteral("guidetab"));
  if (tab == nullptr) return;
  for (const char* option : {"guideplaying", "guideplay"}) {
    if (COptionUI* o = skin.findOption(QString::fromLatin1(option))) o->setSelected(false);
  }
  if (SkinControl* name = skin.findControl(QStringLiteral("channelname"))) {
    name->setText(qs(channelName));
    name->setToolTip(qs(channelName));
  }
  window_.state().guideChannelId = channelId;
  LabelDayOptions();
  tab->selectPage(0);
  CTabLayoutUI* days = skin.findTabLayout(QStringLiteral("tvswitch"));
  const int day = days != nullptr ? days->currentPage() : 0;
  if (day >= 0 && day <= 2) ShowDayList(day, false);
}

void GuidePanel::hideLoadingPicture() {
  if (CPictureEx* picture = window_.guideLoadingPicture()) picture->hide();
}

std::optional<GuidePage> GuidePanel::pageOnShow() const {
  CWindowWnd& skin = window_.skin();
  const CTabLayoutUI* tab = skin.findTabLayout(QStringLiteral("guidetab"));
  if (tab == nullptr) return std::nullopt;
  const CTabLayoutUI* days = skin.findTabLayout(QStringLiteral("tvswitch"));
  const std::optional<std::string> list = MainLayout::guideListOnShow(tab->currentPage(), days ? days->currentPage() : 0);
  if (!list) return std::nullopt;
  for (int p = 0; p < kPages; ++p) {
    if (*list == kListNames[p]) return static_cast<GuidePage>(p);
  }
  return std::nullopt;
}

// Without "guidetab" there are no pages to tell apart: every list is on show.
bool GuidePanel::isOnShow(GuidePage page) const {
  if (window_.skin().findTabLayout(QStringLiteral("guidetab")) == nullptr) return true;
  const std::optional<GuidePage> onShow = pageOnShow();
  return onShow && *onShow == page;
}

}  // namespace tembra
