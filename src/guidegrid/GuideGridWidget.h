#pragma once
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "guidegrid/GridLayout.h"
#include "guidegrid/GridModel.h"
#include "guidegrid/GridPainter.h"

namespace tembra {

// The grid itself: channels down the side, time across, each programme a
// block as long as it lasts, a line at now that moves once a minute. Only
// the rows and hours in sight are read and drawn. Scrolls with the wheel
// (Shift or a sideways wheel: time) and by dragging; the arrows move the
// selection between programmes, Page Up / Page Down a screen of channels,
// Home / End to the start / end of the day; a click selects, a double click
// or Enter activates. Other keys go on to the parent.
class GuideGridWidget : public QWidget {
  Q_OBJECT

 public:
  explicit GuideGridWidget(QWidget* parent = nullptr);

  // Not owned; null empties the grid. The view goes to now.
  void setModel(GridModel* model);
  GridModel* model() const { return model_; }
  // UTC seconds now; empty: the machine's clock. Tests and benchmarks fix it.
  void setClock(std::function<int64_t()> clock);
  int64_t now() const;
  // Whether a programme has a reminder, for its mark; empty: none has.
  void setReminderCheck(std::function<bool(const std::u16string& channelId, int64_t start)> check);
  // The channel now playing, marked in its row.
  void setPlayingChannel(const std::u16string& id);

  GridLayout layout() const;
  const GridMetrics& metrics() const { return metrics_; }
  int64_t viewStart() const { return viewStart_; }
  int scrollY() const { return scrollY_; }
  int selectedRow() const { return selRow_; }
  std::optional<GuideProgramme> selectedProgramme() const;

  // The view at now (the half hour it is in), the selection on the
  // programme on now of the selected row (or of the channel given).
  void goToNow(const std::u16string& channelId = {});
  // Day d of the model at the time of day it is now (today: now itself).
  void goToDay(int day);
  // Home / End: the start / end of the day in view, selecting there.
  void goToDayEdge(bool end);
  // Moves the view by pixels (positive: later, further down).
  void scrollByPixels(int dx, int dy);
  void setViewStart(int64_t viewStart);
  void setScrollY(int scrollY);
  // Selects the programme of row on at t (nearest in a gap) and shows it.
  void selectAt(int row, int64_t t);
  // The day of the model the view is on (by the selection, else its centre).
  int dayInView() const;

 signals:
  void selectionChanged();
  void activated();
  void viewMoved();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void changeEvent(QEvent*) override;

 private:
  void clampView();
  void moveAlong(int dir);
  void moveRows(int dir);
  // Keeps the selection in sight after a key moved it.
  void reveal(bool alongRow);
  bool selectAtPoint(const QPoint& p);
  void armMinuteTimer();

  GridModel* model_ = nullptr;
  GridMetrics metrics_;
  std::unique_ptr<GridPainter> painter_;
  std::function<int64_t()> clock_;
  std::function<bool(const std::u16string&, int64_t)> reminderCheck_;
  std::u16string playingId_;
  int64_t viewStart_ = 0;
  int scrollY_ = 0;
  int selRow_ = -1;
  int64_t selStart_ = 0;
  int64_t selStop_ = 0;
  int64_t anchor_ = 0;  // the moment up / down keep to
  // Dragging: where the press was and the view then.
  QPoint pressAt_;
  bool pressed_ = false;
  bool dragging_ = false;
  int64_t pressViewStart_ = 0;
  int pressScrollY_ = 0;
  int wheelRows_ = 0;  // wheel pixels not yet a whole row
  QTimer minute_;
};

}  // namespace tembra
