#include "mainwnd/PanelLook.h"

#include <QMouseEvent>

#include "mainwnd/ChannelRowDecor.h"
#include "mainwnd/DayRowDecor.h"
#include "mainwnd/LogoLoader.h"
#include "mainwnd/PlaybackTransport.h"
#include "mainwnd/WindowContext.h"
#include "skin/CListUI.h"
#include "skin/CWindowWnd.h"
#include "skin/SkinCombo.h"
#include "skin/SkinControl.h"
#include "skin/SkinListModel.h"
#include "source/ChannelSource.h"
#include "source/GuideSource.h"

namespace tembra {

namespace {
constexpr const char* kGuideLists[] = {"playinglist", "playlist", "firstdaylist", "seconddaylist", "thirddaylist"};
constexpr const char* kDayLists[] = {"firstdaylist", "seconddaylist", "thirddaylist"};
constexpr const char* kSplitterParts[] = {"listcontrol", "splittertop", "splitterbottom"};
}  // namespace

PanelLook::PanelLook(WindowContext& window, std::string settingsPath, std::string logoFolder,
                     std::function<void()> relayout)
    : window_(window),
      settings_(settingsPath.empty() ? PanelSettings::defaultPath() : std::move(settingsPath)),
      relayout_(std::move(relayout)) {
  if (!logoFolder.empty()) logos_ = std::make_unique<LogoLoader>(std::move(logoFolder), LogoCache::Limits{});
  channelDecor_ = std::make_unique<ChannelRowDecor>(window_.source(), logos_.get(), true);
  playingDecor_ = std::make_unique<ChannelRowDecor>(window_.source(), logos_.get(), false);
  dayDecor_ = std::make_unique<DayRowDecor>();
  wanted_ = settings_.width();
  nowOnChannels_ = settings_.nowOnChannels();
  // Logos arrive one by one: the lists paint once for a burst of them.
  repaint_.setSingleShot(true);
  repaint_.setInterval(40);
  connect(&repaint_, &QTimer::timeout, this, [this] { repaintLists(); });
  if (logos_) connect(logos_.get(), &LogoLoader::arrived, this, [this] {
      if (!repaint_.isActive()) repaint_.start();
    });
  progressTick_.setInterval(kRepaintMs);
  connect(&progressTick_, &QTimer::timeout, this, [this] { repaintLists(); });
}

// The lists hold raw pointers to the decors: they let go first.
PanelLook::~PanelLook() {
  CWindowWnd& skin = window_.skin();
  if (CListUI* l = skin.findList(QStringLiteral("channellist"))) l->setRowDecor(nullptr);
  for (const char* name : kGuideLists)
    if (CListUI* l = skin.findList(QString::fromLatin1(name))) l->setRowDecor(nullptr);
}

void PanelLook::attach() {
  CWindowWnd& skin = window_.skin();
  const auto decorate = [this](CListUI* list, ChannelRowDecor* decor) {
    if (list == nullptr) return;
    list->setRowDecor(decor);
    SkinListModel* model = list->model();
    connect(model, &QAbstractItemModel::modelReset, this, [decor] { decor->forgetChannels(); });
    connect(model, &QAbstractItemModel::rowsInserted, this, [decor] { decor->forgetChannels(); });
  };
  decorate(skin.findList(QStringLiteral("channellist")), channelDecor_.get());
  decorate(skin.findList(QStringLiteral("playinglist")), playingDecor_.get());
  for (const char* name : kDayLists)
    if (CListUI* l = skin.findList(QString::fromLatin1(name))) l->setRowDecor(dayDecor_.get());
  if (PlaybackTransport* transport = window_.transport()) {
    dayDecor_->setScheduled(transport->scheduledProgrammes());
    connect(transport, &PlaybackTransport::scheduleChanged, this, [this, transport] {
      dayDecor_->setScheduled(transport->scheduledProgrammes());
      for (const char* name : kDayLists)
        if (CListUI* l = window_.skin().findList(QString::fromLatin1(name))) l->repaintRows();
    });
  }
  for (const char* name : kSplitterParts) {
    if (SkinControl* c = skin.findControl(QString::fromLatin1(name))) {
      c->setCursor(Qt::SplitHCursor);
      c->installEventFilter(this);
    }
  }
  channelDecor_->setShowProgramme(showsProgramme());
  progressTick_.start();
}

bool PanelLook::showsProgramme() const { return nowOnChannels_.value_or(window_.source().guide() != nullptr); }

void PanelLook::setShowProgramme(bool on) {
  nowOnChannels_ = on;
  settings_.setNowOnChannels(on);
  channelDecor_->setShowProgramme(on);
  afterLayout();
  repaintLists();
}

void PanelLook::applyWidths(int windowWidth, int windowHeight, bool maximised) {
  WindowState& s = window_.state();
  if (window_.source().operatorExtras() == nullptr) s.adHeight = PanelSizing::detailsFor(windowHeight);
  if (!s.panelShown) return;
  const PanelSizing::Widths w = PanelSizing::forWindow(windowWidth, wanted_);
  s.panelWidth = w.panel;
  if (!maximised) s.savedPanelWidth = w.panel;
  s.listWidth = w.list;
}

bool PanelLook::twoLineRows() const {
  return window_.state().listWidth >= kTwoLineListWidth && channelDecor_->showsProgramme() &&
         window_.source().guide() != nullptr;
}

void PanelLook::afterLayout() {
  CWindowWnd& skin = window_.skin();
  const WindowState& s = window_.state();
  const int allowance = std::max(0, s.panelWidth - PanelSizing::kBasePanel);
  // Each change lays the row it is in out again: only a change is made.
  const auto setWidth = [](SkinControl* c, int width) {
    if (c != nullptr && c->layoutWidth() != width) c->setLayoutWidth(width);
  };
  setWidth(skin.findCombo(QStringLiteral("channeltype")), s.listWidth);
  setWidth(skin.findControl(QStringLiteral("listcolumn")), s.listWidth + 2 * s.listMargin);
  channelDecor_->setShowProgramme(showsProgramme());
  const bool twoLines = twoLineRows();
  if (CListUI* l = skin.findList(QStringLiteral("channellist"))) {
    l->setWidthAllowance(std::max(0, s.listWidth - PanelSizing::kBaseList));
    l->setFixedRowHeight(twoLines ? kTwoLineRow : 0);
  }
  if (twoLines && programmesStale_ && !programmesQueued_) {
    programmesQueued_ = true;
    QTimer::singleShot(0, this, [this] { loadProgrammes(); });
  }
  for (const char* name : kGuideLists)
    if (CListUI* l = skin.findList(QString::fromLatin1(name))) l->setWidthAllowance(allowance);
}

void PanelLook::nowPlayingFilled() {
  programmesStale_ = true;
  afterLayout();
}

void PanelLook::loadProgrammes() {
  programmesQueued_ = false;
  GuideSource* guide = window_.source().guide();
  if (!programmesStale_ || !twoLineRows() || guide == nullptr) return;
  std::vector<GuideRow> now, next;
  if (guide->GetNowPlaying(now, true) != GuideSource::kRows) return;
  // The up-next rows say where each programme on now ends.
  guide->GetUpcoming(next, true);
  channelDecor_->setProgrammes(now, next);
  programmesStale_ = false;
  if (CListUI* l = window_.skin().findList(QStringLiteral("channellist"))) l->repaintRows();
}

void PanelLook::repaintLists() {
  CWindowWnd& skin = window_.skin();
  if (CListUI* l = skin.findList(QStringLiteral("channellist"))) l->repaintRows();
  for (const char* name : kGuideLists)
    if (CListUI* l = skin.findList(QString::fromLatin1(name))) l->repaintRows();
}

// The splitter is dragged by its strip (not by its hide button, a child of
// its own): the panel takes what the player gives up, within what
// PanelSizing allows, and the width is kept when the button is let go.
bool PanelLook::eventFilter(QObject*, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
    return false;
  auto* e = static_cast<QMouseEvent*>(event);
  CWindowWnd& skin = window_.skin();
  WindowState& s = window_.state();
  const int x = skin.mapFromGlobal(e->globalPosition().toPoint()).x();
  const int splitterLeft = skin.width() - s.panelWidth - s.borderWidth - s.splitterWidth;
  switch (type) {
    case QEvent::MouseButtonPress:
      if (e->button() != Qt::LeftButton || !s.panelShown) return false;
      dragging_ = true;
      grabOffset_ = x - splitterLeft;
      return true;
    case QEvent::MouseMove: {
      if (!dragging_) return false;
      const int asked = PanelSizing::fromSplitter(skin.width(), x - grabOffset_, s.borderWidth, s.splitterWidth);
      const int width = PanelSizing::forWindow(skin.width(), asked).panel;
      if (width != s.panelWidth) {
        wanted_ = width;
        relayout_();
      }
      return true;
    }
    default:
      if (!dragging_ || e->button() != Qt::LeftButton) return false;
      dragging_ = false;
      if (wanted_ > 0) settings_.setWidth(wanted_);
      return true;
  }
}

}  // namespace tembra
