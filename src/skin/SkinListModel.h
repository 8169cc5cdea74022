#pragma once
#include <QAbstractListModel>
#include <QVector>

#include <algorithm>

#include "skin/CListLabelElementUI.h"

namespace tembra {

// The items of a list or combo. Rows report their height through
// Qt::SizeHintRole (the list's item height within the item's maximum) and
// whether they all have one height, so the view can lay out many
// thousands of rows without measuring each.
class SkinListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role { ItemRole = Qt::UserRole + 1 };

  explicit SkinListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override;

  void setItemHeight(int height);
  int itemHeight() const { return itemHeight_; }
  int rowHeight(int row) const;
  bool uniformHeights() const { return uniform_; }
  // One height for every row, over the item height and the items' own
  // limits (a list whose rows grow with the window); 0: none.
  void setFixedRowHeight(int height);
  int fixedRowHeight() const { return fixedHeight_; }
  // Added to every item's width limit (a list wider than the one the
  // limits were made for); items without a limit stay without.
  void setWidthAllowance(int pixels) { widthAllowance_ = std::max(0, pixels); }
  int widthLimit(const CListLabelElementUI& item) const {
    return item.maxWidth > 0 ? item.maxWidth + widthAllowance_ : 0;
  }

  int add(const CListLabelElementUI& item);
  void addMany(const QVector<CListLabelElementUI>& items);
  // Replaces every item by items in one model reset.
  void replaceAll(QVector<CListLabelElementUI> items);
  bool insert(int row, const CListLabelElementUI& item);
  bool remove(int row);
  void clear();
  const CListLabelElementUI* item(int row) const;
  // Replaces an item and repaints its row.
  bool setItem(int row, const CListLabelElementUI& item);
  int findByName(const QString& name, int from = 0) const;

 private:
  void noteHeight(const CListLabelElementUI& item);
  int heightOf(const CListLabelElementUI& item) const;

  QVector<CListLabelElementUI> items_;
  int itemHeight_ = 29;
  int fixedHeight_ = 0;
  int widthAllowance_ = 0;
  bool uniform_ = true;
  int firstHeight_ = -1;
};

}  // namespace tembra
