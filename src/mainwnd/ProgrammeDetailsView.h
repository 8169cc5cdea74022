#pragma once
#include <QLabel>

#include "source/GuideSource.h"

namespace tembra {

class ChannelSource;

// Where a source without ads shows the selected programme: time, title,
// category, episode and description, with the source's note (a cached
// list, a guide that failed) above them. It lies over the ad pane's place
// and follows its size.
class ProgrammeDetailsView : public QLabel {
  Q_OBJECT

 public:
  explicit ProgrammeDetailsView(QWidget* pane);

  void setNote(const QString& note);
  void showDetails(const ProgrammeDetails& details);
  void clearDetails();

  // What the source and its guide have to say (a cached list, a failed
  // download), one after the other.
  static QString noteFor(ChannelSource& source);
  // The page's HTML for a programme (or the hint with none), with the note.
  static QString html(const QString& note, const ProgrammeDetails* details);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void render();

  QString note_;
  std::optional<ProgrammeDetails> details_;
};

}  // namespace tembra
