#pragma once
#include <QListView>

namespace tembra {

// The view inside a list or combo drop-down: reports left presses, double
// clicks and Return after the selection has moved, so that whoever is
// notified reads the new selected item.
class SkinListView : public QListView {
  Q_OBJECT

 public:
  explicit SkinListView(QWidget* parent);

  // What the view says while it has no rows (empty: nothing), in the
  // colour and font given.
  void setEmptyText(const QString& text, const QColor& colour, const QFont& font);
  const QString& emptyText() const { return emptyText_; }

 signals:
  void itemPressed(int row);
  void itemDoubleClicked(int row);
  void itemActivated(int row);
  // A right click (or the menu key) on a row.
  void itemMenu(int row);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  QString emptyText_;
  QColor emptyColour_;
  QFont emptyFont_;
};

// Thin dark scroll bars in the given handle colour.
QString skinScrollBarStyle(const QColor& handle, const QColor& track);

}  // namespace tembra
