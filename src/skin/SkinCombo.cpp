#include "skin/SkinCombo.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include "skin/SkinContext.h"
#include "skin/SkinItemDelegate.h"
#include "skin/SkinListModel.h"
#include "skin/SkinListView.h"

namespace tembra {

SkinCombo::SkinCombo(const SkinNode& node, SkinContext& ctx, QWidget* parent)
    : SkinControl(node, ctx, parent),
      model_(new SkinListModel(this)),
      delegate_(new SkinItemDelegate(node, ctx, *model_, this)) {
  model_->setItemHeight(std::max(1, node.integer(u"itemheight", 29)));
  normalImage_ = QString::fromStdU16String(node.text(u"normalimage"));
  hotImage_ = QString::fromStdU16String(node.text(u"hotimage"));
  pushedImage_ = QString::fromStdU16String(node.text(u"pushedimage"));
  arrowImage_ = QString::fromStdU16String(node.text(u"arrowimage"));
  hotBk_ = nodeColor(node, u"hotbkcolor");
  dropBk_ = node.has(u"dropbkcolor") ? nodeColor(node, u"dropbkcolor") : QColor(0x1b, 0x20, 0x29);
  dropDownHeight_ = std::max(0, node.integer(u"dropdownheight"));
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

SkinCombo::~SkinCombo() {
  if (popup_) delete popup_;
}

int SkinCombo::count() const { return model_->rowCount(); }

int SkinCombo::add(const CListLabelElementUI& item) { return model_->add(item); }

void SkinCombo::removeAll() {
  hideDropDown();
  model_->clear();
  const bool changed = selected_ != -1;
  selected_ = -1;
  update();
  if (changed) notify(QStringLiteral("itemselect"), -1);
}

const CListLabelElementUI* SkinCombo::item(int index) const { return model_->item(index); }

int SkinCombo::findByName(const QString& name) const { return model_->findByName(name); }

bool SkinCombo::select(int index) {
  if (index < -1 || index >= count()) return false;
  if (index == selected_) return true;
  selected_ = index;
  update();
  notify(QStringLiteral("itemselect"), index);
  return true;
}

void SkinCombo::setDropDownHeight(int height) { dropDownHeight_ = std::max(0, height); }

int SkinCombo::dropDownHeight() const {
  if (dropDownHeight_ > 0) return dropDownHeight_;
  int h = 0;
  for (int i = 0; i < std::min(count(), kDefaultRows); ++i) h += model_->rowHeight(i);
  return h;
}

bool SkinCombo::isDropDownVisible() const { return popup_ && popup_->isVisible(); }

void SkinCombo::showDropDown() {
  if (count() == 0 || isDropDownVisible()) return;
  if (!popup_) {
    auto* frame = new QFrame(this, Qt::Popup | Qt::FramelessWindowHint);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->setAutoFillBackground(true);
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, dropBk_);
    frame->setPalette(pal);
    view_ = new SkinListView(frame);
    view_->setModel(model_);
    view_->setItemDelegate(delegate_);
    view_->setUniformItemSizes(true);
    view_->setStyleSheet(skinScrollBarStyle(QColor(0x39, 0x42, 0x50), QColor()));
    connect(view_, &SkinListView::itemPressed, this, [this](int row) {
      hideDropDown();
      select(row);
    });
    connect(view_, &SkinListView::itemActivated, this, [this](int row) {
      hideDropDown();
      select(row);
    });
    popup_ = frame;
  }
  // Kept on the screen: cut to whole rows below the combo, or opened above
  // it when there is more room there.
  int h = dropDownHeight();
  QPoint at = mapToGlobal(QPoint(0, height()));
  if (const QScreen* s = screen(); s != nullptr && h > 0) {
    const QRect area = s->availableGeometry();
    const int row = std::max(1, model_->itemHeight());
    const int below = area.bottom() + 1 - at.y();
    const int above = mapToGlobal(QPoint(0, 0)).y() - area.top();
    auto fit = [&](int room) { return std::min(h, std::max(row, room / row * row)); };
    if (h > below && above > below) {
      h = fit(above);
      at.setY(mapToGlobal(QPoint(0, 0)).y() - h);
    } else {
      h = fit(below);
    }
  }
  // As wide as its longest item needs (a narrow selector still shows whole
  // names), within limits.
  int w = width();
  const QFontMetrics metrics(look_.font);
  for (int i = 0; i < count(); ++i) {
    const CListLabelElementUI* item = model_->item(i);
    const int limit = item->maxWidth > 0 ? std::min(kMaxDropDownWidth, item->maxWidth) : kMaxDropDownWidth;
    w = std::max(w, std::min(limit, metrics.horizontalAdvance(item->text) + kDropDownTextRoom));
  }
  popup_->setGeometry(QRect(at, QSize(w, h)));
  view_->setGeometry(0, 0, w, h);
  if (selected_ >= 0) {
    view_->setCurrentIndex(model_->index(selected_));
    view_->scrollTo(model_->index(selected_));
  }
  popup_->show();
  view_->setFocus();
}

void SkinCombo::hideDropDown() {
  if (popup_) popup_->hide();
}

void SkinCombo::enterEvent(QEnterEvent*) {
  hot_ = true;
  update();
}

void SkinCombo::leaveEvent(QEvent*) {
  hot_ = false;
  update();
}

void SkinCombo::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !isEnabled()) return;
  if (isDropDownVisible()) hideDropDown();
  else showDropDown();
}

void SkinCombo::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Down: select(std::min(count() - 1, selected_ + 1)); return;
    case Qt::Key_Up: if (selected_ > 0) select(selected_ - 1); return;
    case Qt::Key_Space:
    case Qt::Key_F4: showDropDown(); return;
    default: SkinControl::keyPressEvent(e);
  }
}

QColor SkinCombo::currentBkColor() const {
  if ((hot_ || isDropDownVisible()) && hotBk_.isValid()) return hotBk_;
  return look_.bkColor;
}

void SkinCombo::paintContent(QPainter& p) {
  const QString image = isDropDownVisible() && !pushedImage_.isEmpty() ? pushedImage_
                        : hot_ && !hotImage_.isEmpty()                 ? hotImage_
                                                                       : normalImage_;
  if (!image.isEmpty()) paintSkinImage(p, rect(), ctx_.image(image), look_.corner);
  const int arrowBox = std::min(height(), 16);
  const QRect arrow(width() - arrowBox - 2, (height() - arrowBox) / 2, arrowBox, arrowBox);
  if (!arrowImage_.isEmpty() && !ctx_.image(arrowImage_).isNull()) {
    const QPixmap a = ctx_.image(arrowImage_);
    p.drawPixmap(arrow.center() - QPoint(a.width() / 2, a.height() / 2), a);
  } else {
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath tri;
    const QPointF c = QRectF(arrow).center();
    tri.moveTo(c.x() - 4, c.y() - 2);
    tri.lineTo(c.x() + 4, c.y() - 2);
    tri.lineTo(c.x(), c.y() + 3);
    tri.closeSubpath();
    p.fillPath(tri, look_.disabledTextColor);
    p.setRenderHint(QPainter::Antialiasing, false);
  }
  const CListLabelElementUI* current = model_->item(selected_);
  QRect textArea = rect();
  textArea.setRight(arrow.left() - 2);
  look_.paintText(p, textArea, current != nullptr ? current->text : text_,
                  current != nullptr ? look_.textColor : look_.disabledTextColor);
}

}  // namespace tembra
