#include "skin/SkinListView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace tembra {

SkinListView::SkinListView(QWidget* parent) : QListView(parent) {
  setFrameShape(QFrame::NoFrame);
  setMouseTracking(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAttribute(Qt::WA_MacShowFocusRect, false);
  viewport()->setAutoFillBackground(false);
  setAutoFillBackground(false);
  setFocusPolicy(Qt::StrongFocus);
}

void SkinListView::mousePressEvent(QMouseEvent* e) {
  QListView::mousePressEvent(e);
  if (e->button() != Qt::LeftButton) return;
  const QModelIndex i = indexAt(e->position().toPoint());
  if (i.isValid()) emit itemPressed(i.row());
}

void SkinListView::mouseDoubleClickEvent(QMouseEvent* e) {
  QListView::mouseDoubleClickEvent(e);
  if (e->button() != Qt::LeftButton) return;
  const QModelIndex i = indexAt(e->position().toPoint());
  if (i.isValid()) emit itemDoubleClicked(i.row());
}

void SkinListView::keyPressEvent(QKeyEvent* e) {
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentIndex().isValid()) {
    emit itemActivated(currentIndex().row());
    return;
  }
  QListView::keyPressEvent(e);
}

void SkinListView::contextMenuEvent(QContextMenuEvent* e) {
  const QModelIndex i = e->reason() == QContextMenuEvent::Mouse ? indexAt(e->pos()) : currentIndex();
  if (!i.isValid()) return;
  e->accept();
  emit itemMenu(i.row());
}

void SkinListView::setEmptyText(const QString& text, const QColor& colour, const QFont& font) {
  if (text == emptyText_ && colour == emptyColour_ && font == emptyFont_) return;
  emptyText_ = text;
  emptyColour_ = colour;
  emptyFont_ = font;
  viewport()->update();
}

void SkinListView::paintEvent(QPaintEvent* e) {
  QListView::paintEvent(e);
  if (emptyText_.isEmpty() || (model() != nullptr && model()->rowCount() > 0)) return;
  QPainter p(viewport());
  p.setPen(emptyColour_);
  p.setFont(emptyFont_);
  // A margin each side; the text wraps at words in a narrow column.
  constexpr int kMargin = 12;
  p.drawText(viewport()->rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
             Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, emptyText_);
}

QString skinScrollBarStyle(const QColor& handle, const QColor& track) {
  return QStringLiteral(
             "QScrollBar:vertical { background: %2; width: 8px; margin: 0; border: none; }"
             "QScrollBar::handle:vertical { background: %1; min-height: 24px; border-radius: 4px; margin: 1px; }"
             "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; }"
             "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"
             "QListView { background: transparent; border: none; outline: none; }")
      .arg(handle.name(QColor::HexArgb), track.isValid() ? track.name(QColor::HexArgb) : QStringLiteral("transparent"));
}

}  // namespace tembra
