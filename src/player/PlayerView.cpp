#include "player/PlayerView.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWheelEvent>

#include "player/MpvVideoWidget.h"
#include "player/PlayerOverlay.h"
#include "player/PlayerStatusText.h"
#include "web/WebView.h"

namespace tembra {

namespace {

constexpr int kCursorHideMs = 3000;
const char* kBackdropStyle = "background-color: #101318;";
const char* kRetryStyle =
    "QPushButton { background-color: #3d8bfd; color: #ffffff; border: none; border-radius: 6px;"
    " padding: 6px 22px; font-size: 14px; font-weight: bold; }"
    "QPushButton:hover { background-color: #5a9dfd; }"
    "QPushButton:pressed { background-color: #2f6fcc; }";
constexpr int kRetryGap = 12;

// Shown when the logo page file is missing: the same dark look, nothing
// broken-looking.
const char* kFallbackPage =
    "<!DOCTYPE html><html><head><meta charset='utf-8'></head>"
    "<body style='margin:0;background:#101318'></body></html>";

}  // namespace

PlayerView::PlayerView(std::array<MpvSession*, 2> sessions, bool renderVideo, bool logoPage, QWidget* parent)
    : QWidget(parent), stage_(new QWidget(this)) {
  setObjectName("playerview");
  setAttribute(Qt::WA_StyledBackground);
  setStyleSheet(kBackdropStyle);
  stage_->setObjectName("playerstage");
  stage_->setAttribute(Qt::WA_StyledBackground);
  stage_->setStyleSheet("#playerstage { background-color: #000000; }");
  stage_->setFocusPolicy(Qt::StrongFocus);
  stage_->setMouseTracking(true);
  stage_->installEventFilter(this);

  backdrop_ = new QWidget(stage_);
  backdrop_->setAttribute(Qt::WA_StyledBackground);
  backdrop_->setStyleSheet(kBackdropStyle);
  backdrop_->setMouseTracking(true);
  backdrop_->installEventFilter(this);

  if (renderVideo) {
    video_ = new MpvVideoWidget(sessions, stage_);
    video_->setMouseTracking(true);
    video_->installEventFilter(this);
    video_->hide();
  }
  // The web engine's first start blocks this thread for 70-140 ms: the
  // page comes on a later turn of the event loop than the rest of the
  // player, so the two never add up to one freeze. The backdrop has its
  // colour meanwhile.
  if (logoPage) QTimer::singleShot(0, this, [this] { makeLogo(); });
  overlay_ = new PlayerOverlay(stage_);
  retry_ = new QPushButton(PlayerStatusText::Retry(), stage_);
  retry_->setObjectName("playerretry");
  retry_->setStyleSheet(kRetryStyle);
  retry_->setCursor(Qt::PointingHandCursor);
  // Keys stay with the stage (volume, fullscreen); the button is for the mouse.
  retry_->setFocusPolicy(Qt::NoFocus);
  retry_->hide();
  connect(retry_, &QPushButton::clicked, this, &PlayerView::retryRequested);

  cursorTimer_.setSingleShot(true);
  connect(&cursorTimer_, &QTimer::timeout, this, [this] {
    if (fullScreen_) stage_->setCursor(Qt::BlankCursor);
  });
  setMode(Mode::Logo);
}

PlayerView::~PlayerView() {
  // A stage still up over the window in fullscreen is the window's child.
  if (stage_->parent() != this) delete stage_;
}

void PlayerView::makeLogo() {
  if (logo_) return;
  logo_ = new WebView(stage_, QColor(0x10, 0x13, 0x18));
  logo_->setContextMenuPolicy(Qt::NoContextMenu);
  logo_->setFocusPolicy(Qt::NoFocus);
  logo_->hide();
  // Loading the page and showing the view (its first composition) take
  // another 30-40 ms: one more turn.
  QTimer::singleShot(0, this, [this] {
    if (logoPathSet_) loadLogo();
    setMode(mode_);
  });
}

void PlayerView::setLogoPage(const QString& path) {
  logoPath_ = path;
  logoPathSet_ = true;
  if (logo_) loadLogo();
}

void PlayerView::loadLogo() {
  if (!logoPath_.isEmpty() && QFileInfo(logoPath_).isFile())
    logo_->load(QUrl::fromLocalFile(logoPath_));
  else
    logo_->setHtml(kFallbackPage);
}

void PlayerView::setMode(Mode mode) {
  mode_ = mode;
  if (video_) video_->setVisible(mode == Mode::Video);
  if (logo_) {
    if (mode == Mode::Logo) logo_->setGeometry(QRect(QPoint(0, 0), stage_->size()));
    logo_->setVisible(mode == Mode::Logo);
  }
  backdrop_->setVisible(mode == Mode::Message || (mode == Mode::Logo && !logo_) || (mode == Mode::Video && !video_));
  overlay_->raise();
  retry_->raise();
  layoutStage();
}

void PlayerView::setRetryVisible(bool visible) {
  retry_->setVisible(visible);
  placeRetry();
}

void PlayerView::placeRetry() {
  retry_->adjustSize();
  const QRectF box = overlay_->errorBox();
  const int top = box.isEmpty() ? (stage_->height() - retry_->height()) / 2 : qRound(box.bottom()) + kRetryGap;
  retry_->move((stage_->width() - retry_->width()) / 2, qMin(top, stage_->height() - retry_->height()));
}

void PlayerView::setFullScreen(bool on) {
  if (on == fullScreen_) return;
  fullScreen_ = on;
  QWidget* top = window();
  if (on) {
    windowGeometry_ = top->geometry();
    windowStates_ = top->windowState();
    if (top != this) {
      stage_->setParent(top);
      top->installEventFilter(this);
    }
    stage_->setGeometry(top->rect());
    stage_->raise();
    stage_->show();
    hideCoveredWidgets(top);
    // Without a window manager the fullscreen request alone changes
    // nothing; the frameless window then covers the screen by itself.
    if (QScreen* screen = top->screen()) top->setGeometry(screen->geometry());
    top->showFullScreen();
    top->activateWindow();
    cursorTimer_.start(kCursorHideMs);
  } else {
    cursorTimer_.stop();
    stage_->unsetCursor();
    if (top != this) top->removeEventFilter(this);
    top->setWindowState(windowStates_);
    if (!(windowStates_ & (Qt::WindowMaximized | Qt::WindowFullScreen))) top->setGeometry(windowGeometry_);
    showCoveredWidgets();
    if (stage_->parent() != this) stage_->setParent(this);
    stage_->setGeometry(rect());
    stage_->show();
  }
  stage_->setFocus();
  layoutStage();
}

void PlayerView::hideCoveredWidgets(QWidget* top) {
  coveredByStage_.clear();
  if (top == this) return;
  for (QObject* child : top->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget || widget == stage_ || widget->isWindow() || widget->isHidden()) continue;
    coveredByStage_.emplace_back(widget);
    widget->hide();
  }
}

