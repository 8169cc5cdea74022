#include "skin/CWindowWnd.h"

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include "skin/COptionUI.h"
#include "skin/CListUI.h"
#include "skin/CTabLayoutUI.h"
#include "skin/SkinBuilder.h"
#include "skin/SkinButton.h"
#include "skin/SkinCombo.h"
#include "skin/SkinContainer.h"
#include "skin/SkinContext.h"
#include "skin/SkinLabel.h"
#include "skin/SkinVideoSlot.h"
#include "skin/SkinWebBrowser.h"

namespace tembra {

namespace {

QString& resourceFolder() {
  static QString folder;
  return folder;
}

Qt::Edges edgesOf(SkinHit hit) {
  switch (hit) {
    case SkinHit::Left: return Qt::LeftEdge;
    case SkinHit::Right: return Qt::RightEdge;
    case SkinHit::Top: return Qt::TopEdge;
    case SkinHit::Bottom: return Qt::BottomEdge;
    case SkinHit::TopLeft: return Qt::TopEdge | Qt::LeftEdge;
    case SkinHit::TopRight: return Qt::TopEdge | Qt::RightEdge;
    case SkinHit::BottomLeft: return Qt::BottomEdge | Qt::LeftEdge;
    case SkinHit::BottomRight: return Qt::BottomEdge | Qt::RightEdge;
    default: return {};
  }
}

Qt::CursorShape cursorOf(SkinHit hit) {
  switch (hit) {
    case SkinHit::Left:
    case SkinHit::Right: return Qt::SizeHorCursor;
    case SkinHit::Top:
    case SkinHit::Bottom: return Qt::SizeVerCursor;
    case SkinHit::TopLeft:
    case SkinHit::BottomRight: return Qt::SizeFDiagCursor;
    default: return Qt::SizeBDiagCursor;
  }
}

}  // namespace

CWindowWnd::CWindowWnd(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::FramelessWindowHint) {
  setMouseTracking(true);
  qApp->installEventFilter(this);
}

CWindowWnd::~CWindowWnd() {
  delete root_;
  root_ = nullptr;
  delete ctx_;
}

void CWindowWnd::setResourcePath(const QString& folder) {
  QString f = folder;
  if (!f.isEmpty() && !f.endsWith(u'/') && !f.endsWith(u'\\')) f += u'/';
  resourceFolder() = f;
}

QString CWindowWnd::resourcePath() { return resourceFolder(); }

bool CWindowWnd::loadLayout(const QString& fileName) {
  SkinLayout layout = SkinLayout::loadFile(resourcePath().toStdString(), fileName.toStdString());
  loadProblems_ = layout.problems();
  if (!layout.ok()) return false;
  delete root_;
  root_ = nullptr;
  delete ctx_;
  ctx_ = new SkinContext(resourcePath());
  QPointer<CWindowWnd> self(this);
  ctx_->notifySink = [self](const SkinNotification& msg) {
    if (self) self->deliver(msg);
  };
  const SkinNode& w = layout.root();
  const SkinSize size = w.size(u"size", {400, 300});
  const SkinSize minimum = w.size(u"mininfo");
  const SkinSize round = w.size(u"roundcorner");
  roundCorner_ = QSize(round.width, round.height);
  sizeBox_ = w.rect(u"sizebox");
  caption_ = w.rect(u"caption");
  initialSize_ = QSize(size.width, size.height);
  root_ = SkinBuilder::build(layout, *ctx_, this);
  setFont(ctx_->font(-1));
  QPalette tip = QToolTip::palette();
  tip.setColor(QPalette::ToolTipBase, QColor(0x24, 0x2b, 0x36));
  tip.setColor(QPalette::ToolTipText, ctx_->textColor);
  QToolTip::setPalette(tip);
  QToolTip::setFont(ctx_->font(-1));
  if (minimum.width > 0 || minimum.height > 0) setMinimumSize(minimum.width, minimum.height);
  resize(initialSize_.expandedTo(minimumSize()));
  root_->setGeometry(rect());
  root_->relayout();
  root_->show();
  QMetaObject::invokeMethod(
      this,
      [self, root = QPointer<SkinContainer>(root_)] {
        if (self && root && self->root_ == root) {
          self->deliver(SkinNotification{QStringLiteral("windowinit"), root->name(), root, -1});
        }
      },
      Qt::QueuedConnection);
  return true;
}

std::vector<SkinProblem> CWindowWnd::problems() const {
  std::vector<SkinProblem> all = loadProblems_;
  if (ctx_ != nullptr) all.insert(all.end(), ctx_->problems().begin(), ctx_->problems().end());
  return all;
}

void CWindowWnd::addNotifier(INotifyUI* notifier) {
  if (notifier != nullptr && std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
    notifiers_.push_back(notifier);
  }
}

void CWindowWnd::removeNotifier(INotifyUI* notifier) {
  notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), notifier), notifiers_.end());
}

