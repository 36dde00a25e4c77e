// Where a month page is drawn in a calendar of a given size: the title with
// its two arrows, the row of day names and six rows of seven dates. Every
// part, the fonts included, grows with the calendar, so that a calendar
// filled at its designed size stays filled when its window is resized.
#pragma once

#include "platform/design.h"
#include "platform/screen.h"

namespace dv {

struct MonthLayout {
  Rect title;  // the month and year, with the arrows at its ends
  Rect previous;
  Rect next;
  Rect names;  // the day names
  Rect grid;   // the 42 dates
  // Font heights in pixels (the em size).
  int title_font = 0;
  int names_font = 0;
  int dates_font = 0;

  // The cells tile their rows without gaps: the line between two cells is
  // the first column or row of the second.
  Rect NameCell(int column) const;
  Rect Cell(int index) const;  // 0 to 41, row by row
  // The date cell under a point; -1 outside the grid.
  int CellAt(int x, int y) const;
};

// The colours a month page is drawn in.
struct MonthColors {
  OleColor back;
  OleColor title;  // the month, the year and the arrows
  OleColor names;  // the day names
  OleColor dates;  // the dates of the month shown
  OleColor other;  // the dates of the months before and after, and the grid lines
  OleColor today;  // the frame round today
};
// The designed colours; with `high_contrast`, the system's colours, so that
// a user's high-contrast scheme holds in the calendar too (today framed in
// the hyperlink colour, which such a scheme keeps apart from the text).
MonthColors PageColors(const CalendarLook& look, bool high_contrast);

// The layout of a calendar `width` x `height` pixels whose design is `look`
// at `design_width` x `design_height` twips: the fonts have their designed
// point sizes at the designed size and scale with the smaller of the two
// ratios of the actual to the designed size.
MonthLayout LayOutMonth(int width, int height, const CalendarLook& look, Single design_width,
                        Single design_height);

}  // namespace dv
