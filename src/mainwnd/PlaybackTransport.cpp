#include "mainwnd/PlaybackTransport.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "mainwnd/ChannelPanel.h"
#include "mainwnd/GuideGridHost.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/QuestionDlg.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/StreamAddress.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "platform/Utf.h"
#include "platform/XdgFolders.h"
#include "player/PlayerHost.h"
#include "player/PlayerView.h"
#include "record/RecordingName.h"
#include "skin/SkinVideoSlot.h"
#include "source/ChannelSource.h"

namespace tembra {

namespace {

int64_t nowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

QString sizeText(uintmax_t bytes) {
  if (bytes < (1u << 20)) return QStringLiteral("%1 KB").arg(bytes / 1024);
  return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1 << 20), 0, 'f', 1);
}

bool typing(const QWidget* focus) {
  if (focus == nullptr) return false;
  if (qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QTextEdit*>(focus) ||
      qobject_cast<const QPlainTextEdit*>(focus) || qobject_cast<const QAbstractSpinBox*>(focus))
    return true;
  const auto* combo = qobject_cast<const QComboBox*>(focus);
  return combo != nullptr && combo->isEditable();
}

}  // namespace

PlaybackTransport::PlaybackTransport(TembraPlayerWnd& window, std::string scheduleFile, std::string recordingsFolder)
    : w_(window),
      recordingsFolder_(recordingsFolder.empty() ? RecordingName::folder() : std::move(recordingsFolder)),
      schedule_(scheduleFile.empty() ? RecordingSchedule::defaultPath() : std::move(scheduleFile)) {
  schedule_.load();
  if (SkinVideoSlot* slot = w_.findVideoSlot(QStringLiteral("videoslot"))) {
    bar_ = new TransportBar(slot);
    bar_->hide();
    slot->installEventFilter(this);
    connect(bar_, &TransportBar::pauseClicked, this, &PlaybackTransport::togglePause);
    connect(bar_, &TransportBar::liveClicked, this, &PlaybackTransport::goLive);
    connect(bar_, &TransportBar::recordClicked, this, &PlaybackTransport::toggleRecording);
    connect(bar_, &TransportBar::seekRequested, this, &PlaybackTransport::seekToShare);
  }
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &PlaybackTransport::refresh);
  poll_.start();
  scheduleTimer_.setInterval(5000);
  connect(&scheduleTimer_, &QTimer::timeout, this, &PlaybackTransport::checkSchedule);
  scheduleTimer_.start();
  noteTimer_.setSingleShot(true);
  connect(&noteTimer_, &QTimer::timeout, this, [this] {
    note_.clear();
    refresh();
  });
  qApp->installEventFilter(this);
}

PlaybackTransport::~PlaybackTransport() {
  qApp->removeEventFilter(this);
  if (SkinVideoSlot* slot = w_.findVideoSlot(QStringLiteral("videoslot"))) slot->removeEventFilter(this);
}

PlayerControl* PlaybackTransport::control() const {
  PlayerHost* host = w_.closing() ? nullptr : w_.player();
  return host != nullptr ? host->control() : nullptr;
}

std::string PlaybackTransport::sourceKey() const { return w_.sourceId(); }

void PlaybackTransport::channelPlayed(const std::u16string& id, const std::u16string& name) {
  liveId_ = id;
  liveName_ = name;
  archive_.reset();
  // The player ends a recording when another stream replaces it.
  if (recording()) stopRecording();
  activity_.start();
  refresh();
}

bool PlaybackTransport::playArchive(const std::u16string& channelId, const std::u16string& title, int64_t start,
                                    int64_t stop) {
  const SourceChannelRef channel = w_.source().findChannel(channelId);
  if (!channel || !channel->catchupDays || stop <= start || start > nowSeconds()) return false;
  if (!w_.source().catchupFor(channelId, start, stop) || !confirmLeave(Leave::Switch)) return false;
  archive_ = Archive{channelId, channel->name, title, start, stop, 0};
  if (!openArchiveAt(0)) {
    archive_.reset();
    return false;
  }
  StartupTrace::mark("archive-playing", toUtf8(channelId) + " " + std::to_string(start) + " " + toUtf8(title));
  activity_.start();
  refresh();
  return true;
}

// The archive is asked for from a point of the programme: a seek the
// stream itself cannot do starts it again from there.
bool PlaybackTransport::openArchiveAt(double offset) {
  if (w_.closing() || !archive_) return false;
  const auto from = archive_->start + static_cast<int64_t>(offset);
  const std::optional<StreamRequest> request = w_.source().catchupFor(archive_->channelId, from, archive_->stop);
  if (!request) return false;
  if (recording()) stopRecording();
  archive_->base = static_cast<double>(from - archive_->start);
  w_.withPlayer([address = StreamAddress::ForPlayer(request->address),
                 name = archive_->channelName + u" · " + archive_->title, request = *request](PlayerHost& host) {
    host.PlayAddress(address, name, request.userAgent, request.referrer);
  });
  return true;
}

