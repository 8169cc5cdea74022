#include "player/PlayerOverlay.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "player/PlayerStatusText.h"

namespace tembra {

namespace {

const QColor kPanel(0x17, 0x1b, 0x22, 225);
const QColor kBorder(0x26, 0x2c, 0x36);
const QColor kText(0xe6, 0xe9, 0xef);
const QColor kSecondary(0x8b, 0x93, 0xa1);
const QColor kAccent(0x3d, 0x8b, 0xfd);
const QColor kError(0xe5, 0x48, 0x4d);
constexpr int kErrorFontPx = 15;

QFont uiFont(int pixelSize, bool bold) {
  QFont f(QStringList{"Noto Sans", "DejaVu Sans"});
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

void panel(QPainter& p, const QRectF& r, const QColor& edge) {
  QPainterPath path;
  path.addRoundedRect(r, 10, 10);
  p.fillPath(path, kPanel);
  p.setPen(QPen(edge, 1));
  p.drawPath(path);
}

}  // namespace

PlayerOverlay::PlayerOverlay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  nameTimer_.setSingleShot(true);
  volumeTimer_.setSingleShot(true);
  spinTimer_.setInterval(40);
  connect(&nameTimer_, &QTimer::timeout, this, &PlayerOverlay::hideChannelName);
  connect(&volumeTimer_, &QTimer::timeout, this, [this] {
    volumeVisible_ = false;
    update();
  });
  connect(&spinTimer_, &QTimer::timeout, this, [this] {
    spinnerAngle_ = (spinnerAngle_ + 12) % 360;
    update();
  });
}

void PlayerOverlay::showChannelName(const QString& name) {
  channelName_ = name;
  nameVisible_ = !name.isEmpty();
  if (nameVisible_) nameTimer_.start(kChannelNameMs);
  update();
}

void PlayerOverlay::hideChannelName() {
  nameVisible_ = false;
  nameTimer_.stop();
  update();
}

void PlayerOverlay::setBuffering(bool buffering, int percent) {
  buffering_ = buffering;
  bufferPercent_ = percent;
  if (buffering_ && !spinTimer_.isActive()) spinTimer_.start();
  if (!buffering_) spinTimer_.stop();
  update();
}

void PlayerOverlay::setError(const QString& text) {
  error_ = text;
  update();
}

void PlayerOverlay::showVolume(int volume, bool muted) {
  volume_ = volume;
  muted_ = muted;
  volumeVisible_ = true;
  volumeTimer_.start(kVolumeMs);
  update();
}

void PlayerOverlay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  if (nameVisible_) paintChannelName(p);
  if (buffering_ && error_.isEmpty()) paintBuffering(p);
  if (!error_.isEmpty()) paintError(p);
  if (volumeVisible_) paintVolume(p);
}

void PlayerOverlay::paintChannelName(QPainter& p) {
  const QFont font = uiFont(qBound(14, height() / 18, 30), true);
  QFontMetrics fm(font);
  const QString text = fm.elidedText(channelName_, Qt::ElideRight, width() - 60);
  const QRectF box(16, 16, fm.horizontalAdvance(text) + 36, fm.height() + 20);
  panel(p, box, kBorder);
  p.fillRect(QRectF(box.left() + 10, box.top() + 10, 4, box.height() - 20), kAccent);
  p.setFont(font);
  p.setPen(kText);
  p.drawText(box.adjusted(22, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
}

void PlayerOverlay::paintBuffering(QPainter& p) {
  const qreal radius = qBound(14, height() / 16, 30);
  const QPointF centre(width() / 2.0, height() / 2.0);
  const QRectF ring(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
  p.setPen(QPen(QColor(0x26, 0x2c, 0x36, 200), 5, Qt::SolidLine, Qt::RoundCap));
  p.drawEllipse(ring);
  p.setPen(QPen(kAccent, 5, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(ring, -spinnerAngle_ * 16, 100 * 16);
  p.setFont(uiFont(13, false));
  p.setPen(kSecondary);
  p.drawText(QRectF(0, ring.bottom() + 10, width(), 24), Qt::AlignHCenter | Qt::AlignTop,
             PlayerStatusText::Buffering(bufferPercent_));
}

QRectF PlayerOverlay::errorBox() const {
  if (error_.isEmpty()) return {};
  QFontMetrics fm(uiFont(kErrorFontPx, false));
  const int maxWidth = qMax(120, qMin(width() - 40, 460));
  const QRect textRect = fm.boundingRect(QRect(0, 0, maxWidth, 400), Qt::TextWordWrap | Qt::AlignCenter, error_);
  return QRectF((width() - textRect.width()) / 2.0 - 24, (height() - textRect.height()) / 2.0 - 34,
                textRect.width() + 48, textRect.height() + 62);
}

void PlayerOverlay::paintError(QPainter& p) {
  const QFont font = uiFont(kErrorFontPx, false);
  const QRectF box = errorBox();
  const QRectF textRect = box.adjusted(24, 38, -24, -24);
  panel(p, box, kError);
  const QPointF mark(box.center().x(), box.top() + 20);
  p.setPen(Qt::NoPen);
  p.setBrush(kError);
  p.drawEllipse(mark, 9, 9);
  p.setPen(QPen(kText, 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(mark.x(), mark.y() - 4.5), QPointF(mark.x(), mark.y() + 1));
  p.drawPoint(QPointF(mark.x(), mark.y() + 4.5));
  p.setFont(font);
  p.setPen(kText);
  p.drawText(textRect, Qt::TextWordWrap | Qt::AlignCenter, error_);
}

void PlayerOverlay::paintVolume(QPainter& p) {
  const QRectF box(width() - 236, height() - 64, 220, 48);
  panel(p, box, kBorder);
  p.setFont(uiFont(13, true));
  p.setPen(muted_ ? kSecondary : kText);
  p.drawText(QRectF(box.left() + 14, box.top(), 96, box.height()), Qt::AlignVCenter | Qt::AlignLeft,
             PlayerStatusText::Volume(volume_, muted_));
  const QRectF track(box.left() + 112, box.center().y() - 3, 92, 6);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x24, 0x2b, 0x36));
  p.drawRoundedRect(track, 3, 3);
  p.setBrush(muted_ ? kSecondary : kAccent);
  p.drawRoundedRect(QRectF(track.left(), track.top(), track.width() * volume_ / 100.0, track.height()), 3, 3);
}

}  // namespace tembra
