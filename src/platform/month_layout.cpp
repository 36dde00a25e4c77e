#include "platform/month_layout.h"

#include <algorithm>
#include <cmath>

namespace dv {

namespace {

constexpr int kColumns = 7;
constexpr int kRows = 6;
constexpr double kTwipsPerPoint = 20.0;
// The title band is 1.5 times its font high, the day names' row 1.7 times.
constexpr double kTitleLines = 1.5;
constexpr double kNameLines = 1.7;

// The i-th of n equal parts of [start, start + length): the parts tile it.
int Split(int start, int length, int i, int n) { return start + length * i / n; }

// The system's colours by their numbers.
constexpr OleColor System(unsigned index) { return kSystemColorFlag | index; }
constexpr unsigned kWindow = 5;
constexpr unsigned kWindowText = 8;
constexpr unsigned kGrayText = 17;
constexpr unsigned kHotLight = 26;
constexpr OleColor kTodayRed = 0x0000DC;  // 220, 0, 0 as 0xBBGGRR

}  // namespace

MonthColors PageColors(const CalendarLook& look, bool high_contrast) {
  if (high_contrast) {
    return {System(kWindow),     System(kWindowText), System(kWindowText),
            System(kWindowText), System(kGrayText),   System(kHotLight)};
  }
  return {look.back_color,      look.title_font_color, look.day_font_color,
          look.grid_font_color, look.grid_lines_color, kTodayRed};
}

Rect MonthLayout::NameCell(int column) const {
  const int left = Split(names.left, names.width, column, kColumns);
  return {left, names.top, Split(names.left, names.width, column + 1, kColumns) - left,
          names.height};
}

Rect MonthLayout::Cell(int index) const {
  const int row = index / kColumns;
  const int column = index % kColumns;
  const int left = Split(grid.left, grid.width, column, kColumns);
  const int top = Split(grid.top, grid.height, row, kRows);
  return {left, top, Split(grid.left, grid.width, column + 1, kColumns) - left,
          Split(grid.top, grid.height, row + 1, kRows) - top};
}

int MonthLayout::CellAt(int x, int y) const {
  if (x < grid.left || x >= grid.right() || y < grid.top || y >= grid.bottom()) return -1;
  // The inverse of Split: the last part whose start is at or before x.
  int column = (x - grid.left) * kColumns / std::max(1, grid.width);
  while (column > 0 && Split(grid.left, grid.width, column, kColumns) > x) --column;
  while (column < kColumns - 1 && Split(grid.left, grid.width, column + 1, kColumns) <= x) ++column;
  int row = (y - grid.top) * kRows / std::max(1, grid.height);
  while (row > 0 && Split(grid.top, grid.height, row, kRows) > y) --row;
  while (row < kRows - 1 && Split(grid.top, grid.height, row + 1, kRows) <= y) ++row;
  return row * kColumns + column;
}

MonthLayout LayOutMonth(int width, int height, const CalendarLook& look, Single design_width,
                        Single design_height) {
  width = std::max(0, width);
  height = std::max(0, height);
  // Pixels per twip of the design: at the designed size, a point is what
  // the screen makes of it.
  const double scale =
      std::min(design_width > 0 ? width / static_cast<double>(design_width) : 0.0,
               design_height > 0 ? height / static_cast<double>(design_height) : 0.0);
  const auto font = [scale](const Font& f) {
    return std::max(1, static_cast<int>(std::lround(f.points * kTwipsPerPoint * scale)));
  };
  MonthLayout layout;
  layout.title_font = font(look.title_font);
  layout.names_font = font(look.day_font);
  layout.dates_font = font(look.grid_font);

  int top = 0;
  if (look.show_title) {
    const int band =
        std::min(height, static_cast<int>(std::lround(kTitleLines * layout.title_font)));
    layout.title = {0, 0, width, band};
    // The arrows are square, at the band's ends, when the selectors are on.
    if (look.show_date_selectors) {
      const int side = std::min(band, width / 2);
      layout.previous = {0, 0, side, band};
      layout.next = {width - side, 0, side, band};
    }
    top = band;
  }
  if (look.show_days) {
    const int row =
        std::min(height - top, static_cast<int>(std::lround(kNameLines * layout.names_font)));
    layout.names = {0, top, width, row};
    top += row;
  }
  layout.grid = {0, top, width, height - top};
  return layout;
}

}  // namespace dv
