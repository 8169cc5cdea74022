#include "guidegrid/GuideGridWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <ctime>

#include "guidegrid/GridNavigator.h"

namespace tembra {

namespace {

constexpr int kDragThreshold = 5;

int64_t utcOffsetAt(int64_t utc) {
  std::tm fields{};
  const std::time_t t = static_cast<std::time_t>(utc);
  localtime_r(&t, &fields);
  return static_cast<int64_t>(fields.tm_gmtoff);
}

std::vector<GridSpan> spansOf(const GridModel::Slice& slice) {
  std::vector<GridSpan> spans;
  spans.reserve(slice.programmes.size());
  for (const GuideProgramme* p : slice.programmes) spans.push_back({p->start, p->stop});
  return spans;
}

}  // namespace

GuideGridWidget::GuideGridWidget(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("guidegrid"));
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(metrics_.channelWidth + metrics_.halfHourWidth, metrics_.headerHeight + metrics_.rowHeight);
  minute_.setSingleShot(true);
  connect(&minute_, &QTimer::timeout, this, [this] {
    update();
    armMinuteTimer();
  });
  armMinuteTimer();
}

// The line at now moves by a pixel every few seconds of the hour; a timer at
// each minute's turn redraws it, never a timer per frame.
void GuideGridWidget::armMinuteTimer() {
  const int64_t t = now();
  const int64_t next = (t / 60 + 1) * 60;
  minute_.start(static_cast<int>(std::clamp<int64_t>(next - t, 1, 60)) * 1000);
}

void GuideGridWidget::setModel(GridModel* model) {
  model_ = model;
  selRow_ = -1;
  scrollY_ = 0;
  goToNow();
}

void GuideGridWidget::setClock(std::function<int64_t()> clock) {
  clock_ = std::move(clock);
  armMinuteTimer();
  update();
}

int64_t GuideGridWidget::now() const { return clock_ ? clock_() : static_cast<int64_t>(std::time(nullptr)); }

void GuideGridWidget::setReminderCheck(std::function<bool(const std::u16string&, int64_t)> check) {
  reminderCheck_ = std::move(check);
  update();
}

void GuideGridWidget::setPlayingChannel(const std::u16string& id) {
  if (id == playingId_) return;
  playingId_ = id;
  update();
}

GridLayout GuideGridWidget::layout() const { return GridLayout(metrics_, width(), height()); }

std::optional<GuideProgramme> GuideGridWidget::selectedProgramme() const {
  if (model_ == nullptr || selRow_ < 0 || selRow_ >= static_cast<int>(model_->rowCount())) return std::nullopt;
  if (selStop_ <= selStart_) return std::nullopt;
  const GridModel::Slice slice = model_->programmes(static_cast<size_t>(selRow_), selStart_, selStop_);
  for (const GuideProgramme* p : slice.programmes)
    if (p->start == selStart_) return *p;
  return std::nullopt;
}

void GuideGridWidget::clampView() {
  const GridLayout l = layout();
  if (model_ != nullptr) {
    const int64_t first = model_->begin();
    const int64_t last = std::max(first, model_->end() - l.viewSpan());
    viewStart_ = std::clamp(viewStart_, first, last);
    scrollY_ = std::clamp(scrollY_, 0, l.maxScrollY(static_cast<int>(model_->rowCount())));
  } else {
    scrollY_ = 0;
  }
}

void GuideGridWidget::setViewStart(int64_t viewStart) {
  viewStart_ = viewStart;
  clampView();
  update();
  emit viewMoved();
}

void GuideGridWidget::setScrollY(int scrollY) {
  scrollY_ = scrollY;
  clampView();
  update();
  emit viewMoved();
}

void GuideGridWidget::scrollByPixels(int dx, int dy) {
  viewStart_ += int64_t{dx} * GridLayout::kHalfHour / metrics_.halfHourWidth;
  scrollY_ += dy;
  clampView();
  update();
  emit viewMoved();
}

void GuideGridWidget::goToNow(const std::u16string& channelId) {
  const int64_t t = now();
  viewStart_ = GridLayout::halfHourFloor(t, utcOffsetAt(t));
  clampView();
  if (model_ != nullptr && model_->rowCount() > 0) {
    int row = channelId.empty() ? -1 : model_->rowOf(channelId);
    if (row < 0) row = selRow_ >= 0 ? selRow_ : layout().rows(scrollY_, static_cast<int>(model_->rowCount())).first;
    selectAt(row, t);
  }
  update();
  emit viewMoved();
}

