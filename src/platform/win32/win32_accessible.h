// The month calendar for screen readers (Microsoft Active Accessibility):
// the control answers WM_GETOBJECT with an IAccessible whose children are
// the 42 days of the page, named by their full dates in the user's
// language, and the two month buttons; the calendar is a table of cells,
// as Windows' own month calendar presents its grid, so that a screen
// reader speaks a moving selection as a date rather than as an item of a
// list ("3 of 44"). The object reads the calendar when asked and tells the
// clients when the selection moves or the page changes.
#pragma once

#include <vector>

#include "diary/diary.h"
#include "platform/win32/win32_api.h"

namespace dv::win32 {

class CalendarView;
class CalendarAccessible;

// The child ids of the calendar's accessible object: the cells of the page
// (1 to 42, row by row), then the month buttons.
constexpr long kFirstCellChild = 1;
constexpr long kPreviousChild = 1 + diary::kPageDays;
constexpr long kNextChild = 2 + diary::kPageDays;

// The calendar's side: owns the accessible object, which clients may hold
// on to after the calendar is gone (it then answers that it is
// disconnected).
class CalendarAccess {
 public:
  explicit CalendarAccess(CalendarView& view) : view_(view) {}
  ~CalendarAccess();
  CalendarAccess(const CalendarAccess&) = delete;
  CalendarAccess& operator=(const CalendarAccess&) = delete;

  // WM_GETOBJECT: the calendar's object for OBJID_CLIENT; false for the
  // others, which the control answers.
  bool Answer(WPARAM wparam, LPARAM lparam, LRESULT& result);
  // After the page or the selection may have changed: the events for what
  // did (the page reordered and renamed; the selected cell focused and
  // selected).
  void Changed();
  // The control took the focus: the selected cell's focus event.
  void Focused();

 private:
  void Notify(DWORD event, long child) const;

  CalendarView& view_;
  CalendarAccessible* object_ = nullptr;  // one reference, while the calendar lives
  bool com_ = false;                      // COM was started on this thread for the object
  std::vector<diary::Date> page_;         // what the clients were last told
  diary::Date selected_;
};

}  // namespace dv::win32