void PlaybackTransport::togglePause() {
  PlayerControl* c = control();
  if (c == nullptr || !c->TransportState().open) return;
  c->SetPaused(!c->IsPaused());
  activity_.start();
  refresh();
}

void PlaybackTransport::seekBy(double seconds) {
  PlayerControl* c = control();
  if (c == nullptr) return;
  const PlayerControl::Transport t = c->TransportState();
  if (!t.open) return;
  activity_.start();
  if (archive_) {
    seekArchive(archive_->base + t.position + seconds);
    return;
  }
  if (!t.seekable) return;
  c->SeekTo(std::clamp(t.position + seconds, t.rangeStart, t.rangeEnd));
  refresh();
}

void PlaybackTransport::seekToShare(double share) {
  share = std::clamp(share, 0.0, 1.0);
  activity_.start();
  if (archive_) {
    seekArchive(share * static_cast<double>(archive_->stop - archive_->start));
    return;
  }
  PlayerControl* c = control();
  if (c == nullptr) return;
  const PlayerControl::Transport t = c->TransportState();
  if (t.open && t.seekable) c->SeekTo(t.rangeStart + share * (t.rangeEnd - t.rangeStart));
  refresh();
}

void PlaybackTransport::seekArchive(double offset) {
  PlayerControl* c = control();
  if (c == nullptr || !archive_) return;
  const double length = static_cast<double>(archive_->stop - archive_->start);
  // Not into the last seconds, where the stream would end at once.
  offset = std::clamp(offset, 0.0, std::max(0.0, length - 5));
  const PlayerControl::Transport t = c->TransportState();
  const double local = offset - archive_->base;
  if (t.open && t.seekable && local >= t.rangeStart && local <= t.rangeEnd) c->SeekTo(local);
  // Asking the archive again replaces the stream, and with it a recording.
  else if (confirmLeave(Leave::Switch)) openArchiveAt(offset);
  refresh();
}

void PlaybackTransport::goLive() {
  activity_.start();
  if (archive_) {
    const std::u16string id = archive_->channelId;
    if (!confirmLeave(Leave::Switch)) return;
    w_.state().currentChannelId = id;
    if (w_.channels().PlayChannel(id)) StartupTrace::mark("live-again", toUtf8(id));
    return;
  }
  PlayerControl* c = control();
  if (c == nullptr) return;
  const PlayerControl::Transport t = c->TransportState();
  if (t.open && t.seekable) c->SeekTo(t.rangeEnd);
  c->SetPaused(false);
  StartupTrace::mark("live-again", toUtf8(liveId_));
  refresh();
}

void PlaybackTransport::toggleRecording() {
  if (recording()) stopRecording();
  else startRecording();
}

bool PlaybackTransport::startRecording(const std::u16string& channelName) {
  PlayerControl* c = control();
  if (c == nullptr || recording() || !c->TransportState().open) return false;
  const std::u16string& name = !channelName.empty() ? channelName : archive_ ? archive_->channelName : liveName_;
  if (!XdgFolders::ensure(recordingsFolder_)) {
    note(QStringLiteral("The folder %1 cannot be made").arg(QString::fromStdString(recordingsFolder_)));
    return false;
  }
  const std::string path = RecordingName::unusedPath(recordingsFolder_, RecordingName::fileName(toUtf8(name), nowSeconds()));
  if (path.empty() || !c->StartRecording(path)) {
    note(QStringLiteral("The recording could not be started"));
    return false;
  }
  recordingPath_ = path;
  recordingSince_.start();
  noFileSaid_ = false;
  StartupTrace::mark("recording-started", path);
  activity_.start();
  refresh();
  return true;
}

void PlaybackTransport::stopRecording() {
  if (!recording()) return;
  if (PlayerControl* c = control()) c->StopRecording();
  const std::string path = recordingPath_;
  recordingPath_.clear();
  // A scheduled recording ends here at its end or by the viewer's choice
  // (R, the bar's button, a yes to the question of a switch or the close):
  // either way it is done, and is not started again while it would still
  // be due.
  if (scheduled_ && schedule_.remove(scheduled_->sourceId, scheduled_->channelId, scheduled_->start))
    emit scheduleChanged();
  scheduled_.reset();
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  StartupTrace::mark("recording-stopped", path);
  note(QStringLiteral("Recorded to %1").arg(QString::fromStdString(path)) +
       (error ? QString() : QStringLiteral(" (%1)").arg(sizeText(size))));
}