void GuideGridWidget::goToDay(int day) {
  if (model_ == nullptr) return;
  const int64_t t = now();
  const int today = model_->dayOf(t);
  if (day == today) {
    goToNow();
    return;
  }
  const int64_t timeOfDay = GridLayout::halfHourFloor(t, utcOffsetAt(t)) - model_->dayStart(today);
  const int64_t at = model_->dayStart(day) + std::clamp<int64_t>(timeOfDay, 0, 86400 - GridLayout::kHalfHour);
  viewStart_ = at;
  clampView();
  if (model_->rowCount() > 0) selectAt(selRow_ >= 0 ? selRow_ : layout().rows(scrollY_, static_cast<int>(model_->rowCount())).first, at);
  update();
  emit viewMoved();
}

int GuideGridWidget::dayInView() const {
  if (model_ == nullptr) return 0;
  if (selRow_ >= 0) return model_->dayOf(std::max(anchor_, model_->begin()));
  return model_->dayOf(viewStart_ + layout().viewSpan() / 2);
}

void GuideGridWidget::goToDayEdge(bool end) {
  if (model_ == nullptr) return;
  const int day = dayInView();
  const GridLayout l = layout();
  if (end) {
    viewStart_ = model_->dayStart(day + 1) - l.viewSpan();
    clampView();
    if (model_->rowCount() > 0 && selRow_ >= 0) selectAt(selRow_, model_->dayStart(day + 1) - 1);
  } else {
    viewStart_ = model_->dayStart(day);
    clampView();
    if (model_->rowCount() > 0 && selRow_ >= 0) selectAt(selRow_, model_->dayStart(day));
  }
  update();
  emit viewMoved();
}

void GuideGridWidget::selectAt(int row, int64_t t) {
  if (model_ == nullptr || row < 0 || row >= static_cast<int>(model_->rowCount())) return;
  const GridModel::Slice slice = model_->all(static_cast<size_t>(row));
  const int i = GridNavigator::onAt(spansOf(slice), t);
  selRow_ = row;
  anchor_ = t;
  selStart_ = selStop_ = 0;
  // In a gap the nearest programme is taken only when it is in sight: a day
  // still loading must not send the view to the next day's first programme.
  const int64_t viewEnd = viewStart_ + layout().viewSpan();
  if (i >= 0) {
    const GuideProgramme& p = *slice.programmes[static_cast<size_t>(i)];
    if ((p.start <= t && t < p.stop) || (p.stop > viewStart_ && p.start < viewEnd)) {
      selStart_ = p.start;
      selStop_ = p.stop;
    }
  }
  reveal(false);
  update();
  emit selectionChanged();
}

// Along a row the view follows the selection; across rows it stays at its
// time unless the programme reached has no part in sight.
void GuideGridWidget::reveal(bool alongRow) {
  const GridLayout l = layout();
  if (model_ == nullptr || selRow_ < 0) return;
  scrollY_ = l.revealRow(selRow_, scrollY_, static_cast<int>(model_->rowCount()));
  const bool outOfSight = selStop_ <= viewStart_ || selStart_ >= viewStart_ + l.viewSpan();
  if (selStop_ > selStart_ && (alongRow || outOfSight))
    viewStart_ = GridNavigator::reveal({selStart_, selStop_}, viewStart_, l.viewSpan());
  clampView();
}

void GuideGridWidget::moveAlong(int dir) {
  if (model_ == nullptr || model_->rowCount() == 0) return;
  if (selRow_ < 0) {
    goToNow();
    return;
  }
  const GridModel::Slice slice = model_->all(static_cast<size_t>(selRow_));
  const std::vector<GridSpan> spans = spansOf(slice);
  int current = -1;
  for (size_t i = 0; i < slice.programmes.size(); ++i)
    if (slice.programmes[i]->start == selStart_) current = static_cast<int>(i);
  if (current < 0) current = GridNavigator::onAt(spans, anchor_);
  const int next = GridNavigator::along(spans, current, dir);
  if (next < 0) {
    // An empty row: move the view by a column instead.
    scrollByPixels(dir * metrics_.halfHourWidth, 0);
    return;
  }
  const GuideProgramme& p = *slice.programmes[static_cast<size_t>(next)];
  selStart_ = p.start;
  selStop_ = p.stop;
  reveal(true);
  anchor_ = GridNavigator::anchorOf({p.start, p.stop}, viewStart_);
  update();
  emit selectionChanged();
  emit viewMoved();
}

