#include "guidegrid/GuideGridView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <ctime>

#include "guidegrid/GridModel.h"
#include "guidegrid/GuideGridWidget.h"

namespace tembra {

namespace {

constexpr int kMissingRetryMs = 10000;
constexpr int kBannerMs = 15000;

QString localText(int64_t utc, const char* pattern) {
  std::tm fields{};
  const std::time_t t = static_cast<std::time_t>(utc);
  localtime_r(&t, &fields);
  char text[64];
  const size_t n = std::strftime(text, sizeof text, pattern, &fields);
  return QString::fromLocal8Bit(text, static_cast<qsizetype>(n));
}

const char* kBarStyle =
    "QWidget#gridbar { background: #171b22; border-bottom: 1px solid #262c36; }"
    "QLabel { color: #e6e9ef; background: transparent; }"
    "QLabel#gridbanner { color: #e3b341; }"
    "QComboBox { color: #e6e9ef; background: #1e2430; border: 1px solid #262c36; border-radius: 6px; padding: 2px 8px; }"
    "QComboBox QAbstractItemView { color: #e6e9ef; background: #1b2029; selection-background-color: #26436e; }"
    "QPushButton, QToolButton { color: #e6e9ef; background: #1e2430; border: 1px solid #262c36; border-radius: 6px;"
    " padding: 3px 10px; }"
    "QPushButton:hover, QToolButton:hover { background: #242b36; }"
    "QToolButton::menu-indicator { image: none; width: 0; }";

}  // namespace

GuideGridView::GuideGridView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("guidegridview"));
  setAttribute(Qt::WA_StyledBackground, true);
  setStyleSheet(QStringLiteral("QWidget#guidegridview { background: #101318; }"));

  bar_ = new QWidget(this);
  bar_->setObjectName(QStringLiteral("gridbar"));
  bar_->setAttribute(Qt::WA_StyledBackground, true);
  bar_->setStyleSheet(QString::fromLatin1(kBarStyle));
  bar_->setFixedHeight(kBarHeight);
  auto* title = new QLabel(QStringLiteral("<b>Guide</b>"), bar_);
  days_ = new QComboBox(bar_);
  days_->setObjectName(QStringLiteral("griddays"));
  days_->setToolTip(QStringLiteral("The day to show"));
  days_->setFocusPolicy(Qt::NoFocus);
  now_ = new QPushButton(QStringLiteral("Now"), bar_);
  now_->setObjectName(QStringLiteral("gridnow"));
  now_->setToolTip(QStringLiteral("Back to what is on now"));
  now_->setFocusPolicy(Qt::NoFocus);
  banner_ = new QLabel(bar_);
  banner_->setObjectName(QStringLiteral("gridbanner"));
  banner_->setTextFormat(Qt::PlainText);
  banner_->setMinimumWidth(10);
  remindersButton_ = new QToolButton(bar_);
  remindersButton_->setObjectName(QStringLiteral("gridreminders"));
  remindersButton_->setPopupMode(QToolButton::InstantPopup);
  remindersButton_->setFocusPolicy(Qt::NoFocus);
  remindersButton_->setToolTip(QStringLiteral("Reminders set; pick one to cancel it"));
  remindersButton_->setMenu(new QMenu(remindersButton_));
  close_ = new QToolButton(bar_);
  close_->setObjectName(QStringLiteral("gridclose"));
  close_->setText(QStringLiteral("✕"));
  close_->setToolTip(QStringLiteral("Back to the video (G)"));
  close_->setFocusPolicy(Qt::NoFocus);
  auto* barLayout = new QHBoxLayout(bar_);
  barLayout->setContentsMargins(8, 3, 6, 3);
  barLayout->setSpacing(6);
  barLayout->addWidget(title);
  barLayout->addWidget(days_);
  barLayout->addWidget(now_);
  barLayout->addWidget(banner_, 1);
  barLayout->addWidget(remindersButton_);
  barLayout->addWidget(close_);

  grid_ = new GuideGridWidget(this);
  strip_ = new QWidget(this);
  strip_->setFixedHeight(kPictureHeight + 8);
  details_ = new GridDetailsPanel(strip_);
  picture_ = new QWidget(strip_);
  picture_->setObjectName(QStringLiteral("gridpicture"));
  picture_->setAttribute(Qt::WA_StyledBackground, true);
  picture_->setStyleSheet(QStringLiteral("QWidget#gridpicture { background: #000000; }"));
  picture_->setFixedSize(kPictureWidth, kPictureHeight);
  auto* stripLayout = new QHBoxLayout(strip_);
  stripLayout->setContentsMargins(0, 0, 4, 0);
  stripLayout->setSpacing(0);
  stripLayout->addWidget(details_, 1);
  stripLayout->addWidget(picture_, 0, Qt::AlignVCenter);
  strip_->setAttribute(Qt::WA_StyledBackground, true);
  strip_->setStyleSheet(QStringLiteral("background: #171b22;"));

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(bar_);
  column->addWidget(grid_, 1);
  column->addWidget(strip_);

  grid_->setReminderCheck([this](const std::u16string& id, int64_t start) { return reminders_.has(id, start); });
  connect(grid_, &GuideGridWidget::selectionChanged, this, &GuideGridView::showSelection);
  connect(grid_, &GuideGridWidget::activated, this, &GuideGridView::activateSelection);
  connect(grid_, &GuideGridWidget::viewMoved, this, [this] {
    if (model_ == nullptr) return;
    const QSignalBlocker quiet(days_);
    days_->setCurrentIndex(grid_->dayInView());
  });
  connect(days_, &QComboBox::activated, this, [this](int day) {
    grid_->goToDay(day);
    grid_->setFocus();
  });
  connect(now_, &QPushButton::clicked, this, [this] {
    grid_->goToNow();
    grid_->setFocus();
  });
  connect(close_, &QToolButton::clicked, this, &GuideGridView::closeRequested);
  connect(details_, &GridDetailsPanel::actionRequested, this, &GuideGridView::activateSelection);
  connect(remindersButton_->menu(), &QMenu::aboutToShow, this, [this] {
    QMenu* menu = remindersButton_->menu();
    menu->clear();
    for (const Reminder& r : reminders_.all()) {
      const QString text = localText(r.start, "%a %H:%M  ") + QString::fromStdU16String(r.title) + QStringLiteral(" — ") +
                           QString::fromStdU16String(r.channelName);
      QAction* cancel = menu->addAction(text);
      cancel->setToolTip(QStringLiteral("Cancel this reminder"));
      const std::u16string id = r.channelId;
      const int64_t start = r.start;
      connect(cancel, &QAction::triggered, this, [this, id, start] {
        reminders_.remove(id, start);
        updateReminderButton();
        armReminderTimer();
        showSelection();
        grid_->update();
      });
    }
  });
  reminderTimer_.setSingleShot(true);
  connect(&reminderTimer_, &QTimer::timeout, this, &GuideGridView::checkReminders);
  missingTimer_.setInterval(kMissingRetryMs);
  connect(&missingTimer_, &QTimer::timeout, this, &GuideGridView::askForMissingDays);
  bannerTimer_.setSingleShot(true);
  connect(&bannerTimer_, &QTimer::timeout, banner_, &QLabel::clear);
  updateReminderButton();
  setFocusProxy(grid_);
}

