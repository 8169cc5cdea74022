#include "mainwnd/ChannelFinder.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>

#include "mainwnd/ChannelPanel.h"
#include "mainwnd/DialogStyle.h"
#include "mainwnd/DigitsOverlay.h"
#include "mainwnd/GuideGridHost.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/WindowActions.h"
#include "skin/CListUI.h"
#include "skin/SkinEdit.h"
#include "skin/SkinListView.h"
#include "skin/SkinVideoSlot.h"

namespace tembra {

namespace {

bool plain(const QKeyEvent* e) {
  return (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
}

// A letter typed without Ctrl, Alt or Meta: what starts a search.
bool typedLetter(const QKeyEvent* e) { return plain(e) && !e->text().isEmpty() && e->text().front().isLetter(); }

int digitOf(const QKeyEvent* e) {
  if (!plain(e) || e->key() < Qt::Key_0 || e->key() > Qt::Key_9) return -1;
  return e->key() - Qt::Key_0;
}

bool enterKey(const QKeyEvent* e) { return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter; }

}  // namespace

ChannelFinder::ChannelFinder(TembraPlayerWnd& window)
    : QObject(&window), w_(window), overlay_(new DigitsOverlay(&window)) {
  field_ = qobject_cast<SkinEdit*>(window.findControl(QStringLiteral("channelsearch")));
  list_ = window.findList(QStringLiteral("channellist"));
  if (field_) {
    QLineEdit* edit = field_->lineEdit();
    edit->setPlaceholderText(QStringLiteral("Search"));
    QPalette palette = edit->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(0x8b, 0x93, 0xa1));
    edit->setPalette(palette);
    edit->setClearButtonEnabled(false);
    edit->setMaxLength(100);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
      w_.channels().SetSearchText(text);
      w_.guideGrid().channelsChanged();
    });
  }
  if (list_) {
    list_->view()->installEventFilter(this);
    list_->view()->viewport()->installEventFilter(this);
  }
  window.installEventFilter(this);
  auto* find = new QShortcut(QKeySequence::Find, &window);
  connect(find, &QShortcut::activated, this, [this] { focusSearch({}); });

  digitTimer_.setSingleShot(true);
  digitTimer_.callOnTimeout(this, [this] { commitDigits(); });
  noticeTimer_.setSingleShot(true);
  noticeTimer_.callOnTimeout(overlay_, &QWidget::hide);
}

// Only input reaches the window's own parts here: the window's end sends
// its children other events while the window is half gone.
bool ChannelFinder::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ContextMenu) return false;
  if (w_.closing()) return false;
  if (event->type() == QEvent::ContextMenu && list_ && watched == list_->view()->viewport()) {
    auto* e = static_cast<QContextMenuEvent*>(event);
    const int row = list_->view()->indexAt(e->pos()).row();
    if (row < 0) return false;
    openMenu(row, e->globalPos());
    return true;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (field_ && watched == field_->lineEdit()) return fieldKey(key);
  if (list_ && watched == list_->view()) return listKey(key);
  if (watched == &w_) return windowKey(key);
  return false;
}

// Keys nobody below the window took: from the video, most of them.
bool ChannelFinder::windowKey(QKeyEvent* e) {
  if (addDigit(e)) return true;
  if (!digits_.isEmpty() && enterKey(e)) {
    commitDigits();
    return true;
  }
  if (e->key() == Qt::Key_Escape) {
    if (!digits_.isEmpty()) {
      cancelDigits();
      return true;
    }
    if (!w_.channels().searchText().isEmpty()) {
      leaveSearch(true);
      return true;
    }
    return false;
  }
  // R is the recording key of the video.
  if (typedLetter(e) && e->key() != Qt::Key_R) {
    focusSearch(e->text());
    return true;
  }
  return false;
}

bool ChannelFinder::listKey(QKeyEvent* e) {
  if (addDigit(e)) return true;
  if (!digits_.isEmpty() && enterKey(e)) {
    commitDigits();
    return true;
  }
  if (e->key() == Qt::Key_Escape && !digits_.isEmpty()) {
    cancelDigits();
    return true;
  }
  if (e->key() == Qt::Key_Escape && !w_.channels().searchText().isEmpty()) {
    leaveSearch(true);
    return true;
  }
  // Up from the first match goes back to the text.
  if (e->key() == Qt::Key_Up && list_->selectedIndex() <= 0 && !w_.channels().searchText().isEmpty()) {
    focusSearch({});
    return true;
  }
  if (e->key() == Qt::Key_F && plain(e)) {
    if (list_->selectedIndex() >= 0) w_.channels().ToggleFavourite(list_->selectedIndex());
    return true;
  }
  if (typedLetter(e)) {
    focusSearch(e->text());
    return true;
  }
  return false;
}