bool PlaybackTransport::confirmLeave(Leave why) {
  if (!recording()) return true;
  if (asking_) return false;
  asking_ = true;
  const std::u16string text = why == Leave::Close
                                  ? u"A recording is running. Stop it and close the program?"
                                  : u"A recording is running. Stop it and switch to another picture?";
  const bool yes = QuestionDlg::Ask(&w_, u"Recording", text, u"Stop recording", u"Keep recording");
  asking_ = false;
  if (yes) stopRecording();
  return yes;
}

bool PlaybackTransport::toggleScheduled(const std::u16string& channelId, const std::u16string& channelName,
                                        const std::u16string& title, int64_t start, int64_t stop) {
  const std::string source = sourceKey();
  const std::string id = toUtf8(channelId);
  if (schedule_.has(source, id, start)) {
    if (!schedule_.remove(source, id, start)) return false;
    StartupTrace::mark("recording-unscheduled", id + " " + std::to_string(start));
    // Its recording, when it runs already, ends with it (the file stays,
    // and the note says where).
    if (scheduled_ && scheduled_->sourceId == source && scheduled_->channelId == id && scheduled_->start == start)
      stopRecording();
    else
      note(QStringLiteral("Recording cancelled: ") + qs(title));
    emit scheduleChanged();
    return true;
  }
  if (start <= nowSeconds()) return false;
  if (!schedule_.add({source, id, toUtf8(channelName), toUtf8(title), start, stop}, nowSeconds())) {
    note(QStringLiteral("The recording could not be scheduled"));
    return false;
  }
  note(QStringLiteral("Will record: ") + qs(title));
  StartupTrace::mark("recording-scheduled", id + " " + std::to_string(start));
  emit scheduleChanged();
  checkSchedule();
  return true;
}

bool PlaybackTransport::isScheduled(const std::u16string& channelId, int64_t start) const {
  return schedule_.has(sourceKey(), toUtf8(channelId), start);
}

std::set<std::pair<QString, int64_t>> PlaybackTransport::scheduledProgrammes() const {
  std::set<std::pair<QString, int64_t>> out;
  const std::string source = sourceKey();
  for (const RecordingSchedule::Entry& e : schedule_.entries())
    if (e.sourceId == source) out.emplace(QString::fromStdString(e.channelId), e.start);
  return out;
}

// A due programme takes the player: its channel is played and recorded
// until two minutes after the programme, whatever was on before.
void PlaybackTransport::checkSchedule() {
  const int64_t now = nowSeconds();
  if (scheduled_ && now >= scheduled_->recordUntil()) stopRecording();
  if (schedule_.dropFinished(now)) emit scheduleChanged();
  if (scheduled_ || w_.closing()) return;
  const std::optional<RecordingSchedule::Entry> due = schedule_.due(sourceKey(), now);
  if (!due) return;
  if (recording()) stopRecording();
  const std::u16string id = fromUtf8(due->channelId);
  if (liveId_ != id || archive_) {
    w_.state().currentChannelId = id;
    if (!w_.channels().PlayChannel(id)) return;
  }
  // The stream must have opened before the player can write it.
  if (!startRecording(fromUtf8(due->channelName))) return;
  scheduled_ = due;
  note(QStringLiteral("Recording: ") + QString::fromStdString(due->title));
}

void PlaybackTransport::note(const QString& text) {
  note_ = text;
  noteTimer_.start(kNoteMs);
  refresh();
}

void PlaybackTransport::refresh() {
  PlayerControl* c = control();
  const PlayerControl::Transport t = c != nullptr ? c->TransportState() : PlayerControl::Transport{};
  TransportBar::View v;
  v.paused = c != nullptr && t.open && c->IsPaused();
  v.recording = recording();
  if (recording()) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(recordingPath_, error);
    v.recordingText = QStringLiteral("REC ") + (error ? QStringLiteral("0 KB") : sizeText(size));
    // The player opens the file on its own time; one that never appears
    // (a folder that refuses it) is said, once.
    if (error && recordingSince_.isValid() && recordingSince_.elapsed() > kNoFileMs && note_.isEmpty() &&
        !noFileSaid_) {
      noFileSaid_ = true;
      note(QStringLiteral("Nothing is written to %1").arg(QString::fromStdString(recordingPath_)));
      return;
    }
  }
  v.note = note_;
  if (archive_) {
    v.archive = true;
    v.title = qs(archive_->title);
    v.length = static_cast<double>(archive_->stop - archive_->start);
    v.position = std::clamp(archive_->base + (t.open ? t.position : 0), 0.0, v.length);
    v.liveOffered = true;
  } else if (t.open && t.seekable) {
    v.behindLive = std::max(0.0, t.rangeEnd - t.position);
    v.liveOffered = v.behindLive >= TransportBar::kBehindShownFrom || v.paused;
    // Across what the buffer holds, once it holds enough to seek in.
    if (t.rangeEnd - t.rangeStart >= kStepSeconds) {
      v.length = t.rangeEnd - t.rangeStart;
      v.position = t.position - t.rangeStart;
    }
  }
  view_ = v;
  if (!bar_) return;
  // Polled twice a second: the widgets are touched only when something
  // they show changed.
  if (!(bar_->view() == v)) bar_->setView(v);
  const bool keep = archive_ || v.paused || v.behindLive >= TransportBar::kBehindShownFrom || v.recording ||
                    !note_.isEmpty() || (activity_.isValid() && activity_.elapsed() < kShowMs);
  const bool gridOpen = w_.guideGrid().isOpen();
  const bool wanted = t.open && keep && !gridOpen;
  if (bar_->isVisible() != wanted) {
    if (wanted) placeBar();
    bar_->setVisible(wanted);
  }
  // Above the video, which its slot may have raised since.
  if (wanted && bar_->parentWidget()->children().constLast() != bar_) bar_->raise();
  if (StartupTrace::enabled()) traceBar(wanted);
  if (StartupTrace::enabled() && t.open && !archive_) {
    // For the end-to-end tests: how far behind live the picture is, in
    // whole seconds, each time that changes.
    const int behind = static_cast<int>(v.behindLive);
    if (behind != tracedBehind_) StartupTrace::mark("timeshift-behind", std::to_string(behind));
    tracedBehind_ = behind;
  }
}