GuideGridView::~GuideGridView() = default;

int64_t GuideGridView::now() const { return clock_ ? clock_() : static_cast<int64_t>(std::time(nullptr)); }

void GuideGridView::setClock(std::function<int64_t()> clock) {
  clock_ = clock;
  grid_->setClock(std::move(clock));
  armReminderTimer();
}

void GuideGridView::setPlayingChannel(const std::u16string& id) { grid_->setPlayingChannel(id); }

void GuideGridView::setChannels(GuideSource* guide, std::vector<SourceChannelRef> channels, const std::u16string& selectId) {
  guide_ = guide;
  grid_->setModel(nullptr);
  model_ = std::make_unique<GridModel>(guide, std::move(channels));
  grid_->setModel(model_.get());
  fillDayPicker();
  grid_->goToNow(selectId);
  askForMissingDays();
}

void GuideGridView::guideChanged() {
  if (!model_) return;
  model_->invalidate();
  fillDayPicker();
  showSelection();
  grid_->update();
}

void GuideGridView::fillDayPicker() {
  const QSignalBlocker quiet(days_);
  days_->clear();
  if (!model_) return;
  const int today = model_->dayOf(now());
  for (int d = 0; d < model_->dayCount(); ++d) {
    const int64_t start = model_->dayStart(d);
    QString name = localText(start, "%a %d %b");
    if (d == today) name = QStringLiteral("Today, ") + name;
    else if (d == today + 1) name = QStringLiteral("Tomorrow, ") + name;
    days_->addItem(name);
  }
  days_->setCurrentIndex(grid_->dayInView());
}

