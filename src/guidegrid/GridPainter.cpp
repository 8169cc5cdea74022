#include "guidegrid/GridPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <ctime>

#include "guidegrid/ChannelInitials.h"
#include "guidegrid/GridModel.h"
#include "record/ArchiveRows.h"

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
const QColor kPlayable(0x8f, 0xc1, 0xff);

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

// The minute of the local day utc falls in, at offset seconds from UTC: the
// blocks' times are drawn a hundred times a frame, too often to ask the C
// library for each.
int minuteOfDay(int64_t utc, int64_t offset) {
  int64_t minutes = (utc + offset) / 60 % (24 * 60);
  if (minutes < 0) minutes += 24 * 60;
  return static_cast<int>(minutes);
}

// "HH:MM" of a minute of the day, written to out[0..4].
void clockInto(int minute, char16_t* out) {
  const int h = minute / 60, m = minute % 60;
  out[0] = static_cast<char16_t>(u'0' + h / 10);
  out[1] = static_cast<char16_t>(u'0' + h % 10);
  out[2] = u':';
  out[3] = static_cast<char16_t>(u'0' + m / 10);
  out[4] = static_cast<char16_t>(u'0' + m % 10);
}

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

namespace {

QFont sized(QFont font, int pixels, bool bold) {
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

}  // namespace

GridPainter::GridPainter(const QFont& base)
    : title_(sized(base, 12, true)), small_(sized(base, 11, false)), badge_(sized(base, 11, true)) {}

void GridPainter::paint(QPainter& p, const GridLayout& layout, GridModel* model, const Frame& frame) {
  const int count = model != nullptr ? static_cast<int>(model->rowCount()) : 0;
  const GridRows rows = layout.rows(frame.scrollY, count);
  // Only what no row covers is filled: a frame fills each pixel about once.
  const int rowsBottom = rows.last > rows.first ? rows.firstTop + (rows.last - rows.first) * layout.metrics().rowHeight
                                                : layout.rowsTop();
  p.fillRect(0, rowsBottom, layout.width(), layout.height() - rowsBottom, kBackground);
  offset_ = utcOffsetAt(frame.viewStart);
  // One offset serves every block unless the clocks change in sight.
  offsetFixed_ = utcOffsetAt(frame.viewStart + layout.viewSpan()) == offset_;
  ticks_ = layout.ticks(frame.viewStart, offset_);
  p.save();
  p.setClipRect(0, layout.rowsTop(), layout.width(), layout.rowsHeight());
  for (int row = rows.first; row < rows.last; ++row) {
    const int top = rows.firstTop + (row - rows.first) * layout.metrics().rowHeight;
    paintRow(p, layout, *model, row, top, frame);
    paintChannel(p, layout, *model, row, top, !frame.playingId.empty() && model->channel(row).id == frame.playingId);
  }
  if (count == 0) {
    p.setPen(kDim);
    small_.drawCentred(p, QRect(0, layout.rowsTop(), layout.width(), layout.rowsHeight()),
                       QStringLiteral("No channels in this group"));
  }
  p.restore();
  paintNowLine(p, layout, frame, rowsBottom);
  paintHeader(p, layout, frame);
}

void GridPainter::paintRow(QPainter& p, const GridLayout& layout, GridModel& model, int row, int top,
                           const Frame& frame) {
  const int h = layout.metrics().rowHeight;
  const int64_t viewEnd = frame.viewStart + layout.viewSpan();
  const GridModel::Slice slice = model.programmes(static_cast<size_t>(row), frame.viewStart, viewEnd);
  // The row's ground with the half-hour lines, only where no block will
  // cover it: filling the whole row first would paint most pixels twice.
  const QColor ground = row % 2 ? kRowAlt : kRow;
  const auto fillGround = [&](int left, int right, int y0, int y1) {
    if (right <= left || y1 <= y0) return;
    p.fillRect(left, y0, right - left, y1 - y0, ground);
    for (const GridTick& tick : ticks_)
      if (tick.x >= std::max(left, layout.timeLeft()) && tick.x < right) p.fillRect(tick.x, y0, 1, y1 - y0, kLine);
  };
  if (slice.programmes.empty()) {
    fillGround(layout.timeLeft(), layout.width(), top, top + h);
    p.setPen(kPastText);
    small_.draw(p, QRect(layout.timeLeft() + 2 * kPad, top, layout.timeWidth() - 4 * kPad, h),
                slice.loading ? QStringLiteral("Loading the guide…") : QStringLiteral("No programme information"));
    return;
  }
  const int boxTop = top + 2, boxBottom = top + h - 2;
  fillGround(layout.timeLeft(), layout.width(), top, boxTop);
  fillGround(layout.timeLeft(), layout.width(), boxBottom, top + h);
  int groundFrom = layout.timeLeft();  // the middle band is filled up to here
  const SourceChannel& channel = model.channel(static_cast<size_t>(row));
  const int line = title_.height();
  for (size_t i = 0; i < slice.programmes.size(); ++i) {
    const GuideProgramme& g = *slice.programmes[i];
    // Overlapping programmes of a careless guide: each ends where the next
    // begins, so no block hides another's title.
    int64_t stop = g.stop;
    if (i + 1 < slice.programmes.size()) stop = std::min(stop, std::max(g.start, slice.programmes[i + 1]->start));
    const std::optional<GridBlock> b = layout.block(g.start, stop, frame.viewStart);
    if (!b) continue;
    const QRect box(b->left + 1, boxTop, b->right - b->left - 2, boxBottom - boxTop);
    if (box.width() <= 0) continue;
    fillGround(groundFrom, box.left(), boxTop, boxBottom);
    groundFrom = std::max(groundFrom, box.left() + box.width());
    const bool selected = row == frame.selectedRow && g.start == frame.selectedStart;
    const bool onNow = g.start <= frame.now && frame.now < g.stop;
    const bool past = g.stop <= frame.now;
    p.fillRect(box, selected ? kSelected : onNow ? kOnNow : past ? kPast : kFuture);
    if (onNow) {
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
    // A past programme the channel's archive still holds: a small play
    // mark in its corner (a double-click plays it from its start).
    const bool playable = past && ArchiveRows::playable({g.start, g.stop}, channel.catchupDays, frame.now);
    const QRect text(box.left() + kPad, box.top() + 4, box.width() - 2 * kPad - (reminded || playable ? 10 : 0), line);
    if (reminded) {
      p.setPen(Qt::NoPen);
      p.setBrush(kReminder);
      p.drawEllipse(QPoint(box.right() - 8, box.top() + 8), 3, 3);
      p.setBrush(Qt::NoBrush);
    } else if (playable && box.width() > 2 * kPad + 12) {
      const QPoint corner(box.right() - 11, box.top() + 4);
      const QPoint mark[] = {corner, corner + QPoint(0, 8), corner + QPoint(7, 4)};
      p.setPen(Qt::NoPen);
      p.setBrush(selected ? QColor(Qt::white) : kPlayable);
      p.drawPolygon(mark, 3);
      p.setBrush(Qt::NoBrush);
    }
    p.setPen(selected ? QColor(Qt::white) : past ? kPastText : kText);
    if (!title_.draw(p, text, g.entry.title)) continue;
    // The start (and end) under the title where they fit: the columns
    // alone do not say when a short programme begins.
    if (box.height() < line + small_.height() + 6) continue;
    const QRect under(text.left(), text.bottom() + 1, text.width(), small_.height());
    const int from = minuteOfDay(g.start, offsetFixed_ ? offset_ : utcOffsetAt(g.start));
    const int to = minuteOfDay(g.stop, offsetFixed_ ? offset_ : utcOffsetAt(g.stop));
    char16_t span[11];
    clockInto(from, span);
    span[5] = u'\u2013';
    clockInto(to, span + 6);
    // The same times recur down every column: each is an image, made once
    // per colour and form, keyed by its minutes, tone and form.
    const uint64_t tone = selected ? 0 : past ? 1 : 2;
    const QColor colour = selected ? kText : past ? kPastText : kDim;
    const uint64_t key = (static_cast<uint64_t>(from) << 20 | static_cast<uint64_t>(to) << 4) | tone << 1;
    const QImage* image = small_.stamp(key, std::u16string_view(span, 11), colour);
    if (image == nullptr || image->width() > under.width()) image = small_.stamp(key | 1, std::u16string_view(span, 5), colour);
    if (image == nullptr || image->width() > under.width()) continue;
    p.drawImage(under.topLeft(), *image);
  }
  fillGround(groundFrom, layout.width(), boxTop, boxBottom);
}

void GridPainter::paintChannel(QPainter& p, const GridLayout& layout, GridModel& model, int row, int top,
                               bool playing) {
  const int h = layout.metrics().rowHeight;
  const QRect cell(0, top, layout.timeLeft(), h);
  p.fillRect(cell, kPanel);
  p.fillRect(cell.right(), top, 1, h, kLine);
  p.fillRect(0, top + h - 1, cell.width(), 1, kBackground);
  if (playing) p.fillRect(0, top + 4, 3, h - 8, kPlaying);
  const SourceChannel& channel = model.channel(static_cast<size_t>(row));
  p.setPen(kDim);
  const QRect numberBox(4, top, 34, h);
  small_.draw(p, numberBox, QString::number(model.number(static_cast<size_t>(row))), true);
  const int d = std::min(28, h - 10);
  const QRect badge(numberBox.right() + 7, top + (h - d) / 2, d, d);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromHsv(channelHue(channel.name), 110, 150));
  p.drawEllipse(badge);
  p.setBrush(Qt::NoBrush);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::white);
  badge_.drawCentred(p, badge, qs(channelInitials(channel.name)));
  const int nameLeft = badge.right() + 7;
  p.setPen(kText);
  title_.draw(p, QRect(nameLeft, top, cell.width() - nameLeft - kPad, h), qs(channel.name));
}

