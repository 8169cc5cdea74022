#pragma once

namespace tembra {

// How wide the information panel and its channel column are for a window
// width. At the smallest window (936) both keep the skin's own widths
// (341 and 100), so that layout stays exactly as drawn. A wider window
// gives the panel a share of the extra width up to a cap, unless the
// viewer dragged the splitter to a width of their own; either way the
// player keeps at least the width it has at the smallest window.
class PanelSizing {
 public:
  static constexpr int kBasePanel = 341;
  static constexpr int kBaseList = 100;
  static constexpr int kBaseWindow = 936;
  // Window width that is not panel: the player (585), the splitter (7) and
  // the border (3) at the smallest window.
  static constexpr int kMinRest = kBaseWindow - kBasePanel;
  // Unasked, the panel takes this share (percent) of the width over 936 ...
  static constexpr int kAutoSharePercent = 30;
  // ... up to this width.
  static constexpr int kAutoCap = 620;
  // The channel column takes this share (percent) of the panel's extra
  // width, up to kListCap.
  static constexpr int kListSharePercent = 45;
  static constexpr int kListCap = 260;

  struct Widths {
    int panel = kBasePanel;
    int list = kBaseList;
    bool operator==(const Widths&) const = default;
  };

  // The widths for a window `windowWidth` wide; wanted is the viewer's own
  // panel width (0: none), kept within what the window allows.
  static Widths forWindow(int windowWidth, int wanted);
  // The panel width a drag of the splitter to x (the splitter's new left
  // edge) asks for, before forWindow bounds it.
  static int fromSplitter(int windowWidth, int splitterLeft, int borderWidth, int splitterWidth);
  static int listFor(int panel);

  // The programme details' pane under the lists (where a source without
  // ads shows them): the skin's 85 at the smallest window, a share of any
  // extra height up to a cap. The ad pane keeps its size.
  static constexpr int kBaseDetails = 85;
  static constexpr int kBaseHeight = 529;
  static constexpr int kDetailsSharePercent = 25;
  static constexpr int kDetailsCap = 220;
  static int detailsFor(int windowHeight);
};

}  // namespace tembra
