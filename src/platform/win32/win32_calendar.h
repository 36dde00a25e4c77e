// The main window's month calendar as the program draws it over the common
// control: the designed colours and fonts, grid lines, a page that fills
// the control at any size, the days with notes in bold, today framed in
// red, a tip on the date under the pointer or the selected one, and find
// as you type (FindSession) with its own tip below the calendar. The
// common control keeps the selected date; clicks (double clicks included),
// keys and painting are answered here. The notes folder is watched from the
// start, hidden or shown: the watch names the files that change, so that
// the page's marks are kept without reading the folder again, and a show
// costs no read.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diary/diary.h"
#include "platform/design.h"
#include "platform/find_session.h"
#include "platform/month_layout.h"
#include "platform/win32/win32_accessible.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_diary.h"

namespace dv::win32 {

// What the calendar asks of the window it is in.
struct CalendarHost {
  // Calls `signalled` whenever `event` is signalled; a null event ends that.
  std::function<void(HANDLE event, std::function<void()> signalled)> wait;
  // A date was double-clicked. The calendar may be destroyed by it.
  std::function<void()> double_clicked;
};

class CalendarView {
 public:
  CalendarView(HWND control, const ControlDesign& design, const std::string& folder,
               CalendarHost host);
  ~CalendarView();
  CalendarView(const CalendarView&) = delete;
  CalendarView& operator=(const CalendarView&) = delete;

  // A message of the calendar's top-level window: shown or hidden, the
  // clock, the time zone or the user's settings changed, the system resumed.
  void WindowMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The date under a point of the control; none off the dates.
  std::optional<diary::Date> DateAt(POINT point) const;
  // Selects a date and, unless told not to, shows its month.
  void Select(const diary::Date& date, bool show_month = true);
  diary::Date Selected() const;

  // What the calendar's accessible object reads.
  HWND control() const { return control_; }
  const std::vector<diary::Date>& page() const { return page_; }
  const diary::Date& today() const { return today_; }
  int year() const { return year_; }
  int month() const { return month_; }
  const diary::NoteFolder& folder() const { return folder_; }
  MonthLayout Layout() const;

 private:
  enum class Part { None, Previous, Next, Month, Year, Date };
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR data);
  LRESULT ControlMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // Answers a message of the control; false leaves it to the control.
  bool Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // Whether a press completes a double click (the control has no CS_DBLCLKS).
  bool SecondPress(LPARAM lparam);
  void Watch();
  void Shown(bool shown);
  void ClockChanged();
  void PaintBuffered();
  void PaintTitle(HDC dc, const MonthLayout& layout);
  void PaintDayNames(HDC dc, const MonthLayout& layout);
  void PaintDates(HDC dc, const MonthLayout& layout);
  void PaintGrid(HDC dc, const MonthLayout& layout);
  void MouseMoved(POINT point);
  void Hovered(POINT point);
  Part PartAt(POINT point) const;
  void Paint(HDC dc, const RECT& client);
  void Click(POINT point);
  bool Key(WPARAM key);
  // Keys and characters for a find; false leaves them to the calendar.
  bool FindKeyDown(WPARAM key);
  bool FindChar(WPARAM unit);
  // Whether the find takes the key; if so, what it did is shown.
  bool Find(const FindKey& key);
  void EndFind();
  void ShowFindTip();
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
  CalendarHost host_;
  Win32NoteFolder folder_;
  std::unique_ptr<FolderWatch> folder_watch_;
  bool shown_ = false;
  int year_ = 2000;  // the month shown
  int month_ = 1;
  int first_day_ = 7;  // the user's first day of the week, 1 Monday to 7 Sunday
  std::vector<diary::Date> page_;
  std::vector<bool> marks_;
  bool marks_read_ = false;  // marks_ are those of page_ as the folder is
  bool watched_ = false;     // the folder watch reports the changes
  diary::Date today_;
  // Where the title's month and year were drawn, for the selectors.
  RECT month_text_{};
  RECT year_text_{};
  // The fonts for the current size: title, day names, dates, dates with notes.
  MonthColors colors_{};            // those of the last paint
  std::array<int, 3> font_size_{};  // the fonts' heights: title, day names, dates
  HFONT fonts_[4] = {};
  HWND tip_ = nullptr;
  HWND find_tip_ = nullptr;
  FindSession find_{[this] {
    ShowFindTip();  // what is going on, in a folder that takes a while
    return folder_.ReadAll();
  }};
  wchar_t high_surrogate_ = 0;  // the first half of a character typed
  bool find_painting_ = false;  // the marks changed: the next paint is traced
  int hover_cell_ = -1;
  bool tip_shown_ = false;
  int tip_cell_ = -1;  // where the tip is, while shown
  POINT tip_at_{};
  // The first press of a double click.
  bool have_first_click_ = false;
  LONG first_click_time_ = 0;
  POINT first_click_point_{};
  diary::Date first_click_date_;
  bool double_click_pending_ = false;
  // Last: it reads the members above until it goes.
  CalendarAccess access_{*this};
};

}  // namespace dv::win32