void GridPainter::paintHeader(QPainter& p, const GridLayout& layout, const Frame& frame) {
  const int h = layout.rowsTop();
  p.fillRect(0, 0, layout.width(), h, kPanel);
  p.fillRect(0, h - 1, layout.width(), 1, kLine);
  p.setPen(kText);
  title_.draw(p, QRect(kPad, 0, layout.timeLeft() - 2 * kPad, h), dayText(frame.viewStart, "%a %d %b"));
  p.save();
  p.setClipRect(layout.timeLeft(), 0, layout.timeWidth(), h);
  const int labelWidth = layout.metrics().halfHourWidth - 2 * kPad;
  for (const GridTick& tick : layout.ticks(frame.viewStart, utcOffsetAt(frame.viewStart))) {
    // A label cut by the channel column would read as another time.
    if (tick.x < layout.timeLeft()) continue;
    p.fillRect(tick.x, h - 7, 1, 6, kDim);
    const std::tm f = localOf(tick.time);
    const bool midnight = f.tm_hour == 0 && f.tm_min == 0;
    p.setPen(midnight ? kText : kDim);
    const QRect box(tick.x + 4, 0, std::min(labelWidth, layout.width() - tick.x - 4), h - 2);
    if (midnight) title_.draw(p, box, dayText(tick.time, "%a %d"));
    else small_.draw(p, box, clockText(tick.time));
  }
  p.restore();
}

void GridPainter::paintNowLine(QPainter& p, const GridLayout& layout, const Frame& frame, int bottom) const {
  const int x = layout.xOf(frame.now, frame.viewStart);
  if (x < layout.timeLeft() || x + kNowLineWidth > layout.width()) return;
  p.fillRect(x, layout.rowsTop(), kNowLineWidth, bottom - layout.rowsTop(), QColor::fromRgba(kNowLine));
}

}  // namespace tembra
