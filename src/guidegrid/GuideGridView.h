#pragma once
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "guidegrid/GridDetailsPanel.h"
#include "guidegrid/ReminderBook.h"
#include "source/ChannelSource.h"

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace tembra {

class GridModel;
class GuideGridWidget;
class GuideSource;

// The guide view that takes the video area: a bar with the day picker, the
// Now button, the reminders and a close button; the grid; and under it the
// selected programme's details beside a place for the video's small
// picture. It keeps the reminders and says when one is due; playing a
// channel is its owner's business (playRequested).
class GuideGridView : public QWidget {
  Q_OBJECT

 public:
  // The corner picture: 16:9, at the right of the details strip.
  static constexpr int kPictureWidth = 160;
  static constexpr int kPictureHeight = 90;
  static constexpr int kBarHeight = 34;

  explicit GuideGridView(QWidget* parent = nullptr);
  ~GuideGridView() override;

  // The channels in the order of the list beside the video and the guide
  // (may be null). The view goes to now on `selectId` (or the first row).
  void setChannels(GuideSource* guide, std::vector<SourceChannelRef> channels, const std::u16string& selectId = {});
  // The guide changed (a download ended): read it again.
  void guideChanged();
  // UTC seconds now; empty: the machine's clock.
  void setClock(std::function<int64_t()> clock);
  void setPlayingChannel(const std::u16string& id);

  GuideGridWidget* grid() const { return grid_; }
  GridDetailsPanel* details() const { return details_; }
  QComboBox* dayPicker() const { return days_; }
  GridModel* model() const { return model_.get(); }
  ReminderBook& reminders() { return reminders_; }
  // Where the video's small picture goes, in this view's coordinates.
  QRect pictureRect() const;
  // Does what the details' button offers for the selected programme (Enter
  // and a double click do the same): watch, or set / cancel a reminder.
  void activateSelection();
  // A due reminder said while there is no tray: shown in the bar a while.
  void showBanner(const QString& text);
  QString bannerText() const;
  // Tells the reminders due now; a timer calls it at each one's minute.
  void checkReminders();

 signals:
  void playRequested(const std::u16string& channelId);
  void closeRequested();
  // A reminder is due (a minute before its programme).
  void reminderDue(const QString& text);
  // The picture's place moved (the view was resized).
  void pictureMoved();

 protected:
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void showEvent(QShowEvent*) override;
  void hideEvent(QHideEvent*) override;

 private:
  void fillDayPicker();
  void showSelection();
  void armReminderTimer();
  void askForMissingDays();
  void updateReminderButton();
  GridDetailsPanel::Action actionFor(const std::u16string& channelId, const GuideProgramme& p) const;
  int64_t now() const;

  std::function<int64_t()> clock_;
  GuideSource* guide_ = nullptr;
  std::unique_ptr<GridModel> model_;
  ReminderBook reminders_;
  QWidget* bar_;
  QComboBox* days_;
  QPushButton* now_;
  QLabel* banner_;
  QToolButton* remindersButton_;
  QToolButton* close_;
  GuideGridWidget* grid_;
  QWidget* strip_;
  GridDetailsPanel* details_;
  QWidget* picture_;
  QTimer reminderTimer_;
  QTimer missingTimer_;  // asks for days not there yet, every few seconds while shown
  QTimer bannerTimer_;
};

}  // namespace tembra
