#pragma once
// The base of every skin control: a QWidget with a name, a class name for
// the hit test, a look, and the sizes its parent's layout reads.
//
// Positions given to setPosition are client pixels of the window, right and
// bottom exclusive (the window's own pixel layout works in those); such a
// control leaves its parent's layout flow and stays where it was put, even
// when its parent moves later.
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "skin/SkinLook.h"
#include "skin/SkinNode.h"

namespace tembra {

class SkinContext;

class SkinControl : public QWidget {
  Q_OBJECT

 public:
  SkinControl(const SkinNode& node, SkinContext& ctx, QWidget* parent);
  ~SkinControl() override;

  QString name() const { return objectName(); }
  // "ButtonUI", "OptionUI", "TextUI", "LabelUI", "ListUI", ... (SkinSchema)
  QString className() const;
  SkinControlKind kind() const { return kind_; }

  // Place the control at a rectangle in client pixels of its window.
  void setPosition(const QRect& clientRect);
  void setPosition(int left, int top, int right, int bottom) {
    setPosition(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
  }
  // The control's rectangle in client pixels of its window.
  QRect position() const;
  // Fixed sizes in the parent's layout flow; 0 lets the layout choose.
  void setLayoutHeight(int height);
  void setLayoutWidth(int width);
  int layoutHeight() const { return fixedHeight_; }
  int layoutWidth() const { return fixedWidth_; }
  QMargins padding() const { return padding_; }
  int minLayoutWidth() const { return minWidth_; }
  int minLayoutHeight() const { return minHeight_; }
  int maxLayoutWidth() const { return maxWidth_; }
  int maxLayoutHeight() const { return maxHeight_; }
  bool isFloating() const { return floating_; }
  // The parent-relative rectangle of a floating control at its parent's
  // current place.
  QRect floatingGeometry() const;

  void setText(const QString& text);
  QString text() const { return text_; }

  const SkinLook& look() const { return look_; }
  SkinContext& context() const { return ctx_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  bool event(QEvent* e) override;
  // Paints what the control shows on top of its box.
  virtual void paintContent(QPainter& p);
  virtual QColor currentBkColor() const { return look_.bkColor; }
  void notify(const QString& type, int item = -1);
  void relayoutParent();

  SkinContext& ctx_;
  SkinLook look_;
  QString text_;

 private:
  SkinControlKind kind_;
  int fixedWidth_ = 0;
  int fixedHeight_ = 0;
  int minWidth_ = 0;
  int minHeight_ = 0;
  int maxWidth_ = 0;
  int maxHeight_ = 0;
  QMargins padding_;
  bool floating_ = false;
  bool clientPlaced_ = false;  // rect_ is in window client pixels, else parent-relative
  QRect rect_;
};

}  // namespace tembra
