#include "mainwnd/ProgrammeDetailsView.h"

#include <QEvent>

#include "source/ChannelSource.h"

namespace tembra {

namespace {
QString escaped(const std::u16string& text) { return QString::fromStdU16String(text).toHtmlEscaped(); }
}  // namespace

ProgrammeDetailsView::ProgrammeDetailsView(QWidget* pane) : QLabel(pane) {
  setObjectName(QStringLiteral("programmedetails"));
  setTextFormat(Qt::RichText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setMargin(10);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setAutoFillBackground(true);
  setStyleSheet(QStringLiteral("QLabel#programmedetails { background: #171b22; color: #e6e9ef; }"));
  pane->installEventFilter(this);
  setGeometry(pane->rect());
  render();
}

bool ProgrammeDetailsView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
  return QLabel::eventFilter(watched, event);
}

QString ProgrammeDetailsView::noteFor(ChannelSource& source) {
  QString note = QString::fromStdU16String(source.statusText());
  if (GuideSource* guide = source.guide()) {
    const QString guideNote = QString::fromStdU16String(guide->statusText());
    if (!guideNote.isEmpty()) note += (note.isEmpty() ? QString() : QStringLiteral(" ")) + guideNote;
  }
  return note;
}

void ProgrammeDetailsView::setNote(const QString& note) {
  if (note == note_) return;
  note_ = note;
  render();
}

void ProgrammeDetailsView::showDetails(const ProgrammeDetails& details) {
  details_ = details;
  render();
}

void ProgrammeDetailsView::clearDetails() {
  details_.reset();
  render();
}

void ProgrammeDetailsView::render() { setText(html(note_, details_ ? &*details_ : nullptr)); }

QString ProgrammeDetailsView::html(const QString& note, const ProgrammeDetails* details) {
  QString page;
  if (!note.isEmpty())
    page += QStringLiteral("<p style='color:#e3b341'>%1</p>").arg(note.toHtmlEscaped());
  if (details == nullptr) {
    page += QStringLiteral("<p style='color:#8b93a1'>Select a programme in the guide to read about it here.</p>");
    return page;
  }
  page += QStringLiteral("<p style='color:#8b93a1; margin-bottom:2px'>%1</p>").arg(escaped(details->time));
  page += QStringLiteral("<p style='font-size:15px; font-weight:bold; margin-top:0'>%1</p>").arg(escaped(details->title));
  QStringList facts;
  if (!details->category.empty()) facts << escaped(details->category);
  if (!details->episode.empty()) facts << escaped(details->episode);
  if (!facts.isEmpty()) page += QStringLiteral("<p style='color:#5a9eff'>%1</p>").arg(facts.join(QStringLiteral(" · ")));
  if (!details->description.empty()) page += QStringLiteral("<p>%1</p>").arg(escaped(details->description));
  return page;
}

}  // namespace tembra
