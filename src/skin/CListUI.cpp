#include "skin/CListUI.h"

#include <QPainter>
#include <QScrollBar>

#include "skin/SkinContext.h"
#include "skin/SkinItemDelegate.h"
#include "skin/SkinListModel.h"
#include "skin/SkinListView.h"

namespace tembra {

CListUI::CListUI(const SkinNode& node, SkinContext& ctx, QWidget* parent)
    : SkinControl(node, ctx, parent),
      model_(new SkinListModel(this)),
      view_(new SkinListView(this)),
      delegate_(new SkinItemDelegate(node, ctx, *model_, this)) {
  model_->setItemHeight(std::max(1, node.integer(u"itemheight", 29)));
  view_->setModel(model_);
  view_->setItemDelegate(delegate_);
  view_->setUniformItemSizes(true);
  view_->setStyleSheet(skinScrollBarStyle(nodeColor(node, u"scrollcolor").isValid()
                                              ? nodeColor(node, u"scrollcolor")
                                              : QColor(0x39, 0x42, 0x50),
                                          QColor()));
  if (!node.flag(u"scrollbar", true)) view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  header_ = QString::fromStdU16String(node.text(u"header"));
  headerBk_ = nodeColor(node, u"headerbkcolor");
  headerHeight_ = std::max(0, node.integer(u"headerheight", header_.isEmpty() ? 0 : 24));
  connect(model_, &QAbstractItemModel::rowsInserted, this,
          [this] { view_->setUniformItemSizes(model_->uniformHeights()); });
  connect(view_, &SkinListView::itemPressed, this, [this](int row) { notify(QStringLiteral("itemclick"), row); });
  connect(view_, &SkinListView::itemDoubleClicked, this,
          [this](int row) { notify(QStringLiteral("itemdoubleclick"), row); });
  connect(view_, &SkinListView::itemActivated, this, [this](int row) { notify(QStringLiteral("itemactivate"), row); });
  connect(view_, &SkinListView::itemMenu, this, [this](int row) { notify(QStringLiteral("itemmenu"), row); });
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { notify(QStringLiteral("itemselect"), current.isValid() ? current.row() : -1); });
}

int CListUI::count() const { return model_->rowCount(); }

int CListUI::add(const CListLabelElementUI& item) { return model_->add(item); }

void CListUI::addMany(const QVector<CListLabelElementUI>& items) { model_->addMany(items); }

void CListUI::replaceAll(QVector<CListLabelElementUI> items) {
  model_->replaceAll(std::move(items));
  view_->setUniformItemSizes(model_->uniformHeights());
}

bool CListUI::remove(int index) { return model_->remove(index); }

void CListUI::removeAll() { model_->clear(); }

const CListLabelElementUI* CListUI::item(int index) const { return model_->item(index); }

bool CListUI::setItem(int index, const CListLabelElementUI& item) { return model_->setItem(index, item); }

int CListUI::findByName(const QString& name) const { return model_->findByName(name); }

bool CListUI::setItemMarker(int index, const QString& image, const QRect& rect) {
  const CListLabelElementUI* current = model_->item(index);
  if (current == nullptr) return false;
  CListLabelElementUI changed = *current;
  changed.markerImage = image;
  changed.markerRect = image.isEmpty() ? QRect() : rect;
  return model_->setItem(index, changed);
}

int CListUI::selectedIndex() const {
  const QModelIndex i = view_->currentIndex();
  return i.isValid() && view_->selectionModel()->isSelected(i) ? i.row() : -1;
}

bool CListUI::select(int index) {
  if (index < -1 || index >= count()) return false;
  if (index == -1) {
    view_->selectionModel()->clear();
    return true;
  }
  const QModelIndex i = model_->index(index);
  view_->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
  view_->scrollTo(i);
  return true;
}

void CListUI::ensureVisible(int index) {
  if (index >= 0 && index < count()) view_->scrollTo(model_->index(index));
}

void CListUI::scrollToTop(int index) {
  if (index >= 0 && index < count()) view_->scrollTo(model_->index(index), QAbstractItemView::PositionAtTop);
}

void CListUI::pageUp() {
  QScrollBar* bar = view_->verticalScrollBar();
  bar->setValue(bar->value() - bar->pageStep());
}

void CListUI::pageDown() {
  QScrollBar* bar = view_->verticalScrollBar();
  bar->setValue(bar->value() + bar->pageStep());
}

void CListUI::setHeaderHeight(int height) {
  headerHeight_ = std::max(0, height);
  resizeEvent(nullptr);
  update();
}

QRect CListUI::itemRect(int index) const {
  if (index < 0 || index >= count()) return {};
  const QRect row = view_->visualRect(model_->index(index));
  if (!row.isValid() || !view_->viewport()->rect().intersects(row)) return {};
  const QRect r = SkinItemDelegate::itemRect(row, model_->widthLimit(*model_->item(index)));
  return r.translated(view_->viewport()->mapTo(this, QPoint(0, 0)));
}

int CListUI::rowHeight(int index) const { return model_->rowHeight(index); }

void CListUI::setRowDecor(SkinRowDecor* decor) {
  delegate_->setDecor(decor);
  view_->viewport()->update();
}

void CListUI::setFixedRowHeight(int height) {
  if (height == model_->fixedRowHeight()) return;
  model_->setFixedRowHeight(height);
  view_->setUniformItemSizes(model_->uniformHeights());
  view_->doItemsLayout();
}

void CListUI::setWidthAllowance(int pixels) {
  model_->setWidthAllowance(pixels);
  view_->viewport()->update();
}

void CListUI::repaintRows() { view_->viewport()->update(); }

void CListUI::setEmptyText(const QString& text) {
  view_->setEmptyText(text, delegate_->dimText.isValid() ? delegate_->dimText : delegate_->text, delegate_->font);
}

QString CListUI::emptyText() const { return view_->emptyText(); }

void CListUI::resizeEvent(QResizeEvent*) {
  view_->setGeometry(0, headerHeight_, width(), std::max(0, height() - headerHeight_));
}

void CListUI::paintContent(QPainter& p) {
  if (headerHeight_ <= 0) return;
  const QRect strip(0, 0, width(), headerHeight_);
  if (headerBk_.isValid()) p.fillRect(strip, headerBk_);
  SkinLook look = look_;
  look.textPadding = QMargins(8, 0, 4, 0);
  look.align = 0;
  look.paintText(p, strip, header_, look_.disabledTextColor);
}

}  // namespace tembra
