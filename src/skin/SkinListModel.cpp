#include "skin/SkinListModel.h"

#include <QSize>

namespace tembra {

int SkinListModel::heightOf(const CListLabelElementUI& item) const {
  if (fixedHeight_ > 0) return fixedHeight_;
  return item.maxHeight > 0 ? std::min(item.maxHeight, itemHeight_) : itemHeight_;
}

int SkinListModel::rowHeight(int row) const {
  return row >= 0 && row < items_.size() ? heightOf(items_[row]) : itemHeight_;
}

void SkinListModel::noteHeight(const CListLabelElementUI& item) {
  const int h = heightOf(item);
  if (firstHeight_ < 0) firstHeight_ = h;
  else if (h != firstHeight_) uniform_ = false;
}

void SkinListModel::setItemHeight(int height) {
  beginResetModel();
  itemHeight_ = std::max(1, height);
  uniform_ = true;
  firstHeight_ = -1;
  for (const auto& i : items_) noteHeight(i);
  endResetModel();
}

// The rows stay what they are (selection, current row): only their
// height changes, so the views lay out again without a reset.
void SkinListModel::setFixedRowHeight(int height) {
  height = std::max(0, height);
  if (height == fixedHeight_) return;
  emit layoutAboutToBeChanged();
  fixedHeight_ = height;
  uniform_ = true;
  firstHeight_ = -1;
  for (const auto& i : items_) noteHeight(i);
  emit layoutChanged();
}

QVariant SkinListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= items_.size()) return {};
  const CListLabelElementUI& item = items_[index.row()];
  switch (role) {
    case Qt::DisplayRole: return item.text;
    case Qt::ToolTipRole: return item.tooltip.isEmpty() ? QVariant() : QVariant(item.tooltip);
    case Qt::SizeHintRole: return QSize(widthLimit(item), heightOf(item));
    default: return {};
  }
}

int SkinListModel::add(const CListLabelElementUI& item) {
  const int row = static_cast<int>(items_.size());
  beginInsertRows({}, row, row);
  items_.append(item);
  noteHeight(item);
  endInsertRows();
  return row;
}

void SkinListModel::addMany(const QVector<CListLabelElementUI>& items) {
  if (items.isEmpty()) return;
  const int row = static_cast<int>(items_.size());
  beginInsertRows({}, row, row + static_cast<int>(items.size()) - 1);
  items_.append(items);
  for (const auto& i : items) noteHeight(i);
  endInsertRows();
}

void SkinListModel::replaceAll(QVector<CListLabelElementUI> items) {
  beginResetModel();
  items_ = std::move(items);
  uniform_ = true;
  firstHeight_ = -1;
  for (const auto& i : items_) noteHeight(i);
  endResetModel();
}

bool SkinListModel::insert(int row, const CListLabelElementUI& item) {
  if (row < 0 || row > items_.size()) return false;
  beginInsertRows({}, row, row);
  items_.insert(row, item);
  noteHeight(item);
  endInsertRows();
  return true;
}

bool SkinListModel::remove(int row) {
  if (row < 0 || row >= items_.size()) return false;
  beginRemoveRows({}, row, row);
  items_.remove(row);
  endRemoveRows();
  return true;
}

void SkinListModel::clear() {
  beginResetModel();
  items_.clear();
  uniform_ = true;
  firstHeight_ = -1;
  endResetModel();
}

const CListLabelElementUI* SkinListModel::item(int row) const {
  return row >= 0 && row < items_.size() ? &items_[row] : nullptr;
}

bool SkinListModel::setItem(int row, const CListLabelElementUI& item) {
  if (row < 0 || row >= items_.size()) return false;
  items_[row] = item;
  noteHeight(item);
  const QModelIndex i = index(row);
  emit dataChanged(i, i);
  return true;
}

int SkinListModel::findByName(const QString& name, int from) const {
  for (int i = std::max(0, from); i < items_.size(); ++i) {
    if (items_[i].name == name) return i;
  }
  return -1;
}

}  // namespace tembra
