#include "mainwnd/GuideGridHost.h"

#include <QEvent>
#include <QLabel>

#include <ctime>

#include "guidegrid/GridModel.h"
#include "guidegrid/GuideGridView.h"
#include "guidegrid/GuideGridWidget.h"
#include "mainwnd/ChannelPanel.h"
#include "mainwnd/PlaybackTransport.h"
#include "record/ArchiveRows.h"
#include "mainwnd/ScreenSaverRule.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/TrayIcon.h"
#include "mainwnd/WindowActions.h"
#include "player/PlayerHost.h"
#include "skin/CListUI.h"
#include "skin/SkinCombo.h"
#include "skin/SkinVideoSlot.h"

namespace tembra {

namespace {
constexpr int kToastMs = 15000;
}  // namespace

GuideGridHost::GuideGridHost(TembraPlayerWnd& window) : w_(window) {
  toastTimer_.setSingleShot(true);
  connect(&toastTimer_, &QTimer::timeout, this, [this] {
    if (toast_) toast_->hide();
  });
}

GuideGridHost::~GuideGridHost() {
  // The view reads the source's guide, which the window lets go of right
  // after this.
  if (QWidget* a = area()) a->removeEventFilter(this);
  delete view_;
  delete toast_;
}

QWidget* GuideGridHost::area() const { return w_.findVideoSlot(QStringLiteral("videoslot")); }

QWidget* GuideGridHost::video() const {
  PlayerHost* player = w_.player();
  PlayerControl* control = player != nullptr ? player->control() : nullptr;
  QWidget* widget = control != nullptr ? control->widget() : nullptr;
  return widget != nullptr && widget->parentWidget() == area() ? widget : nullptr;
}

bool GuideGridHost::isOpen() const { return view_ && !view_->isHidden(); }

void GuideGridHost::toggle() {
  if (isOpen()) close();
  else open();
}

std::vector<SourceChannelRef> GuideGridHost::channelsOnShow() const { return w_.channels().channelsOnShow(); }

void GuideGridHost::open() {
  QWidget* slot = area();
  if (slot == nullptr || w_.closing()) return;
  if (!view_) {
    view_ = new GuideGridView(slot);
    slot->installEventFilter(this);
    connect(view_, &GuideGridView::closeRequested, this, &GuideGridHost::close);
    connect(view_, &GuideGridView::playRequested, this, &GuideGridHost::play);
    connect(view_, &GuideGridView::reminderDue, this, &GuideGridHost::remind);
    connect(view_, &GuideGridView::pictureMoved, this, &GuideGridHost::placeVideo, Qt::QueuedConnection);
  }
  view_->setGeometry(slot->rect());
  view_->setChannels(w_.source().guide(), channelsOnShow(), w_.state().currentChannelId);
  view_->setPlayingChannel(w_.state().currentChannelId);
  view_->show();
  view_->raise();
  placeVideo();
  view_->setFocus(Qt::OtherFocusReason);
}

void GuideGridHost::close() {
  if (!view_) return;
  view_->hide();
  if (QWidget* v = video()) v->setGeometry(area()->rect());
  if (CListUI* list = w_.findList(QStringLiteral("channellist"))) list->setFocus(Qt::OtherFocusReason);
}

void GuideGridHost::guideChanged() {
  if (view_) view_->guideChanged();
}

void GuideGridHost::channelsChanged() {
  if (isOpen()) view_->setChannels(w_.source().guide(), channelsOnShow(), w_.state().currentChannelId);
}

// The video stays a child of its slot; it only shrinks into the corner the
// grid keeps free for it, above the grid.
void GuideGridHost::placeVideo() {
  QWidget* v = video();
  if (v == nullptr || !isOpen()) return;
  v->setGeometry(view_->pictureRect().translated(view_->pos()));
  v->raise();
}

bool GuideGridHost::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area() && event->type() == QEvent::Resize && view_) {
    view_->setGeometry(area()->rect());
    // The slot stretches its video over itself after this; put it back then.
    QMetaObject::invokeMethod(this, &GuideGridHost::placeVideo, Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
}

void GuideGridHost::play(const std::u16string& channelId) {
  if (playPast(channelId)) return;
  CListUI* list = w_.findList(QStringLiteral("channellist"));
  const int row = list != nullptr ? list->findByName(QString::fromStdU16String(channelId)) : -1;
  if (row >= 0) {
    list->select(row);
    list->ensureVisible(row);
    w_.actions().OnChannelListActivate();
  } else {
    w_.state().currentChannelId = channelId;
    w_.channels().PlayChannel(channelId);
  }
  if (view_) view_->setPlayingChannel(w_.state().currentChannelId);
  w_.screenSaver().refresh();
}

// The grid offers "watch" for every programme that has begun; one that is
// over plays from the channel's archive, as a double click in the day list
// plays it, where the channel has one.
bool GuideGridHost::playPast(const std::u16string& channelId) {
  PlaybackTransport* transport = w_.transport();
  if (!view_ || transport == nullptr || view_->model() == nullptr) return false;
  const std::optional<GuideProgramme> p = view_->grid()->selectedProgramme();
  const int row = view_->grid()->selectedRow();
  if (!p || row < 0 || static_cast<size_t>(row) >= view_->model()->rowCount()) return false;
  if (view_->model()->channel(static_cast<size_t>(row)).id != channelId) return false;
  const SourceChannelRef channel = w_.source().findChannel(channelId);
  const auto now = static_cast<int64_t>(std::time(nullptr));
  if (!channel || p->stop > now || !ArchiveRows::playable({p->start, p->stop}, channel->catchupDays, now)) return false;
  if (!transport->playArchive(channelId, p->entry.title, p->start, p->stop)) return false;
  close();
  return true;
}

void GuideGridHost::remind(const QString& text) {
  if (view_) view_->showBanner(text);
  TrayIcon* tray = w_.tray();
  if (tray != nullptr && w_.state().trayIconAdded) {
    tray->showBalloon(QStringLiteral("Reminder"), text);
    // A click on this balloon is no notice of an upgrade.
    w_.state().balloonClickMessage = -1;
    return;
  }
  if (isOpen()) return;
  if (!toast_) {
    toast_ = new QLabel(&w_);
    toast_->setObjectName(QStringLiteral("remindertoast"));
    toast_->setStyleSheet(QStringLiteral(
        "QLabel#remindertoast { color: #e6e9ef; background: #1b2029; border: 1px solid #e3b341;"
        " border-radius: 8px; padding: 8px 12px; }"));
    toast_->setWordWrap(true);
  }
  toast_->setText(text);
  QWidget* slot = area();
  const QRect over = slot != nullptr ? QRect(slot->mapTo(&w_, QPoint(0, 0)), slot->size()) : w_.rect();
  const int width = std::min(over.width() - 24, 420);
  toast_->setFixedWidth(std::max(width, 120));
  toast_->adjustSize();
  toast_->move(over.left() + (over.width() - toast_->width()) / 2, over.top() + 16);
  toast_->show();
  toast_->raise();
  toastTimer_.start(kToastMs);
}

}  // namespace tembra