void GuideGridWidget::moveRows(int dir) {
  if (model_ == nullptr || model_->rowCount() == 0) return;
  const int count = static_cast<int>(model_->rowCount());
  if (selRow_ < 0) {
    goToNow();
    return;
  }
  const int row = GridNavigator::rowFrom(selRow_, dir, count);
  if (std::abs(dir) > 1) {
    // A page moves the view by the same rows, so the selection keeps its place on the screen.
    scrollY_ += (row - selRow_) * metrics_.rowHeight;
    clampView();
  }
  const int64_t keep = anchor_;
  selectAt(row, keep);
  anchor_ = keep;
  emit viewMoved();
}

bool GuideGridWidget::selectAtPoint(const QPoint& pos) {
  if (model_ == nullptr) return false;
  const GridLayout l = layout();
  const int row = l.rowAt(pos.y(), scrollY_, static_cast<int>(model_->rowCount()));
  if (row < 0) return false;
  const int64_t t = pos.x() >= l.timeLeft() ? l.timeAt(pos.x(), viewStart_) : now();
  const int64_t before = viewStart_;
  const int scroll = scrollY_;
  selectAt(row, t);
  // A click never scrolls what the viewer is pointing at.
  viewStart_ = before;
  scrollY_ = scroll;
  clampView();
  update();
  return true;
}

void GuideGridWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  GridPainter::Frame frame;
  frame.viewStart = viewStart_;
  frame.scrollY = scrollY_;
  frame.now = now();
  frame.selectedRow = selRow_;
  frame.selectedStart = selStart_;
  frame.playingId = playingId_;
  frame.hasReminder = reminderCheck_;
  if (!painter_) painter_ = std::make_unique<GridPainter>(font());
  painter_->paint(p, layout(), model_, frame);
}

void GuideGridWidget::changeEvent(QEvent* e) {
  if (e->type() == QEvent::FontChange) painter_.reset();
  QWidget::changeEvent(e);
}

void GuideGridWidget::resizeEvent(QResizeEvent*) { clampView(); }

void GuideGridWidget::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Left: moveAlong(-1); break;
    case Qt::Key_Right: moveAlong(+1); break;
    case Qt::Key_Up: moveRows(-1); break;
    case Qt::Key_Down: moveRows(+1); break;
    case Qt::Key_PageUp: moveRows(-layout().pageRows()); break;
    case Qt::Key_PageDown: moveRows(+layout().pageRows()); break;
    case Qt::Key_Home: goToDayEdge(false); break;
    case Qt::Key_End: goToDayEdge(true); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (selectedProgramme()) emit activated();
      break;
    default:
      e->ignore();
      return;
  }
  e->accept();
}

// Rows scroll whole (a wheel's notch is two, a touchpad's pixels add up to
// one); time scrolls by the pixel.
void GuideGridWidget::wheelEvent(QWheelEvent* e) {
  QPoint step = e->pixelDelta();
  if (step.isNull()) {
    const QPoint angle = e->angleDelta();
    // One notch: two rows down, or a third of a column across.
    step = QPoint(angle.x() * metrics_.halfHourWidth / 3 / 120, angle.y() * 2 * metrics_.rowHeight / 120);
  }
  if (e->modifiers() & Qt::ShiftModifier) step = QPoint(step.y(), step.x());
  wheelRows_ -= step.y();
  const int rows = wheelRows_ / metrics_.rowHeight;
  wheelRows_ -= rows * metrics_.rowHeight;
  scrollByPixels(-step.x(), rows * metrics_.rowHeight);
  e->accept();
}

void GuideGridWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  pressed_ = true;
  dragging_ = false;
  pressAt_ = e->position().toPoint();
  pressViewStart_ = viewStart_;
  pressScrollY_ = scrollY_;
}

void GuideGridWidget::mouseMoveEvent(QMouseEvent* e) {
  if (!pressed_) return;
  const QPoint moved = e->position().toPoint() - pressAt_;
  if (!dragging_ && moved.manhattanLength() < kDragThreshold) return;
  if (!dragging_) setCursor(Qt::ClosedHandCursor);
  dragging_ = true;
  viewStart_ = pressViewStart_ - int64_t{moved.x()} * GridLayout::kHalfHour / metrics_.halfHourWidth;
  scrollY_ = pressScrollY_ - moved.y();
  clampView();
  update();
  emit viewMoved();
}

void GuideGridWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  if (dragging_) {
    dragging_ = false;
    unsetCursor();
    if (model_ != nullptr) setScrollY(layout().snapScrollY(scrollY_, static_cast<int>(model_->rowCount())));
    return;
  }
  selectAtPoint(e->position().toPoint());
}

void GuideGridWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (selectAtPoint(e->position().toPoint()) && selectedProgramme()) emit activated();
}

}  // namespace tembra
