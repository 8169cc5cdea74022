#pragma once
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "mainwnd/PanelSettings.h"
#include "mainwnd/PanelSizing.h"

namespace tembra {

class ChannelRowDecor;
class DayRowDecor;
class LogoLoader;
class WindowContext;

// How the side panel looks beyond the skin: its width (a share of a large
// window, or where the viewer dragged the splitter, kept across starts),
// the channel column's width, the channel rows' logos, badges and
// programme on now, the day lists' bar under the programme on now and
// record marks of scheduled programmes, and the height rows get when
// there is room for two lines.
class PanelLook : public QObject {
  Q_OBJECT

 public:
  // Channel rows are this high when they show the programme on now.
  static constexpr int kTwoLineRow = 46;
  // ... which they do only from this channel column width on.
  static constexpr int kTwoLineListWidth = 150;
  // Progress bars move on by themselves this often.
  static constexpr int kRepaintMs = 30000;

  // settingsPath: empty for PanelSettings::defaultPath(); logoFolder:
  // empty for no logos (badges only).
  PanelLook(WindowContext& window, std::string settingsPath, std::string logoFolder,
            std::function<void()> relayout);
  ~PanelLook() override;

  // Once the layout is loaded: hands the lists their decors and makes the
  // splitter draggable.
  void attach();
  // Before the layout is computed: the panel's and channel column's widths
  // for this window width (while the panel is shown), and the height of
  // the details pane of a source without ads. The width the panel
  // comes back with after a hide is the one of the normal window, also
  // while maximised: that is what leaving the maximised state undoes.
  void applyWidths(int windowWidth, int windowHeight, bool maximised);
  // After the layout: what follows from the widths (the group selector,
  // the lists' width limits, the channel rows' height).
  void afterLayout();

  // The now-playing list was filled again: the channel rows' programme
  // lines are read again from the guide, in an event of their own and only
  // while rows show them.
  void nowPlayingFilled();
  // Whether channel rows show the programme on now (kept in the settings).
  bool showsProgramme() const;
  void setShowProgramme(bool on);
  DayRowDecor& dayDecor() { return *dayDecor_; }
  PanelSettings& settings() { return settings_; }
  LogoLoader* logos() const { return logos_.get(); }
  int wantedWidth() const { return wanted_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void repaintLists();
  bool twoLineRows() const;
  // Reads the programmes on now and up next for the channel rows, when
  // they show them and what they have is stale.
  void loadProgrammes();

  WindowContext& window_;
  PanelSettings settings_;
  std::function<void()> relayout_;
  std::unique_ptr<LogoLoader> logos_;
  std::unique_ptr<ChannelRowDecor> channelDecor_;
  std::unique_ptr<ChannelRowDecor> playingDecor_;
  std::unique_ptr<DayRowDecor> dayDecor_;
  QTimer repaint_;
  QTimer progressTick_;
  // Everything below is used on the GUI thread only: the viewer's panel
  // width (0: none), the drag, the programme line setting and whether the
  // channel rows' programmes need reading again.
  int wanted_ = 0;
  // The viewer's choice as read at the start (or made since).
  std::optional<bool> nowOnChannels_;
  bool programmesStale_ = true;
  bool programmesQueued_ = false;
  bool dragging_ = false;
  int grabOffset_ = 0;
};

}  // namespace tembra
