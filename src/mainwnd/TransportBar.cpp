#include "mainwnd/TransportBar.h"

#include <QHBoxLayout>
#include <QStyle>

#include <algorithm>
#include <cmath>

#include "mainwnd/ElidedLabel.h"

namespace tembra {

namespace {

const char* const kStyle =
    "QWidget#transportbar { background: rgba(16, 19, 25, 215); }"
    "QLabel { color: #e6e9ef; }"
    "QLabel#transporttitle { font-weight: bold; }"
    "QLabel#transportbehind { color: #e3b341; }"
    "QLabel#transportrecinfo { color: #ff6b6b; font-weight: bold; }"
    "QPushButton { color: #e6e9ef; background: #262c36; border: 1px solid #3a4250; border-radius: 4px;"
    " padding: 2px 8px; }"
    "QPushButton:hover { background: #323a47; }"
    "QPushButton#transportrecord[recording=\"true\"] { background: #b3261e; border-color: #ff6b6b; }";

}  // namespace

TransportBar::TransportBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("transportbar"));
  setAttribute(Qt::WA_StyledBackground);
  setStyleSheet(QString::fromLatin1(kStyle));
  setFixedHeight(kHeight);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 4, 6, 4);
  row->setSpacing(8);
  pause_ = new QPushButton(this);
  pause_->setObjectName(QStringLiteral("transportpause"));
  pause_->setFocusPolicy(Qt::NoFocus);
  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("transporttitle"));
  title_->setMaximumWidth(220);
  bar_ = new PositionBar(this);
  // Hidden (nothing received yet), the bar keeps its room: the row's
  // buttons would otherwise share it and stretch across the video.
  QSizePolicy barPolicy = bar_->sizePolicy();
  barPolicy.setRetainSizeWhenHidden(true);
  bar_->setSizePolicy(barPolicy);
  time_ = new QLabel(this);
  time_->setObjectName(QStringLiteral("transporttime"));
  behind_ = new QLabel(this);
  behind_->setObjectName(QStringLiteral("transportbehind"));
  live_ = new QPushButton(QStringLiteral("Live"), this);
  live_->setObjectName(QStringLiteral("transportlive"));
  live_->setFocusPolicy(Qt::NoFocus);
  record_ = new QPushButton(QStringLiteral("● Rec"), this);
  record_->setObjectName(QStringLiteral("transportrecord"));
  record_->setFocusPolicy(Qt::NoFocus);
  recordingInfo_ = new ElidedLabel(this);
  recordingInfo_->setObjectName(QStringLiteral("transportrecinfo"));
  row->addWidget(pause_);
  row->addWidget(title_);
  row->addWidget(bar_, 1);
  row->addWidget(time_);
  row->addWidget(behind_);
  row->addWidget(live_);
  row->addWidget(recordingInfo_);
  row->addWidget(record_);
  connect(pause_, &QPushButton::clicked, this, &TransportBar::pauseClicked);
  connect(live_, &QPushButton::clicked, this, &TransportBar::liveClicked);
  connect(record_, &QPushButton::clicked, this, &TransportBar::recordClicked);
  connect(bar_, &PositionBar::clicked, this, &TransportBar::seekRequested);
  setView(View{});
}

QString TransportBar::clock(double seconds) {
  const auto s = static_cast<long long>(std::max(0.0, std::floor(seconds)));
  if (s >= 3600)
    return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
  return QStringLiteral("%1:%2").arg(s / 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString TransportBar::behindText(double seconds) {
  if (seconds < kBehindShownFrom) return {};
  return QStringLiteral("Behind live by ") + clock(seconds);
}

void TransportBar::setView(const View& view) {
  const bool recordingChanged = view.recording != view_.recording;
  view_ = view;
  pause_->setText(view.paused ? QStringLiteral("▶") : QStringLiteral("❚❚"));
  pause_->setToolTip(view.paused ? QStringLiteral("Play (Space)") : QStringLiteral("Pause (Space)"));
  title_->setText(view.archive ? view.title : QString());
  title_->setToolTip(view.title);
  title_->setVisible(view.archive && !view.title.isEmpty());
  bar_->setVisible(view.length > 0);
  bar_->setShare(view.length > 0 ? view.position / view.length : 0);
  time_->setText(view.length > 0 ? clock(view.position) + QStringLiteral(" / ") + clock(view.length) : QString());
  time_->setVisible(view.length > 0);
  const QString behind = view.archive ? QString() : behindText(view.behindLive);
  behind_->setText(behind);
  behind_->setVisible(!behind.isEmpty());
  live_->setVisible(view.liveOffered);
  record_->setText(view.recording ? QStringLiteral("■ Stop") : QStringLiteral("● Rec"));
  record_->setToolTip(view.recording ? QStringLiteral("Stop recording (R)") : QStringLiteral("Record this channel (R)"));
  if (recordingChanged) {
    // The style sheet reads the property only when the button is polished.
    record_->setProperty("recording", view.recording);
    record_->style()->unpolish(record_);
    record_->style()->polish(record_);
  }
  QStringList info;
  if (view.recording && !view.recordingText.isEmpty()) info << view.recordingText;
  if (!view.note.isEmpty()) info << view.note;
  recordingInfo_->setText(info.join(QStringLiteral("  ")));
  recordingInfo_->setToolTip(view.note);
  recordingInfo_->setVisible(!info.isEmpty());
}

}  // namespace tembra
