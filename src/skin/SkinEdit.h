#pragma once
#include "skin/SkinControl.h"

class QLineEdit;

namespace tembra {

// A one-line text field in the skin's look.
class SkinEdit : public SkinControl {
  Q_OBJECT

 public:
  SkinEdit(const SkinNode& node, SkinContext& ctx, QWidget* parent);
  QString editText() const;
  void setEditText(const QString& text);
  QLineEdit* lineEdit() const { return edit_; }

 protected:
  void resizeEvent(QResizeEvent*) override;
  void paintContent(QPainter&) override {}

 private:
  QLineEdit* edit_;
};

}  // namespace tembra
