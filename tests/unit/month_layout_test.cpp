// The drawn month page: it fills the calendar at any size, its cells tile
// the grid, a point finds the cell that contains it, and the fonts keep
// their designed sizes at the designed size.
#include <gtest/gtest.h>

#include "app/window_designs.h"
#include "platform/month_layout.h"

namespace dv {
namespace {

CalendarLook Look() {
  CalendarLook look;
  look.title_font = {"Arial", 12.0, 700};
  look.day_font = {"Arial", 8.25, 700};
  look.grid_font = {"Arial", 8.25, 400};
  return look;
}

TEST(MonthLayout, AtTheDesignedSizeTheFontsHaveTheirPointSizes) {
  // 4695 x 3015 twips: 313 x 201 pixels at 96 dpi, 650 x 402 at 192.
  const MonthLayout at96 = LayOutMonth(313, 201, Look(), 4695, 3015);
  EXPECT_EQ(at96.title_font, 16);  // 12 pt at 96 dpi
  EXPECT_EQ(at96.names_font, 11);
  EXPECT_EQ(at96.dates_font, 11);
  const MonthLayout at192 = LayOutMonth(626, 402, Look(), 4695, 3015);
  EXPECT_EQ(at192.title_font, 32);
  EXPECT_EQ(at192.dates_font, 22);
  // Stretched one way only: the fonts follow the smaller ratio.
  EXPECT_EQ(LayOutMonth(626, 201, Look(), 4695, 3015).title_font, 16);
  EXPECT_EQ(LayOutMonth(313, 402, Look(), 4695, 3015).title_font, 16);
}

TEST(MonthLayout, TheRowsFillTheCalendarAndTheCellsTileTheGrid) {
  for (const auto& [width, height] : {std::pair{313, 201},
                                      {470, 302},
                                      {650, 402},
                                      {7, 6},
                                      {1000, 150},
                                      {100, 900},
                                      {3, 2},
                                      {0, 0}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    const MonthLayout m = LayOutMonth(width, height, Look(), 4695, 3015);
    EXPECT_EQ(m.title.top, 0);
    EXPECT_EQ(m.names.top, m.title.bottom());
    EXPECT_EQ(m.grid.top, m.names.bottom());
    EXPECT_EQ(m.grid.bottom(), height);
    EXPECT_GE(m.grid.height, 0);
    EXPECT_EQ(m.grid.width, width);
    int area = 0;
    for (int i = 0; i < 42; ++i) {
      const Rect cell = m.Cell(i);
      area += cell.width * cell.height;
      if (i % 7 != 0) {
        EXPECT_EQ(cell.left, m.Cell(i - 1).right());
      }
      if (i >= 7) {
        EXPECT_EQ(cell.top, m.Cell(i - 7).bottom());
      }
    }
    EXPECT_EQ(area, m.grid.width * m.grid.height);
    EXPECT_EQ(m.NameCell(0).left, 0);
    EXPECT_EQ(m.NameCell(6).right(), width);
    if (width > 0) {
      EXPECT_EQ(m.previous.left, 0);
      EXPECT_EQ(m.next.right(), width);
      EXPECT_LE(m.previous.right(), m.next.left);
    }
  }
}

TEST(MonthLayout, EveryPointOfTheGridIsInTheCellItFinds) {
  for (const auto& [width, height] : {std::pair{313, 201}, {488, 302}, {13, 40}, {701, 99}}) {
    const MonthLayout m = LayOutMonth(width, height, Look(), 4695, 3015);
    for (int y = m.grid.top - 1; y <= m.grid.bottom(); ++y) {
      for (int x = -1; x <= width; ++x) {
        const int index = m.CellAt(x, y);
        const bool inside = x >= 0 && x < width && y >= m.grid.top && y < m.grid.bottom();
        ASSERT_EQ(index >= 0, inside) << x << "," << y;
        if (!inside) continue;
        const Rect cell = m.Cell(index);
        ASSERT_TRUE(x >= cell.left && x < cell.right() && y >= cell.top && y < cell.bottom())
            << x << "," << y << " in cell " << index;
      }
    }
  }
}

TEST(MonthLayout, ThePartsThatAreOffTakeNoRoom) {
  CalendarLook look = Look();
  look.show_title = false;
  look.show_days = false;
  const MonthLayout m = LayOutMonth(313, 201, look, 4695, 3015);
  EXPECT_EQ(m.grid.top, 0);
  EXPECT_EQ(m.grid.height, 201);
  EXPECT_EQ(m.previous.width, 0);
}

TEST(MonthLayout, TheMainWindowsCalendarFitsItsFonts) {
  // The designed look: each row is higher than its font.
  const ControlDesign* calendar = nullptr;
  for (const ControlDesign& c : MainFormDesign().controls) {
    if (c.kind == ControlKind::Calendar) calendar = &c;
  }
  ASSERT_NE(calendar, nullptr);
  const MonthLayout m =
      LayOutMonth(313, 201, calendar->calendar, calendar->width, calendar->height);
  EXPECT_GT(m.title.height, m.title_font);
  EXPECT_GT(m.names.height, m.names_font);
  EXPECT_GT(m.Cell(0).height, m.dates_font);
  EXPECT_GT(m.Cell(0).width, 2 * m.dates_font);

  // Its colours are the design's; in high contrast, all the system's, with
  // today's frame apart from the text and the background.
  const MonthColors designed = PageColors(calendar->calendar, false);
  EXPECT_EQ(designed.dates, calendar->calendar.grid_font_color);
  const MonthColors high = PageColors(calendar->calendar, true);
  for (const OleColor c : {high.back, high.title, high.names, high.dates, high.other, high.today}) {
    EXPECT_NE(c & kSystemColorFlag, 0U) << std::hex << c;
  }
  EXPECT_NE(high.today, high.dates);
  EXPECT_NE(high.today, high.back);
}

}  // namespace
}  // namespace dv