bool ChannelFinder::fieldKey(QKeyEvent* e) {
  if (enterKey(e)) {
    // The list keeps the matches; the keys go to it from here.
    if (w_.channels().PlayFirstRow() && list_) list_->view()->setFocus(Qt::ShortcutFocusReason);
    return true;
  }
  if (e->key() == Qt::Key_Escape) {
    leaveSearch(true);
    return true;
  }
  if (e->key() == Qt::Key_Down && list_ && list_->count() > 0) {
    if (list_->selectedIndex() < 0) list_->select(0);
    list_->view()->setFocus(Qt::ShortcutFocusReason);
    return true;
  }
  return false;
}

void ChannelFinder::focusSearch(const QString& typed) {
  if (!field_ || !field_->isVisibleTo(&w_)) return;
  cancelDigits();
  QLineEdit* edit = field_->lineEdit();
  edit->setFocus(Qt::ShortcutFocusReason);
  if (typed.isEmpty()) {
    edit->selectAll();
    return;
  }
  edit->end(false);
  edit->insert(typed);
}

void ChannelFinder::leaveSearch(bool clear) {
  if (clear && field_) field_->lineEdit()->clear();
  if (list_) list_->view()->setFocus(Qt::ShortcutFocusReason);
}

bool ChannelFinder::addDigit(QKeyEvent* e) {
  const int digit = digitOf(e);
  if (digit < 0) return false;
  if (digits_.size() < kMaxDigits && !(digits_.isEmpty() && digit == 0)) digits_ += QChar(u'0' + digit);
  if (digits_.isEmpty()) return true;
  noticeTimer_.stop();
  showOverlay(digits_, false);
  digitTimer_.start(kDigitWaitMs);
  return true;
}

void ChannelFinder::commitDigits() {
  digitTimer_.stop();
  if (digits_.isEmpty()) return;
  const QString typed = digits_;
  digits_.clear();
  if (w_.channels().PlayNumber(typed.toInt())) {
    overlay_->hide();
    return;
  }
  showOverlay(QStringLiteral("No channel %1").arg(typed), true);
  noticeTimer_.start(kNoticeMs);
}

void ChannelFinder::cancelDigits() {
  digitTimer_.stop();
  digits_.clear();
  overlay_->hide();
}

QRect ChannelFinder::videoArea() const {
  if (SkinVideoSlot* slot = w_.findVideoSlot(QStringLiteral("videoslot")))
    return QRect(slot->mapTo(&w_, QPoint(0, 0)), slot->size());
  return w_.rect();
}

void ChannelFinder::showOverlay(const QString& text, bool problem) { overlay_->showText(text, videoArea(), problem); }

void ChannelFinder::showGuide(int row) {
  if (!list_) return;
  const CListLabelElementUI* item = list_->item(row);
  if (item == nullptr) return;
  list_->select(row);
  w_.actions().OpenChannelGuide(item->name.toStdU16String(), item->text.toStdU16String());
}

void ChannelFinder::openMenu(int row, const QPoint& global) {
  if (!list_ || list_->item(row) == nullptr) return;
  if (menu_) menu_->close();
  list_->select(row);
  ChannelPanel& panel = w_.channels();
  auto* menu = new QMenu(&w_);
  menu->setObjectName(QStringLiteral("channelmenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setStyleSheet(DialogStyle::menuSheet());
  const QString id = list_->item(row)->name;
  // Each action finds its row again: the list may have changed under the
  // open menu (a refresh).
  auto rowNow = [this, id] { return list_ ? list_->findByName(id) : -1; };
  menu->addAction(QStringLiteral("&Play"), this, [this, rowNow] {
    if (const int r = rowNow(); r >= 0) w_.channels().PlayRow(r);
  });
  const bool favourite = panel.IsFavourite(row);
  menu->addAction(favourite ? QStringLiteral("Remove from &favourites") : QStringLiteral("Add to &favourites"), this,
                  [this, rowNow] {
                    if (const int r = rowNow(); r >= 0) w_.channels().ToggleFavourite(r);
                  });
  if (panel.ShowingFavourites()) {
    QAction* up = menu->addAction(QStringLiteral("Move &up"), this, [this, rowNow] {
      if (const int r = rowNow(); r >= 0) w_.channels().MoveFavourite(r, -1);
    });
    up->setEnabled(row > 0);
    QAction* down = menu->addAction(QStringLiteral("Move &down"), this, [this, rowNow] {
      if (const int r = rowNow(); r >= 0) w_.channels().MoveFavourite(r, +1);
    });
    down->setEnabled(row + 1 < list_->count());
  }
  menu->addSeparator();
  menu->addAction(QStringLiteral("Show &guide"), this, [this, rowNow] { showGuide(rowNow()); });
  const QString address = QString::fromStdU16String(panel.StreamAddressOf(row));
  QAction* copy = menu->addAction(QStringLiteral("&Copy stream address"), this, [address] {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(address);
  });
  copy->setEnabled(!address.isEmpty());
  menu_ = menu;
  menu->popup(global);
}

}  // namespace tembra