// A notifier may close or delete this window, or remove notifiers, while
// being told: the list is copied and the window checked between calls.
void CWindowWnd::deliver(const SkinNotification& msg) {
  QPointer<CWindowWnd> self(this);
  const std::vector<INotifyUI*> targets = notifiers_;
  for (INotifyUI* n : targets) {
    if (!self) return;
    if (std::find(notifiers_.begin(), notifiers_.end(), n) == notifiers_.end()) continue;
    n->notify(msg);
  }
}

SkinControl* CWindowWnd::findControl(const QString& name) const {
  return ctx_ != nullptr ? ctx_->find(name) : nullptr;
}

CListUI* CWindowWnd::findList(const QString& name) const { return find<CListUI>(name); }
SkinCombo* CWindowWnd::findCombo(const QString& name) const { return find<SkinCombo>(name); }
COptionUI* CWindowWnd::findOption(const QString& name) const { return find<COptionUI>(name); }
SkinButton* CWindowWnd::findButton(const QString& name) const {
  SkinButton* b = find<SkinButton>(name);
  return qobject_cast<COptionUI*>(b) != nullptr ? nullptr : b;
}
SkinLabel* CWindowWnd::findText(const QString& name) const { return find<SkinLabel>(name); }
CTabLayoutUI* CWindowWnd::findTabLayout(const QString& name) const { return find<CTabLayoutUI>(name); }
SkinWebBrowser* CWindowWnd::findWebBrowser(const QString& name) const { return find<SkinWebBrowser>(name); }
SkinVideoSlot* CWindowWnd::findVideoSlot(const QString& name) const { return find<SkinVideoSlot>(name); }

SkinControl* CWindowWnd::controlAt(const QPoint& clientPoint) const {
  for (QWidget* w = childAt(clientPoint); w != nullptr && w != this; w = w->parentWidget()) {
    if (auto* c = qobject_cast<SkinControl*>(w)) return c;
  }
  return nullptr;
}

void CWindowWnd::setTimer(int id, int milliseconds) {
  QTimer* t = timers_.value(id, nullptr);
  if (t == nullptr) {
    t = new QTimer(this);
    connect(t, &QTimer::timeout, this, [this, id] { onTimer(id); });
    timers_.insert(id, t);
  }
  t->start(std::max(0, milliseconds));
}

void CWindowWnd::stopTimer(int id) {
  if (QTimer* t = timers_.value(id, nullptr)) t->stop();
}

bool CWindowWnd::isTimerActive(int id) const {
  const QTimer* t = timers_.value(id, nullptr);
  return t != nullptr && t->isActive();
}

void CWindowWnd::onTimer(int) {}

const std::vector<std::u16string_view>& CWindowWnd::notCaptionClasses() const { return mainWindowNotCaption(); }

bool CWindowWnd::isResizable() const { return !sizeBox_.empty(); }

void CWindowWnd::onCaptionDoubleClick() {
  if (isMaximized()) showNormal();
  else showMaximized();
}

SkinHit CWindowWnd::hitTest(const QPoint& clientPoint) const {
  SkinHitQuery q;
  q.x = clientPoint.x();
  q.y = clientPoint.y();
  q.client = {0, 0, width(), height()};
  q.sizeBox = sizeBox_;
  q.caption = caption_;
  q.maximised = isMaximized() || isFullScreen();
  q.resizable = isResizable();
  const SkinControl* c = controlAt(clientPoint);
  const QString cls = c != nullptr ? c->className() : QString();
  const std::u16string cls16 = cls.toStdU16String();
  q.controlFound = c != nullptr;
  q.controlClass = cls16;
  q.notCaption = &notCaptionClasses();
  return skinHitTest(q);
}

void CWindowWnd::resizeEvent(QResizeEvent*) {
  if (root_ != nullptr) root_->setGeometry(rect());
  applyMask();
}