void PlayerView::showCoveredWidgets() {
  for (const QPointer<QWidget>& widget : coveredByStage_)
    if (widget) widget->show();
  coveredByStage_.clear();
}

void PlayerView::resizeEvent(QResizeEvent*) {
  if (stage_->parent() == this) stage_->setGeometry(rect());
  layoutStage();
}

void PlayerView::layoutStage() {
  const QRect area(QPoint(0, 0), stage_->size());
  backdrop_->setGeometry(area);
  if (video_) video_->setGeometry(area);
  // The page is sized only while shown: the web engine draws a page at
  // every new size, in software here, and a full-screen frame of a page
  // under the video would be drawn for nobody. setMode sizes it as it shows.
  if (logo_ && !logo_->isHidden()) logo_->setGeometry(area);
  overlay_->setGeometry(area);
  placeRetry();
}

void PlayerView::noteActivity() {
  if (fullScreen_) {
    stage_->unsetCursor();
    cursorTimer_.start(kCursorHideMs);
  }
  emit activity();
}

bool PlayerView::handleKey(int key) {
  switch (key) {
    case Qt::Key_F11:
    case Qt::Key_F:
      setFullScreen(!fullScreen_);
      return true;
    case Qt::Key_Escape:
      if (!fullScreen_) return false;
      setFullScreen(false);
      return true;
    case Qt::Key_Up:
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      emit volumeStepRequested(kVolumeStep);
      return true;
    case Qt::Key_Down:
    case Qt::Key_Minus:
      emit volumeStepRequested(-kVolumeStep);
      return true;
    case Qt::Key_M:
      emit muteToggleRequested();
      return true;
    default:
      return false;
  }
}

bool PlayerView::eventFilter(QObject* watched, QEvent* event) {
  // The window under a fullscreen stage: the stage follows its size.
  if (watched != stage_ && watched != this && watched == window()) {
    if (fullScreen_ && event->type() == QEvent::Resize) stage_->setGeometry(window()->rect());
    return QWidget::eventFilter(watched, event);
  }
  switch (event->type()) {
    case QEvent::Resize:
      if (watched == stage_) layoutStage();
      break;
    case QEvent::KeyPress:
      if (handleKey(static_cast<QKeyEvent*>(event)->key())) return true;
      break;
    case QEvent::MouseMove:
      noteActivity();
      break;
    case QEvent::MouseButtonPress:
      stage_->setFocus();
      break;
    case QEvent::MouseButtonDblClick:
      if (watched == video_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        setFullScreen(!fullScreen_);
        return true;
      }
      break;
    case QEvent::Wheel: {
      const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y();
      if (dy != 0) emit volumeStepRequested(dy > 0 ? kVolumeStep : -kVolumeStep);
      return true;
    }
    case QEvent::ContextMenu:
      emit menuRequested(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tembra