QRect GuideGridView::pictureRect() const {
  return QRect(picture_->mapTo(this, QPoint(0, 0)), picture_->size());
}

GridDetailsPanel::Action GuideGridView::actionFor(const std::u16string& channelId, const GuideProgramme& p) const {
  if (p.start <= now()) return GridDetailsPanel::Action::Watch;
  return reminders_.has(channelId, p.start) ? GridDetailsPanel::Action::CancelReminder
                                             : GridDetailsPanel::Action::Remind;
}

void GuideGridView::showSelection() {
  const std::optional<GuideProgramme> p = grid_->selectedProgramme();
  if (!p || !model_) {
    details_->clear();
    return;
  }
  const SourceChannel& channel = model_->channel(static_cast<size_t>(grid_->selectedRow()));
  ProgrammeDetails shown;
  if (guide_ != nullptr) {
    if (std::optional<ProgrammeDetails> d = guide_->details(channel.id, p->entry)) shown = std::move(*d);
  }
  shown.title = p->entry.title;
  shown.time = channel.name + u"  ·  " + localText(p->start, "%a %d %H:%M").toStdU16String() + u" – " +
               localText(p->stop, "%H:%M").toStdU16String();
  details_->showProgramme(shown, actionFor(channel.id, *p));
}

void GuideGridView::activateSelection() {
  const std::optional<GuideProgramme> p = grid_->selectedProgramme();
  if (!p || !model_) return;
  const SourceChannel& channel = model_->channel(static_cast<size_t>(grid_->selectedRow()));
  switch (actionFor(channel.id, *p)) {
    case GridDetailsPanel::Action::Watch:
      emit playRequested(channel.id);
      return;
    case GridDetailsPanel::Action::Remind:
      reminders_.add({channel.id, channel.name, p->entry.title, p->start});
      break;
    case GridDetailsPanel::Action::CancelReminder:
      reminders_.remove(channel.id, p->start);
      break;
    case GridDetailsPanel::Action::None:
      return;
  }
  updateReminderButton();
  armReminderTimer();
  showSelection();
  grid_->update();
}

void GuideGridView::updateReminderButton() {
  const size_t n = reminders_.all().size();
  remindersButton_->setText(QStringLiteral("Reminders (%1)").arg(n));
  remindersButton_->setVisible(n > 0);
}

// Fires at the next reminder's minute, and at least every minute in case
// the clock jumped (a suspend, a new time zone).
void GuideGridView::armReminderTimer() {
  const std::optional<int64_t> due = reminders_.nextDue();
  if (!due) {
    reminderTimer_.stop();
    return;
  }
  const int64_t wait = std::clamp<int64_t>(*due - now(), 0, 60);
  reminderTimer_.start(static_cast<int>(wait) * 1000);
}

void GuideGridView::checkReminders() {
  const int64_t at = now();
  for (const Reminder& r : reminders_.takeDue(at)) emit reminderDue(QString::fromStdU16String(ReminderBook::message(r, at)));
  updateReminderButton();
  armReminderTimer();
  grid_->update();
}

void GuideGridView::showBanner(const QString& text) {
  banner_->setText(text);
  bannerTimer_.start(kBannerMs);
}

QString GuideGridView::bannerText() const { return banner_->text(); }

// Days the grid found missing are asked for (one download at a time is the
// guide's own rule), and read again on the next round.
void GuideGridView::askForMissingDays() {
  if (!model_ || guide_ == nullptr || model_->rowCount() == 0) return;
  // A new day began, or the guide found out which days it holds.
  if (guide_->dayStart(0) != model_->dayStart(0) || std::clamp(guide_->dayCount(), 1, GridModel::kMaxDays) != model_->dayCount()) {
    guideChanged();
    return;
  }
  const std::vector<int> missing = model_->takeMissingDays();
  if (missing.empty()) return;
  const int row = std::max(0, grid_->selectedRow());
  for (int day : missing) {
    std::vector<GuideProgramme> ignored;
    guide_->GetDayProgrammes(day, model_->channel(static_cast<size_t>(row)).id, ignored, false);
  }
  model_->invalidate();
  grid_->update();
}

void GuideGridView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  emit pictureMoved();
}

void GuideGridView::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    emit closeRequested();
    return;
  }
  QWidget::keyPressEvent(e);
}

void GuideGridView::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  missingTimer_.start();
  emit pictureMoved();
}

void GuideGridView::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  missingTimer_.stop();
}

}  // namespace tembra
