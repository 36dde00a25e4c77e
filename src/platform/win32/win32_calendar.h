// The main window's month calendar as the program draws it over the common
// control: the designed colours and fonts, grid lines, a page that fills
// the control at any size, the days with notes in bold, today framed in
// red, and a tip on the date under the pointer or the selected one. The
// common control keeps the selected date; clicks, keys and painting are
// answered here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "diary/diary.h"
#include "platform/design.h"
#include "platform/month_layout.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_diary.h"

namespace dv::win32 {

// Sent to the calendar by its window: shown or hidden (wparam), the notes
// folder changed (lparam: the changes, a std::vector<diary::FolderChange>;
// null when they are not known), the clock or the user's settings changed,
// the folder is watched from now on (wparam TRUE) or no longer. While
// watched, the page's marks are read once and kept current, shown or
// hidden, so that a show reads nothing; unwatched, they are read at each
// show.
constexpr UINT kCalendarShown = WM_APP + 20;
constexpr UINT kCalendarNotesChanged = WM_APP + 21;
constexpr UINT kCalendarClockChanged = WM_APP + 22;
constexpr UINT kCalendarWatched = WM_APP + 23;

class CalendarView {
 public:
  CalendarView(HWND control, const ControlDesign& design, std::string folder);
  ~CalendarView();
  CalendarView(const CalendarView&) = delete;
  CalendarView& operator=(const CalendarView&) = delete;

  // Answers a message of the control; false leaves it to the control.
  bool Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // The date under a point of the control; none off the dates.
  std::optional<diary::Date> DateAt(POINT point) const;
  // Selects a date and, unless told not to, shows its month.
  void Select(const diary::Date& date, bool show_month = true);
  diary::Date Selected() const;

 private:
  enum class Part { None, Previous, Next, Month, Year, Date };
  Part PartAt(POINT point) const;
  MonthLayout Layout() const;
  void Paint(HDC dc, const RECT& client);
  void Click(POINT point);
  bool Key(WPARAM key);
  void ShowMonth(int year, int month);
  void Choose(bool months);
  void ReadMarks();
  void NotesChanged(const std::vector<diary::FolderChange>* changes);
  void ReadToday();
  void ArmMidnight();
  void ShowTip(int cell, POINT screen);
  void HideTip();
  void MakeFonts(const MonthLayout& layout);
  void FreeFonts();

  HWND control_;
  const ControlDesign& design_;
  Win32NoteFolder folder_;
  bool shown_ = false;
  int year_ = 2000;  // the month shown
  int month_ = 1;
  int first_day_ = 7;  // the user's first day of the week, 1 Monday to 7 Sunday
  std::vector<diary::Date> page_;
  std::vector<bool> marks_;
  bool marks_read_ = false;  // marks_ are those of page_ as the folder is
  bool watched_ = false;     // the window's watch on the folder reports here
  diary::Date today_;
  // Where the title's month and year were drawn, for the selectors.
  RECT month_text_{};
  RECT year_text_{};
  // The fonts for the current size: title, day names, dates, dates with notes.
  std::array<int, 3> font_size_{};  // the fonts' heights: title, day names, dates
  HFONT fonts_[4] = {};
  HWND tip_ = nullptr;
  int hover_cell_ = -1;
  bool tip_shown_ = false;
};

}  // namespace dv::win32
