#include "mainwnd/ChannelRowDecor.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <iterator>

#include "guidegrid/ChannelInitials.h"
#include "mainwnd/LogoLoader.h"
#include "source/ChannelSource.h"
#include "source/GuideSource.h"

namespace tembra {

namespace {
// Badges are small and many channels share none: the cache is simply
// emptied when it grows past this.
constexpr int kKeptBadges = 2000;

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

int64_t systemNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}
}  // namespace

ChannelRowDecor::ChannelRowDecor(ChannelSource& source, LogoLoader* logos, bool withProgramme,
                                 std::function<int64_t()> now)
    : source_(source), logos_(logos), withProgramme_(withProgramme), now_(now ? std::move(now) : systemNow) {}

std::optional<double> ChannelRowDecor::progress(int64_t start, int64_t stop, int64_t now) {
  if (stop <= start || start <= 0) return std::nullopt;
  if (now <= start) return 0.0;
  if (now >= stop) return 1.0;
  return static_cast<double>(now - start) / static_cast<double>(stop - start);
}

QPixmap ChannelRowDecor::badge(const QString& name, int side, qreal dpr) {
  const int px = std::max(1, static_cast<int>(side * dpr + 0.5));
  QPixmap pixmap(px, px);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  const std::u16string n = name.toStdU16String();
  p.setBrush(QColor::fromHsv(channelHue(n), 110, 150));
  p.drawRoundedRect(QRectF(0, 0, px, px), px * 0.22, px * 0.22);
  QFont font = QGuiApplication::font();
  font.setBold(true);
  font.setPixelSize(std::max(6, px * 2 / 5));
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, px, px), Qt::AlignCenter | Qt::TextSingleLine, qs(channelInitials(n)));
  p.end();
  pixmap.setDevicePixelRatio(dpr);
  return pixmap;
}

SkinRowDecoration ChannelRowDecor::decorate(const CListLabelElementUI& item, int pictureSide, bool subline) {
  SkinRowDecoration d;
  const std::u16string id = item.name.toStdU16String();
  const qreal dpr = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
  if (pictureSide > 0) {
    auto known = channels_.constFind(item.name);
    if (known == channels_.constEnd()) {
      if (channels_.size() > kKeptBadges * 20) channels_.clear();
      const SourceChannelRef channel = source_.findChannel(id);
      known = channels_.insert(item.name, channel ? Channel{channel->logo, qs(channel->name)} : Channel{{}, item.text});
    }
    if (logos_ != nullptr && !known->logo.empty()) d.picture = logos_->logo(known->logo, pictureSide, dpr);
    if (d.picture.isNull()) {
      const QString& name = known->name;
      const QString key = QString::number(pictureSide) + QLatin1Char(' ') + name;
      auto kept = badges_.constFind(key);
      if (kept == badges_.constEnd()) {
        if (badges_.size() > kKeptBadges) badges_.clear();
        kept = badges_.insert(key, badge(name, pictureSide, dpr));
      }
      d.picture = *kept;
    }
  }
  if (withProgramme_ && subline) {
    if (const std::optional<Now> now = programmeOf(id)) {
      d.subline = qs(now->title);
      if (const std::optional<double> share = progress(now->start, now->stop, now_())) d.progress = *share;
    }
  }
  return d;
}

void ChannelRowDecor::Stamp::set(std::u16string_view d, std::u16string_view t) {
  dateLength = static_cast<uint8_t>(std::min(d.size(), std::size(date)));
  timeLength = static_cast<uint8_t>(std::min(t.size(), std::size(time)));
  std::copy_n(d.begin(), dateLength, date);
  std::copy_n(t.begin(), timeLength, time);
}

std::optional<int64_t> ChannelRowDecor::Stamp::read() const {
  if (timeLength == 0) return std::nullopt;
  return GuideSource::localTimeOf(std::u16string_view(date, dateLength), std::u16string_view(time, timeLength));
}

std::optional<ChannelRowDecor::Now> ChannelRowDecor::programmeOf(const std::u16string& channelId) const {
  const auto it = programmes_.find(channelId);
  if (it == programmes_.end()) return std::nullopt;
  const Held& h = it->second;
  if (!h.read) {
    h.read = true;
    h.startTime = h.start.read().value_or(0);
    const int64_t stop = h.next.read().value_or(0);
    h.stopTime = stop > h.startTime ? stop : 0;
  }
  return Now{h.title, h.startTime, h.stopTime};
}

void ChannelRowDecor::setProgrammes(const std::vector<GuideRow>& nowRows, const std::vector<GuideRow>& nextRows) {
  programmes_.clear();
  programmes_.reserve(nowRows.size());
  for (const GuideRow& r : nowRows) {
    const auto [it, added] = programmes_.try_emplace(r.id);
    if (!added) continue;
    it->second.title = r.entry.title;
    it->second.start.set(r.entry.startdate, r.entry.starttime);
  }
  for (const GuideRow& r : nextRows) {
    const auto it = programmes_.find(r.id);
    if (it == programmes_.end() || it->second.next.timeLength != 0) continue;
    it->second.next.set(r.entry.startdate, r.entry.starttime);
  }
}

}  // namespace tembra