void CWindowWnd::applyMask() {
  if (roundCorner_.width() <= 0 || roundCorner_.height() <= 0 || isMaximized() || isFullScreen()) {
    clearMask();
    return;
  }
  QPainterPath path;
  path.addRoundedRect(QRectF(0, 0, width(), height()), roundCorner_.width() / 2.0, roundCorner_.height() / 2.0);
  setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void CWindowWnd::centreOver(const QWidget* owner) {
  QRect area;
  if (owner != nullptr && owner->isVisible()) area = owner->frameGeometry();
  else if (const QScreen* s = screen()) area = s->availableGeometry();
  if (area.isEmpty()) return;
  move(area.center() - QPoint(width() / 2, height() / 2));
}

int CWindowWnd::runModal() {
  if (modalLoop_ != nullptr) return -1;
  modalResult_ = 0;
  setWindowModality(Qt::ApplicationModal);
  show();
  QEventLoop loop;
  modalLoop_ = &loop;
  QPointer<CWindowWnd> self(this);
  loop.exec(QEventLoop::DialogExec);
  if (!self) return 0;
  modalLoop_ = nullptr;
  return modalResult_;
}

void CWindowWnd::endModal(int result) {
  modalResult_ = result;
  if (modalLoop_ != nullptr) modalLoop_->quit();
}

void CWindowWnd::closeEvent(QCloseEvent* e) {
  if (modalLoop_ != nullptr) modalLoop_->quit();
  QWidget::closeEvent(e);
}

void CWindowWnd::hideEvent(QHideEvent* e) {
  if (modalLoop_ != nullptr) modalLoop_->quit();
  QWidget::hideEvent(e);
}

bool CWindowWnd::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: break;
    default: return false;
  }
  auto* w = qobject_cast<QWidget*>(watched);
  if (w == nullptr || w->window() != this || root_ == nullptr) return false;
  return handleMouse(w, event);
}

bool CWindowWnd::handleMouse(QWidget* w, QEvent* event) {
  auto* e = static_cast<QMouseEvent*>(event);
  const QPoint global = e->globalPosition().toPoint();
  const QPoint local = w->mapTo(this, e->position().toPoint());
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      if (e->button() != Qt::LeftButton) return false;
      const SkinHit hit = hitTest(local);
      if (hit == SkinHit::Client) return false;
      pressGlobal_ = global;
      pressGeometry_ = geometry();
      if (hit == SkinHit::Caption) {
        dragPending_ = true;
        return false;
      }
      if (windowHandle() != nullptr && windowHandle()->startSystemResize(edgesOf(hit))) return true;
      manualResize_ = hit;
      return true;
    }
    case QEvent::MouseMove: {
      if (!(e->buttons() & Qt::LeftButton)) {
        const SkinHit hit = hitTest(local);
        const bool edge = hit != SkinHit::Client && hit != SkinHit::Caption;
        if (edge) setCursor(cursorOf(hit));
        else if (edgeCursor_) unsetCursor();
        edgeCursor_ = edge;
        return false;
      }
      const QPoint delta = global - pressGlobal_;
      if (dragPending_ && delta.manhattanLength() >= QApplication::startDragDistance()) {
        dragPending_ = false;
        if (windowHandle() == nullptr || !windowHandle()->startSystemMove()) manualMove_ = true;
      }
      if (manualMove_) {
        move(pressGeometry_.topLeft() + delta);
        return true;
      }
      if (manualResize_ != SkinHit::Client) {
        QRect g = pressGeometry_;
        const Qt::Edges edges = edgesOf(manualResize_);
        const QSize mn = minimumSize();
        if (edges & Qt::LeftEdge) g.setLeft(std::min(g.left() + delta.x(), g.right() - mn.width()));
        if (edges & Qt::RightEdge) g.setRight(std::max(g.right() + delta.x(), g.left() + mn.width()));
        if (edges & Qt::TopEdge) g.setTop(std::min(g.top() + delta.y(), g.bottom() - mn.height()));
        if (edges & Qt::BottomEdge) g.setBottom(std::max(g.bottom() + delta.y(), g.top() + mn.height()));
        setGeometry(g);
        return true;
      }
      return false;
    }
    case QEvent::MouseButtonRelease: {
      const bool consumed = manualMove_ || manualResize_ != SkinHit::Client;
      dragPending_ = false;
      manualMove_ = false;
      manualResize_ = SkinHit::Client;
      return consumed && e->button() == Qt::LeftButton;
    }
    case QEvent::MouseButtonDblClick: {
      if (e->button() != Qt::LeftButton || hitTest(local) != SkinHit::Caption) return false;
      dragPending_ = false;
      onCaptionDoubleClick();
      return true;
    }
    default: return false;
  }
}

}  // namespace tembra
