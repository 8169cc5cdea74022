#pragma once
#include <QColor>
#include <QFont>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "guidegrid/GridLayout.h"
#include "guidegrid/GridTextCache.h"

class QPainter;

namespace tembra {

class GridModel;

// Draws one frame of the guide grid in the dark skin's colours: the rows in
// sight with their channel cells and programme blocks, the time header and
// the line at now. Titles are cut with an ellipsis to their block, so none
// runs into the next. Keeps its laid-out texts from frame to frame.
class GridPainter {
 public:
  struct Frame {
    int64_t viewStart = 0;
    int scrollY = 0;
    int64_t now = 0;
    int selectedRow = -1;
    int64_t selectedStart = 0;
    std::u16string playingId;
    std::function<bool(const std::u16string&, int64_t)> hasReminder;
  };

  // The line at now, a colour nothing else of the grid uses.
  static constexpr QRgb kNowLine = 0xffff5a5a;
  static constexpr int kNowLineWidth = 2;

  explicit GridPainter(const QFont& base);

  void paint(QPainter& p, const GridLayout& layout, GridModel* model, const Frame& frame);

 private:
  void paintRow(QPainter& p, const GridLayout& layout, GridModel& model, int row, int top, const Frame& frame);
  void paintChannel(QPainter& p, const GridLayout& layout, GridModel& model, int row, int top, bool playing);
  void paintHeader(QPainter& p, const GridLayout& layout, const Frame& frame);
  // Down to the bottom of the last row drawn.
  void paintNowLine(QPainter& p, const GridLayout& layout, const Frame& frame, int bottom) const;

  GridTextCache title_;
  GridTextCache small_;
  GridTextCache badge_;
  std::vector<GridTick> ticks_;  // of the frame being drawn
  int64_t offset_ = 0;           // local time's offset from UTC at the frame's start
  bool offsetFixed_ = true;      // and at its end too
};

}  // namespace tembra
