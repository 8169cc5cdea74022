#pragma once
// A list of many items (model/view: one row widget is never made per item,
// so tens of thousands of items scroll without lag). Each item has a name,
// a text, a tooltip, a maximum height and width and an optional marker
// image drawn in a rectangle of the item (see CListLabelElementUI).
//
// Notifications: "itemclick" (left press), "itemdoubleclick",
// "itemselect" (selection changed, by the user or by select()),
// "itemactivate" (Return), "itemmenu" (a right click or the menu key on an
// item), each with the item index.
#include <QVector>

#include "skin/CListLabelElementUI.h"
#include "skin/SkinControl.h"

namespace tembra {

class SkinItemDelegate;
class SkinListModel;
class SkinListView;
class SkinRowDecor;

class CListUI : public SkinControl {
  Q_OBJECT

 public:
  CListUI(const SkinNode& node, SkinContext& ctx, QWidget* parent);

  int count() const;
  // Appends; returns the new item's index.
  int add(const CListLabelElementUI& item);
  // Appends many at once (one model change).
  void addMany(const QVector<CListLabelElementUI>& items);
  // Replaces every item (one model change: the view lays out once).
  void replaceAll(QVector<CListLabelElementUI> items);
  bool remove(int index);
  void removeAll();
  // Null for an index out of range.
  const CListLabelElementUI* item(int index) const;
  bool setItem(int index, const CListLabelElementUI& item);
  // Index of the first item with that name, or -1.
  int findByName(const QString& name) const;

  // Marker: an image of the skin folder at a rectangle in item coordinates
  // (right and bottom exclusive). An empty image name removes it.
  bool setItemMarker(int index, const QString& image, const QRect& rect);
  bool clearItemMarker(int index) { return setItemMarker(index, {}, {}); }

  // -1 when nothing is selected.
  int selectedIndex() const;
  // Selects (and scrolls to) an item; -1 clears. Sends "itemselect" when
  // the selection changed.
  bool select(int index);
  void ensureVisible(int index);
  // Scrolls so that the item is the first one in view (as far as the
  // list's end allows).
  void scrollToTop(int index);
  void pageUp();
  void pageDown();
  // The header strip above the rows; 0 hides it.
  void setHeaderHeight(int height);
  int headerHeight() const { return headerHeight_; }
  // The rectangle of an item's row in this control's coordinates (an
  // invalid rectangle when it is scrolled out of view).
  QRect itemRect(int index) const;
  // Row height of an item (the list's item height within its maximum).
  int rowHeight(int index) const;
  // What the rows show beside their texts (not owned; null: nothing).
  void setRowDecor(SkinRowDecor* decor);
  // One height for every row (0: the skin's and the items' own).
  void setFixedRowHeight(int height);
  // Extra width for every item that has a width limit.
  void setWidthAllowance(int pixels);
  // What the list says while it has no rows (empty: nothing), in the rows'
  // dim text colour.
  void setEmptyText(const QString& text);
  QString emptyText() const;
  // Paints the rows on show again (their decoration changed).
  void repaintRows();

  SkinListView* view() const { return view_; }
  SkinListModel* model() const { return model_; }

 protected:
  void resizeEvent(QResizeEvent*) override;
  void paintContent(QPainter& p) override;

 private:
  SkinListModel* model_;
  SkinListView* view_;
  SkinItemDelegate* delegate_;
  QString header_;
  QColor headerBk_;
  int headerHeight_ = 0;
};

}  // namespace tembra