// For the end-to-end tests: where the "Live" button is (window
// coordinates), each time it shows somewhere else.
void PlaybackTransport::traceBar(bool shown) {
  QPushButton* live = bar_->liveButton();
  const bool visible = shown && live->isVisibleTo(bar_) && live->width() > 0;
  const QPoint at = visible ? live->mapTo(&w_, live->rect().center()) : QPoint(-1, -1);
  if (at == tracedLiveAt_) return;
  tracedLiveAt_ = at;
  StartupTrace::mark("transport-live-at", std::to_string(at.x()) + " " + std::to_string(at.y()));
}

void PlaybackTransport::placeBar() {
  QWidget* slot = bar_ ? bar_->parentWidget() : nullptr;
  if (slot == nullptr) return;
  bar_->setGeometry(0, slot->height() - TransportBar::kHeight, slot->width(), TransportBar::kHeight);
}

bool PlaybackTransport::keysAllowed() const {
  if (w_.closing() || asking_) return false;
  // A dialog or an open menu (the video's menu walks its entries with the
  // arrow keys) has the keys.
  if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) return false;
  // The window, or the picture's stage where it is a window of its own.
  const QWidget* active = QApplication::activeWindow();
  PlayerControl* c = control();
  const auto* view = c != nullptr ? qobject_cast<const PlayerView*>(c->widget()) : nullptr;
  if (active != &w_ && (view == nullptr || active != view->stage())) return false;
  if (typing(QApplication::focusWidget())) return false;
  return !w_.guideGrid().isOpen();
}

bool PlaybackTransport::handleKey(QKeyEvent* event) {
  if (!keysAllowed()) return false;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const Qt::KeyboardModifiers others = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
  if (others != Qt::NoModifier) return false;
  switch (event->key()) {
    case Qt::Key_Space:
      if (shift) return false;
      togglePause();
      return true;
    case Qt::Key_R:
      if (shift || event->isAutoRepeat()) return true;
      if (!scheduleSelectedRow()) toggleRecording();
      return true;
    case Qt::Key_Left:
      seekBy(-(shift ? kLongStepSeconds : kStepSeconds));
      return true;
    case Qt::Key_Right:
      seekBy(shift ? kLongStepSeconds : kStepSeconds);
      return true;
    default:
      return false;
  }
}

// R on a programme still to come in the day list that has the focus
// schedules (or cancels) its recording instead of recording what plays.
bool PlaybackTransport::scheduleSelectedRow() {
  const std::optional<GuidePanel::Programme> p = w_.guidePanel().focusedProgramme();
  if (!p || p->start <= nowSeconds()) return false;
  toggleScheduled(p->channelId, p->channelName, p->title, p->start, p->stop);
  return true;
}

bool PlaybackTransport::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (handleKey(static_cast<QKeyEvent*>(event))) return true;
      break;
    case QEvent::MouseMove:
      // Over the video: the bar comes up for a while.
      if (auto* widget = qobject_cast<QWidget*>(watched); widget != nullptr && bar_ && widget->window() == &w_) {
        QWidget* slot = bar_->parentWidget();
        if (slot != nullptr && (widget == slot || slot->isAncestorOf(widget))) {
          const bool wasShown = activity_.isValid() && activity_.elapsed() < kShowMs;
          activity_.start();
          if (!wasShown) refresh();
        }
      }
      break;
    case QEvent::Resize:
      if (bar_ && watched == bar_->parentWidget()) placeBar();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tembra
