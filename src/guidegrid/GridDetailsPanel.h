#pragma once
#include <QWidget>

#include <cstdint>
#include <optional>

#include "source/GuideSource.h"

class QLabel;
class QPushButton;

namespace tembra {

// The selected programme under the grid: its time, title, category and
// episode and description where the guide has them, and the one thing a
// viewer can do with it (watch the channel, or set / cancel a reminder).
class GridDetailsPanel : public QWidget {
  Q_OBJECT

 public:
  enum class Action { None, Watch, Remind, CancelReminder };

  explicit GridDetailsPanel(QWidget* parent = nullptr);

  void showProgramme(const ProgrammeDetails& details, Action action);
  void clear();
  Action action() const { return action_; }
  QString text() const;

  // The panel's HTML for a programme.
  static QString html(const ProgrammeDetails& details);
  static QString actionText(Action action);

 signals:
  void actionRequested();

 private:
  QLabel* label_;
  QPushButton* button_;
  Action action_ = Action::None;
};

}  // namespace tembra
