#include "guidegrid/GridPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <ctime>

#include "guidegrid/ChannelInitials.h"
#include "guidegrid/GridModel.h"

namespace tembra {

namespace {

const QColor kBackground(0x10, 0x13, 0x18);
const QColor kRow(0x12, 0x15, 0x1b);
const QColor kRowAlt(0x14, 0x17, 0x1e);
const QColor kPanel(0x17, 0x1b, 0x22);
const QColor kLine(0x26, 0x2c, 0x36);
const QColor kText(0xe6, 0xe9, 0xef);
const QColor kDim(0x8b, 0x93, 0xa1);
const QColor kPastText(0x6b, 0x73, 0x80);
const QColor kFuture(0x22, 0x29, 0x36);
const QColor kPast(0x1a, 0x1e, 0x26);
const QColor kOnNow(0x1d, 0x31, 0x50);
const QColor kProgressTrack(0x2a, 0x3f, 0x60);
const QColor kProgress(0x5a, 0x9e, 0xff);
const QColor kSelected(0x26, 0x43, 0x6e);
const QColor kSelectedEdge(0x5a, 0x9e, 0xff);
const QColor kReminder(0xe3, 0xb3, 0x41);
const QColor kPlaying(0x3d, 0xd6, 0x8c);

constexpr int kPad = 6;

std::tm localOf(int64_t utc) {
  std::tm fields{};
  const std::time_t t = static_cast<std::time_t>(utc);
  localtime_r(&t, &fields);
  return fields;
}

QString clockText(int64_t utc) {
  const std::tm f = localOf(utc);
  return QStringLiteral("%1:%2").arg(f.tm_hour, 2, 10, QLatin1Char('0')).arg(f.tm_min, 2, 10, QLatin1Char('0'));
}

QString dayText(int64_t utc, const char* pattern) {
  const std::tm f = localOf(utc);
  char text[64];
  const size_t n = std::strftime(text, sizeof text, pattern, &f);
  return QString::fromLocal8Bit(text, static_cast<qsizetype>(n));
}

int64_t utcOffsetAt(int64_t utc) { return static_cast<int64_t>(localOf(utc).tm_gmtoff); }

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

GridPainter::GridPainter(const QFont& base) : title_(base), small_(base), badge_(base) {
  title_.setPixelSize(12);
  title_.setBold(true);
  small_.setPixelSize(11);
  badge_.setPixelSize(11);
  badge_.setBold(true);
}

void GridPainter::paint(QPainter& p, const GridLayout& layout, GridModel* model, const Frame& frame) const {
  p.fillRect(0, 0, layout.width(), layout.height(), kBackground);
  const int count = model != nullptr ? static_cast<int>(model->rowCount()) : 0;
  const GridRows rows = layout.rows(frame.scrollY, count);
  p.save();
  p.setClipRect(0, layout.rowsTop(), layout.width(), layout.rowsHeight());
  // Faint half-hour lines under the blocks.
  p.setPen(kLine);
  for (const GridTick& tick : layout.ticks(frame.viewStart, utcOffsetAt(frame.viewStart)))
    if (tick.x >= layout.timeLeft()) p.drawLine(tick.x, layout.rowsTop(), tick.x, layout.height());
  for (int row = rows.first; row < rows.last; ++row) {
    const int top = rows.firstTop + (row - rows.first) * layout.metrics().rowHeight;
    paintRow(p, layout, *model, row, top, frame);
    paintChannel(p, layout, *model, row, top, !frame.playingId.empty() && model->channel(row).id == frame.playingId);
  }
  if (count == 0) {
    p.setFont(small_);
    p.setPen(kDim);
    p.drawText(QRect(0, layout.rowsTop(), layout.width(), layout.rowsHeight()), Qt::AlignCenter,
               QStringLiteral("No channels in this group"));
  }
  p.restore();
  paintNowLine(p, layout, frame);
  paintHeader(p, layout, frame);
}

void GridPainter::paintRow(QPainter& p, const GridLayout& layout, GridModel& model, int row, int top,
                           const Frame& frame) const {
  const int h = layout.metrics().rowHeight;
  const int64_t viewEnd = frame.viewStart + layout.viewSpan();
  const GridModel::Slice slice = model.programmes(static_cast<size_t>(row), frame.viewStart, viewEnd);
  if (slice.programmes.empty()) {
    p.fillRect(layout.timeLeft(), top, layout.timeWidth(), h, row % 2 ? kRowAlt : kRow);
    p.setFont(small_);
    p.setPen(kPastText);
    p.drawText(QRect(layout.timeLeft() + 2 * kPad, top, layout.timeWidth() - 4 * kPad, h), Qt::AlignVCenter | Qt::AlignLeft,
               slice.loading ? QStringLiteral("Loading the guide…") : QStringLiteral("No programme information"));
    return;
  }
  p.fillRect(layout.timeLeft(), top, layout.timeWidth(), h, row % 2 ? kRowAlt : kRow);
  const QFontMetrics titleMetrics(title_);
  const QFontMetrics smallMetrics(small_);
  const SourceChannel& channel = model.channel(static_cast<size_t>(row));
  for (size_t i = 0; i < slice.programmes.size(); ++i) {
    const GuideProgramme& g = *slice.programmes[i];
    // Overlapping programmes of a careless guide: each ends where the next
    // begins, so no block hides another's title.
    int64_t stop = g.stop;
    if (i + 1 < slice.programmes.size()) stop = std::min(stop, std::max(g.start, slice.programmes[i + 1]->start));
    const std::optional<GridBlock> b = layout.block(g.start, stop, frame.viewStart);
    if (!b) continue;
    const QRect box(b->left + 1, top + 2, b->right - b->left - 2, h - 4);
    if (box.width() <= 0) continue;
    const bool selected = row == frame.selectedRow && g.start == frame.selectedStart;
    const bool onNow = g.start <= frame.now && frame.now < g.stop;
    const bool past = g.stop <= frame.now;
    p.fillRect(box, selected ? kSelected : onNow ? kOnNow : past ? kPast : kFuture);
    if (onNow && g.stop > g.start) {
      const int left = layout.xOf(g.start, frame.viewStart), right = layout.xOf(g.stop, frame.viewStart);
      const int done = left + static_cast<int>((right - left) * (frame.now - g.start) / (g.stop - g.start));
      const QRect track(box.left(), box.bottom() - 2, box.width(), 3);
      p.fillRect(track, kProgressTrack);
      p.fillRect(track.intersected(QRect(track.left(), track.top(), std::max(0, done - track.left()), 3)), kProgress);
    }
    if (selected) {
      p.setPen(QPen(kSelectedEdge, 2));
      p.drawRect(box.adjusted(1, 1, -1, -1));
    }
    const bool reminded = !past && frame.hasReminder && frame.hasReminder(channel.id, g.start);
    const int textLeft = box.left() + kPad;
    int textWidth = box.width() - 2 * kPad - (reminded ? 10 : 0);
    if (reminded) {
      p.setPen(Qt::NoPen);
      p.setBrush(kReminder);
      p.drawEllipse(QPoint(box.right() - 8, box.top() + 8), 3, 3);
      p.setBrush(Qt::NoBrush);
    }
    if (textWidth < titleMetrics.horizontalAdvance(QStringLiteral("W…"))) continue;
    const QColor titleColour = selected ? QColor(Qt::white) : past ? kPastText : kText;
    const QString title = titleMetrics.elidedText(qs(g.entry.title), Qt::ElideRight, textWidth);
    p.setFont(title_);
    p.setPen(titleColour);
    const int line = titleMetrics.height();
    p.drawText(QRect(textLeft, box.top() + 4, textWidth, line), Qt::AlignLeft | Qt::AlignVCenter, title);
    // The start (and end) under the title where they fit: the columns
    // alone do not say when a short programme begins.
    QString when = clockText(g.start) + QStringLiteral("–") + clockText(g.stop);
    if (smallMetrics.horizontalAdvance(when) > textWidth) when = clockText(g.start);
    if (smallMetrics.horizontalAdvance(when) > textWidth || box.height() < line + smallMetrics.height() + 6) continue;
    p.setFont(small_);
    p.setPen(selected ? kText : past ? kPastText : kDim);
    p.drawText(QRect(textLeft, box.top() + 4 + line, textWidth, smallMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               when);
  }
}

void GridPainter::paintChannel(QPainter& p, const GridLayout& layout, GridModel& model, int row, int top,
                               bool playing) const {
  const int h = layout.metrics().rowHeight;
  const QRect cell(0, top, layout.timeLeft(), h);
  p.fillRect(cell, kPanel);
  p.fillRect(cell.right(), top, 1, h, kLine);
  p.fillRect(0, top + h - 1, cell.width(), 1, kBackground);
  if (playing) p.fillRect(0, top + 4, 3, h - 8, kPlaying);
  const SourceChannel& channel = model.channel(static_cast<size_t>(row));
  p.setFont(small_);
  p.setPen(kDim);
  const QRect numberBox(4, top, 34, h);
  p.drawText(numberBox, Qt::AlignRight | Qt::AlignVCenter,
             QFontMetrics(small_).elidedText(QString::number(model.number(static_cast<size_t>(row))), Qt::ElideLeft, 34));
  const int d = std::min(28, h - 10);
  const QRect badge(numberBox.right() + 7, top + (h - d) / 2, d, d);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromHsv(channelHue(channel.name), 110, 150));
  p.drawEllipse(badge);
  p.setBrush(Qt::NoBrush);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setFont(badge_);
  p.setPen(Qt::white);
  p.drawText(badge, Qt::AlignCenter, qs(channelInitials(channel.name)));
  const int nameLeft = badge.right() + 7;
  const int nameWidth = cell.width() - nameLeft - kPad;
  if (nameWidth <= 0) return;
  p.setFont(title_);
  p.setPen(kText);
  p.drawText(QRect(nameLeft, top, nameWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
             QFontMetrics(title_).elidedText(qs(channel.name), Qt::ElideRight, nameWidth));
}

void GridPainter::paintHeader(QPainter& p, const GridLayout& layout, const Frame& frame) const {
  const int h = layout.rowsTop();
  p.fillRect(0, 0, layout.width(), h, kPanel);
  p.fillRect(0, h - 1, layout.width(), 1, kLine);
  p.setFont(title_);
  p.setPen(kText);
  const QFontMetrics titleMetrics(title_);
  p.drawText(QRect(kPad, 0, layout.timeLeft() - 2 * kPad, h), Qt::AlignLeft | Qt::AlignVCenter,
             titleMetrics.elidedText(dayText(frame.viewStart, "%a %d %b"), Qt::ElideRight, layout.timeLeft() - 2 * kPad));
  p.save();
  p.setClipRect(layout.timeLeft(), 0, layout.timeWidth(), h);
  const QFontMetrics smallMetrics(small_);
  const int labelWidth = layout.metrics().halfHourWidth - 2 * kPad;
  for (const GridTick& tick : layout.ticks(frame.viewStart, utcOffsetAt(frame.viewStart))) {
    // A label cut by the channel column would read as another time.
    if (tick.x < layout.timeLeft()) continue;
    p.fillRect(tick.x, h - 7, 1, 6, kDim);
    const std::tm f = localOf(tick.time);
    const bool midnight = f.tm_hour == 0 && f.tm_min == 0;
    p.setFont(midnight ? title_ : small_);
    p.setPen(midnight ? kText : kDim);
    const QString label = midnight ? dayText(tick.time, "%a %d") : clockText(tick.time);
    p.drawText(QRect(tick.x + 4, 0, labelWidth, h - 2), Qt::AlignLeft | Qt::AlignVCenter,
               (midnight ? titleMetrics : smallMetrics).elidedText(label, Qt::ElideRight, labelWidth));
  }
  p.restore();
}

void GridPainter::paintNowLine(QPainter& p, const GridLayout& layout, const Frame& frame) const {
  const int x = layout.xOf(frame.now, frame.viewStart);
  if (x < layout.timeLeft() || x + kNowLineWidth > layout.width()) return;
  p.fillRect(x, layout.rowsTop(), kNowLineWidth, layout.rowsHeight(), QColor::fromRgba(kNowLine));
}

}  // namespace tembra
