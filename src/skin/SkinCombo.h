#pragma once
// A drop-down selector: shows the selected item's text and an arrow; a
// click opens a pop-up list of its items (the same rows as a list). The
// drop-down's height is set by the program (setDropDownHeight) or, when
// not set, is the height of at most kDefaultRows rows.
//
// Notifications: "itemselect" when the selected item changed (by the user
// or by select()), with the item index.
#include <QPointer>
#include <QVector>

#include "skin/CListLabelElementUI.h"
#include "skin/SkinControl.h"

class QFrame;

namespace tembra {

class SkinItemDelegate;
class SkinListModel;
class SkinListView;

class SkinCombo : public SkinControl {
  Q_OBJECT

 public:
  static constexpr int kDefaultRows = 4;
  // The drop-down widens to its longest item's text and this much room
  // (padding, a scroll bar), up to kMaxDropDownWidth.
  static constexpr int kDropDownTextRoom = 40;
  static constexpr int kMaxDropDownWidth = 320;

  SkinCombo(const SkinNode& node, SkinContext& ctx, QWidget* parent);
  ~SkinCombo() override;

  int count() const;
  int add(const CListLabelElementUI& item);
  void removeAll();
  const CListLabelElementUI* item(int index) const;
  int findByName(const QString& name) const;
  int selectedIndex() const { return selected_; }
  // Selects an item (-1: none); sends "itemselect" when it changed.
  bool select(int index);

  // Height of the drop-down list in pixels; 0 returns to the default.
  void setDropDownHeight(int height);
  int dropDownHeight() const;

  void showDropDown();
  void hideDropDown();
  bool isDropDownVisible() const;
  // The open drop-down's view, for tests and keyboard handling; null when closed.
  SkinListView* dropDownView() const { return view_; }

 protected:
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void paintContent(QPainter& p) override;
  QColor currentBkColor() const override;

 private:
  SkinListModel* model_;
  SkinItemDelegate* delegate_;
  QPointer<QFrame> popup_;
  SkinListView* view_ = nullptr;
  QString normalImage_, hotImage_, pushedImage_, arrowImage_;
  QColor hotBk_, dropBk_;
  int selected_ = -1;
  int dropDownHeight_ = 0;
  bool hot_ = false;
};

}  // namespace tembra
