#include "platform/win32/win32_calendar.h"

#include <algorithm>
#include <ctime>

#include "platform/trace.h"
#include "platform/win32/win32_text.h"

namespace dv::win32 {

namespace {

constexpr UINT_PTR kMidnightTimer = 0x4D4E;  // a number the control does not use
constexpr UINT_PTR kSubclass = 1;
constexpr UINT kMenuFirst = 1;
// Below this em height a bold face is hardly heavier than the regular one
// (a one-pixel stroke either way): the dates with notes are overstruck one
// pixel to the right as well.
constexpr int kOverstrikeBelow = 20;

COLORREF Color(OleColor color) {
  if ((color & kSystemColorFlag) != 0) return GetSysColor(static_cast<int>(color & 0xFFU));
  return static_cast<COLORREF>(color & 0x00FFFFFFU);
}

bool HighContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) != FALSE &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

std::wstring LocaleText(LCTYPE type) {
  wchar_t text[80] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 80);
  return text;
}

bool Inside(const RECT& r, POINT p) { return PtInRect(&r, p) != FALSE; }

// A tracking tip of the control, hidden: several lines, broken at their ends.
HWND NewTip(HWND control) {
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, control, nullptr,
                             nullptr, nullptr);
  if (tip == nullptr) return nullptr;
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = control;
  tool.uId = 1;
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 600);
  return tip;
}

// Sets the text (lines in UTF-8) of a tip that NewTip made; returns its size.
SIZE SetTipText(HWND tip, HWND control, const std::string& lines) {
  std::wstring text;
  for (const wchar_t c : Widen(lines)) {
    if (c == L'\n') text += L'\r';
    text += c;
  }
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = control;
  tool.uId = 1;
  tool.lpszText = text.data();
  SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  const auto size =
      static_cast<DWORD>(SendMessageW(tip, TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&tool)));
  return {LOWORD(size), HIWORD(size)};
}

// Shows or hides a tip that NewTip made, at `at` on the screen.
void TrackTip(HWND tip, HWND control, bool shown, POINT at = {}) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = control;
  tool.uId = 1;
  if (shown) SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(tip, TTM_TRACKACTIVATE, shown ? TRUE : FALSE, reinterpret_cast<LPARAM>(&tool));
}

// The same day in another month, or its last day when it has fewer.
diary::Date InMonth(int year, int month, int day) {
  while (month < 1) month += 12, --year;
  while (month > 12) month -= 12, ++year;
  return {year, month, std::min(day, diary::DaysInMonth(year, month))};
}

}  // namespace

CalendarView::CalendarView(HWND control, const ControlDesign& design, const std::string& folder,
                           CalendarHost host)
    : control_(control), design_(design), host_(std::move(host)), folder_(folder) {
  SetWindowSubclass(control_, ControlProc, kSubclass, reinterpret_cast<DWORD_PTR>(this));
  ReadToday();
  ShowMonth(today_.year, today_.month);
  Watch();
}

CalendarView::~CalendarView() {
  if (folder_watch_ != nullptr) host_.wait(nullptr, nullptr);
  // Usually gone already with its window.
  if (IsWindow(control_)) RemoveWindowSubclass(control_, ControlProc, kSubclass);
  KillTimer(control_, kMidnightTimer);
  if (tip_ != nullptr) DestroyWindow(tip_);
  if (find_tip_ != nullptr) DestroyWindow(find_tip_);
  FreeFonts();
}

void CalendarView::Watch() {
  folder_watch_ = std::make_unique<FolderWatch>(folder_.path());
  if (folder_watch_->event() == nullptr) {
    folder_watch_.reset();
    return;
  }
  host_.wait(folder_watch_->event(), [this] {
    const auto changes = folder_watch_->Take();
    // Without names, the whole page is read again.
    NotesChanged(changes ? &*changes : nullptr);
  });
  watched_ = true;
  marks_read_ = false;
  ReadMarks();
}

LRESULT CALLBACK CalendarView::ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR /*id*/, DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ControlProc, kSubclass);
    return DefSubclassProc(hwnd, message, wparam, lparam);
  }
  return reinterpret_cast<CalendarView*>(data)->ControlMessage(message, wparam, lparam);
}

LRESULT CalendarView::ControlMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_LBUTTONDOWN) {
    double_click_pending_ = SecondPress(lparam);
  } else if (message == WM_LBUTTONUP && double_click_pending_) {
    double_click_pending_ = false;
    HideTip();
    host_.double_clicked();  // may destroy the calendar: nothing after it
    return 0;
  }
  LRESULT result = 0;
  if (Handle(message, wparam, lparam, result)) return result;
  return DefSubclassProc(control_, message, wparam, lparam);
}

// Two presses on the same date within the double-click time and rectangle
// make a double click. It is raised when the second press is released, with
// the date selected by the presses.
bool CalendarView::SecondPress(LPARAM lparam) {
  const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  const std::optional<diary::Date> date = DateAt(point);
  const LONG time = GetMessageTime();
  const bool second =
      date && have_first_click_ &&
      static_cast<DWORD>(time - first_click_time_) <= GetDoubleClickTime() &&
      std::abs(point.x - first_click_point_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
      std::abs(point.y - first_click_point_.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2 &&
      *date == first_click_date_;
  have_first_click_ = date && !second;
  if (have_first_click_) {
    first_click_time_ = time;
    first_click_point_ = point;
    first_click_date_ = *date;
  }
  return second;
}

void CalendarView::WindowMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SHOWWINDOW:
      if (lparam == 0) Shown(wparam != FALSE);
      break;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      // High contrast or the system's colours: drawn again at once.
      InvalidateRect(control_, nullptr, FALSE);
      if (message == WM_SYSCOLORCHANGE) break;
      [[fallthrough]];
    case WM_TIMECHANGE:
      // The clock, the time zone or the user's week: today and the page.
      ClockChanged();
      break;
    case WM_POWERBROADCAST:
      if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND) ClockChanged();
      break;
    case WM_ACTIVATEAPP:
      // Another program comes to the front (the editor that a double
      // click opens): the tip, a topmost window, goes.
      if (wparam == FALSE) HideTip();
      break;
    default:
      break;
  }
}

void CalendarView::Shown(bool shown) {
  shown_ = shown;
  if (!shown_) HideTip();
  // Unwatched, the folder may have changed while hidden.
  if (!watched_) marks_read_ = false;
  ReadToday();
  ShowMonth(year_, month_);
  ArmMidnight();
}

void CalendarView::ClockChanged() {
  if (!shown_) return;
  ReadToday();
  ShowMonth(year_, month_);
  ArmMidnight();
}

diary::Date CalendarView::Selected() const {
  SYSTEMTIME st{};
  SendMessageW(control_, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
  return {st.wYear, st.wMonth, st.wDay};
}

void CalendarView::Select(const diary::Date& date, bool show_month) {
  const SYSTEMTIME st = ToSystemTime(date);
  SendMessageW(control_, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
  if (show_month) {
    ShowMonth(date.year, date.month);
  } else {
    InvalidateRect(control_, nullptr, FALSE);
  }
  access_.Changed();
}

void CalendarView::ShowMonth(int year, int month) {
  const diary::Date first = InMonth(year, month, 1);
  if (first.year < 1601 || first.year > 9998) return;  // what SYSTEMTIME holds
  // "0" Monday to "6" Sunday; Sunday when the locale does not say.
  const std::wstring first_day = LocaleText(LOCALE_IFIRSTDAYOFWEEK);
  const wchar_t digit = first_day.empty() ? L'6' : first_day[0];
  first_day_ = digit >= L'0' && digit <= L'6' ? 1 + (digit - L'0') : 7;
  year_ = first.year;
  month_ = first.month;
  std::vector<diary::Date> page = diary::MonthPage(year_, month_, first_day_);
  if (page != page_) {
    page_ = std::move(page);
    marks_read_ = false;
  }
  if (!marks_read_) ReadMarks();
  HideTip();
  InvalidateRect(control_, nullptr, FALSE);
  access_.Changed();
}

void CalendarView::ReadMarks() {
  // While shown, or ahead of the show while the folder's watch keeps them
  // current; otherwise they are read when the calendar is shown.
  if (!shown_ && !watched_) {
    marks_.assign(page_.size(), false);
    marks_read_ = false;
    return;
  }
  marks_ = diary::Marks(folder_, page_);
  marks_read_ = true;
  Trace("marks-read");
}

// Only the named files that are notes of the page are looked at; changes
// that name no file make the page be read again, at once while shown.
void CalendarView::NotesChanged(const std::vector<diary::FolderChange>* changes) {
  if (changes == nullptr || !marks_read_) {
    marks_read_ = false;
    if (!shown_) return;
    ReadMarks();
  } else if (diary::UpdateMarks(folder_, page_, *changes, marks_)) {
    Trace("marks-updated");
  } else {
    Trace("notes-ignored");
    return;
  }
  InvalidateRect(control_, nullptr, FALSE);
  // A tip that is up tells the note as it is now (saved while the pointer rests).
  if (tip_shown_) ShowTip(tip_cell_, tip_at_);
}

// LocalDate reads the system's zone afresh, so a changed zone counts.
void CalendarView::ReadToday() { today_ = diary::LocalDate(std::time(nullptr)); }

// One timer, for the next local midnight, only while the calendar is
// shown; it is armed again when it fires and when the clock changes.
void CalendarView::ArmMidnight() {
  KillTimer(control_, kMidnightTimer);
  if (!shown_) return;
  const std::time_t now = std::time(nullptr);
  const std::time_t wait = std::clamp<std::time_t>(diary::NextMidnight(now) - now, 1, 24 * 3600);
  // A little after midnight, so that the clock has passed it.
  SetTimer(control_, kMidnightTimer, static_cast<UINT>(wait * 1000 + 250), nullptr);
}

MonthLayout CalendarView::Layout() const {
  RECT client{};
  GetClientRect(control_, &client);
  return LayOutMonth(client.right, client.bottom, design_.calendar, design_.width, design_.height);
}

CalendarView::Part CalendarView::PartAt(POINT point) const {
  const MonthLayout layout = Layout();
  if (Inside(ToRECT(layout.previous), point)) return Part::Previous;
  if (Inside(ToRECT(layout.next), point)) return Part::Next;
  if (design_.calendar.show_date_selectors && Inside(month_text_, point)) return Part::Month;
  if (design_.calendar.show_date_selectors && Inside(year_text_, point)) return Part::Year;
  if (layout.CellAt(point.x, point.y) >= 0) return Part::Date;
  return Part::None;
}

std::optional<diary::Date> CalendarView::DateAt(POINT point) const {
  const int cell = Layout().CellAt(point.x, point.y);
  if (cell < 0 || static_cast<std::size_t>(cell) >= page_.size()) return std::nullopt;
  return page_[static_cast<std::size_t>(cell)];
}

void CalendarView::Click(POINT point) {
  switch (PartAt(point)) {
    case Part::Previous:
      ShowMonth(year_, month_ - 1);
      break;
    case Part::Next:
      ShowMonth(year_, month_ + 1);
      break;
    case Part::Month:
      Choose(true);
      break;
    case Part::Year:
      Choose(false);
      break;
    case Part::Date:
      // A date of the month before or after stays where it was clicked, so
      // that a second click on it makes a double click.
      if (const auto date = DateAt(point)) Select(*date, false);
      break;
    case Part::None:
      break;
  }
}

// The month and year selectors: a menu of the months, or of the years
// around the one shown, below the title.
void CalendarView::Choose(bool months) {
  HMENU menu = CreatePopupMenu();
  const int count = months ? 12 : 11;
  for (int i = 0; i < count; ++i) {
    const std::wstring text = months ? LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + i))
                                     : std::to_wstring(year_ - 5 + i);
    const bool current = months ? i + 1 == month_ : i == 5;
    AppendMenuW(menu, MF_STRING | (current ? MF_CHECKED : 0U), kMenuFirst + i, text.c_str());
  }
  const RECT& under = months ? month_text_ : year_text_;
  POINT at{under.left, under.bottom};
  ClientToScreen(control_, &at);
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTBUTTON, at.x, at.y, 0, control_, nullptr));
  DestroyMenu(menu);
  if (chosen < static_cast<int>(kMenuFirst)) return;
  const int i = chosen - static_cast<int>(kMenuFirst);
  if (months) {
    ShowMonth(year_, i + 1);
  } else {
    ShowMonth(year_ - 5 + i, month_);
  }
}

bool CalendarView::Key(WPARAM key) {
  const diary::Date selected = Selected();
  diary::Date next = selected;
  switch (key) {
    case VK_LEFT:
      next = diary::AddDays(selected, -1);
      break;
    case VK_RIGHT:
      next = diary::AddDays(selected, 1);
      break;
    case VK_UP:
      next = diary::AddDays(selected, -7);
      break;
    case VK_DOWN:
      next = diary::AddDays(selected, 7);
      break;
    case VK_PRIOR:
      next = InMonth(selected.year, selected.month - 1, selected.day);
      break;
    case VK_NEXT:
      next = InMonth(selected.year, selected.month + 1, selected.day);
      break;
    case VK_HOME:
      next = {selected.year, selected.month, 1};
      break;
    case VK_END:
      next = {selected.year, selected.month, diary::DaysInMonth(selected.year, selected.month)};
      break;
    case VK_ESCAPE:
      HideTip();
      return true;
    default:
      return false;
  }
  if (next.year < 1601 || next.year > 9998) return true;
  Select(next);
  // The keyboard's tip: the selected date's, below its cell.
  const auto found = std::find(page_.begin(), page_.end(), next);
  if (found != page_.end()) {
    const int cell = static_cast<int>(found - page_.begin());
    const Rect r = Layout().Cell(cell);
    POINT at{r.left, r.bottom()};
    ClientToScreen(control_, &at);
    ShowTip(cell, at);
  }
  return true;
}

void CalendarView::ShowTip(int cell, POINT screen) {
  if (cell < 0 || static_cast<std::size_t>(cell) >= page_.size()) return;
  tip_cell_ = cell;
  tip_at_ = screen;
  if (tip_ == nullptr) tip_ = NewTip(control_);
  if (tip_ == nullptr) return;
  const diary::Date date = page_[static_cast<std::size_t>(cell)];
  // One listing of the day's names: no name looked up that is not there.
  const std::string tip = diary::DayTip(folder_, Narrow(FormatDate(date, DATE_LONGDATE)), date);
  std::string traced = tip;
  std::replace(traced.begin(), traced.end(), '\n', '|');
  Trace("tip " + traced);
  SetTipText(tip_, control_, tip);
  TrackTip(tip_, control_, true, screen);
  tip_shown_ = true;
}

void CalendarView::HideTip() {
  if (tip_ == nullptr || !tip_shown_) return;
  TrackTip(tip_, control_, false);
  tip_shown_ = false;
}

bool CalendarView::FindKeyDown(WPARAM key) {
  FindKey find;
  find.shift = GetKeyState(VK_SHIFT) < 0;
  find.command = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
  switch (key) {
    case VK_RETURN:
    case VK_F3:
      find.kind = FindKey::Kind::kNext;
      break;
    case VK_ESCAPE:
      find.kind = FindKey::Kind::kEscape;
      break;
    case VK_BACK:
      find.kind = FindKey::Kind::kBackspace;
      break;
    default:
      return false;
  }
  return Find(find);
}

// A character typed. Enter, Backspace and Escape came as keys; with Control
// and Alt held a printable character is one that AltGr types.
bool CalendarView::FindChar(WPARAM unit) {
  const auto c = static_cast<wchar_t>(unit);
  if (IS_HIGH_SURROGATE(c)) {
    high_surrogate_ = c;
    return true;
  }
  std::wstring typed(1, c);
  if (IS_LOW_SURROGATE(c) && high_surrogate_ != 0) typed.insert(typed.begin(), high_surrogate_);
  high_surrogate_ = 0;
  if (c < L' ' || c == 0x7F) return false;
  FindKey find;
  find.kind = FindKey::Kind::kText;
  find.text = Narrow(typed);
  find.letter = IsCharAlphaW(c) != FALSE;
  return Find(find);
}

bool CalendarView::Find(const FindKey& key) {
  if (!find_.Takes(key)) return false;
  HideTip();  // a date's tip, which the find's would cover
  switch (find_.Key(key, Selected())) {
    case FindSession::Step::kMarks:
      find_painting_ = true;
      InvalidateRect(control_, nullptr, FALSE);
      ShowFindTip();
      break;
    case FindSession::Step::kSelect:
      Select(*find_.selection());
      ShowFindTip();
      break;
    case FindSession::Step::kEnded:
      EndFind();
      break;
    case FindSession::Step::kNothing:
      break;
  }
  return true;
}

// Every date as the notes mark them, and no find tip.
void CalendarView::EndFind() {
  find_.End();
  if (find_tip_ != nullptr) TrackTip(find_tip_, control_, false);
  find_painting_ = true;
  InvalidateRect(control_, nullptr, FALSE);
}

// Below the calendar, or above it where the work area ends below.
void CalendarView::ShowFindTip() {
  if (find_tip_ == nullptr) find_tip_ = NewTip(control_);
  if (find_tip_ == nullptr) return;
  const SIZE size = SetTipText(find_tip_, control_, find_.tip());
  RECT window{};
  GetWindowRect(control_, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(control_, MONITOR_DEFAULTTONEAREST), &monitor);
  const Rect at = TipAt(ToRect(window), size.cx, size.cy, ToRect(monitor.rcWork));
  TrackTip(find_tip_, control_, true, {at.left, at.top});
  UpdateWindow(find_tip_);  // before a long read of the notes
}

void CalendarView::FreeFonts() {
  for (HFONT& font : fonts_) {
    if (font != nullptr) DeleteObject(font);
    font = nullptr;
  }
}

void CalendarView::MakeFonts(const MonthLayout& layout) {
  const std::array<int, 3> key{layout.title_font, layout.names_font, layout.dates_font};
  if (key == font_size_ && fonts_[0] != nullptr) return;
  FreeFonts();
  font_size_ = key;
  const CalendarLook& look = design_.calendar;
  const auto make = [](const Font& font, int height, int weight) {
    return CreateFontW(-height, 0, 0, 0, weight, font.italic, font.underline, font.strikethrough,
                       static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, Widen(font.face).c_str());
  };
  fonts_[0] = make(look.title_font, layout.title_font, look.title_font.weight);
  fonts_[1] = make(look.day_font, layout.names_font, look.day_font.weight);
  fonts_[2] = make(look.grid_font, layout.dates_font, look.grid_font.weight);
  fonts_[3] = make(look.grid_font, layout.dates_font, FW_BOLD);
}

void CalendarView::Paint(HDC dc, const RECT& client) {
  const CalendarLook& look = design_.calendar;
  const MonthLayout layout = Layout();
  MakeFonts(layout);
  colors_ = PageColors(look, HighContrast());
  HBRUSH back_brush = CreateSolidBrush(Color(colors_.back));
  FillRect(dc, &client, back_brush);
  DeleteObject(back_brush);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old_font = SelectObject(dc, fonts_[0]);
  if (look.show_title) PaintTitle(dc, layout);
  if (look.show_days) PaintDayNames(dc, layout);
  PaintDates(dc, layout);
  PaintGrid(dc, layout);
  SelectObject(dc, old_font);
}

// The arrows, triangles in the title's colour, and the month and the year
// centred together.
void CalendarView::PaintTitle(HDC dc, const MonthLayout& layout) {
  SelectObject(dc, fonts_[0]);
  HBRUSH arrow = CreateSolidBrush(Color(colors_.title));
  HGDIOBJ old_brush = SelectObject(dc, arrow);
  HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
  for (const int direction : {-1, 1}) {
    const Rect& r = direction < 0 ? layout.previous : layout.next;
    if (r.width <= 0) continue;
    const int cx = r.left + r.width / 2;
    const int cy = r.top + r.height / 2;
    const int half = std::max(2, layout.title_font / 3);
    const int tip = direction * half;
    const POINT points[3] = {{cx + tip, cy}, {cx - tip, cy - half}, {cx - tip, cy + half}};
    Polygon(dc, points, 3);
  }
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(arrow);
  SetTextColor(dc, Color(colors_.title));
  const std::wstring month = LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + month_ - 1));
  const std::wstring year = L"  " + std::to_wstring(year_);
  SIZE month_size{};
  SIZE year_size{};
  GetTextExtentPoint32W(dc, month.c_str(), static_cast<int>(month.size()), &month_size);
  GetTextExtentPoint32W(dc, year.c_str(), static_cast<int>(year.size()), &year_size);
  const int left = layout.title.left + (layout.title.width - month_size.cx - year_size.cx) / 2;
  const int top = layout.title.top + (layout.title.height - month_size.cy) / 2;
  TextOutW(dc, left, top, month.c_str(), static_cast<int>(month.size()));
  TextOutW(dc, left + month_size.cx, top, year.c_str(), static_cast<int>(year.size()));
  month_text_ = {left, layout.title.top, left + month_size.cx, layout.title.bottom()};
  year_text_ = {left + month_size.cx, layout.title.top, left + month_size.cx + year_size.cx,
                layout.title.bottom()};
}

void CalendarView::PaintDayNames(HDC dc, const MonthLayout& layout) {
  SelectObject(dc, fonts_[1]);
  SetTextColor(dc, Color(colors_.names));
  for (int column = 0; column < 7; ++column) {
    RECT r = ToRECT(layout.NameCell(column));
    const int weekday = (first_day_ - 1 + column) % 7;  // 0 Monday
    const std::wstring name = LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + weekday));
    DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void CalendarView::PaintDates(HDC dc, const MonthLayout& layout) {
  const diary::Date selected = Selected();
  const bool focused = GetFocus() == control_;
  for (int i = 0; i < static_cast<int>(page_.size()); ++i) {
    const diary::Date& date = page_[static_cast<std::size_t>(i)];
    RECT r = ToRECT(layout.Cell(i));
    RECT inner = r;
    InflateRect(&inner, -2, -2);
    ++inner.left, ++inner.top;  // inside the grid lines
    COLORREF text = Color(date.month == month_ ? colors_.dates : colors_.other);
    if (date == selected) {
      FillRect(dc, &inner, GetSysColorBrush(COLOR_HIGHLIGHT));
      text = GetSysColor(COLOR_HIGHLIGHTTEXT);
      if (focused) DrawFocusRect(dc, &inner);
    }
    if (date == today_) {
      HBRUSH frame = CreateSolidBrush(Color(colors_.today));
      FrameRect(dc, &inner, frame);
      RECT second = inner;
      InflateRect(&second, -1, -1);
      FrameRect(dc, &second, frame);
      DeleteObject(frame);
    }
    // While a find is on, its matches instead of the notes.
    const bool marked = find_.active() ? find_.Matches(date)
                                       : static_cast<std::size_t>(i) < marks_.size() &&
                                             marks_[static_cast<std::size_t>(i)];
    SelectObject(dc, fonts_[marked ? 3 : 2]);
    SetTextColor(dc, text);
    const std::wstring day = std::to_wstring(date.day);
    ++r.left, ++r.top;
    DrawTextW(dc, day.c_str(), static_cast<int>(day.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (marked && layout.dates_font < kOverstrikeBelow) {
      OffsetRect(&r, 1, 0);
      DrawTextW(dc, day.c_str(), static_cast<int>(day.size()), &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
}

// The grid lines: round every cell of the day names and the dates.
void CalendarView::PaintGrid(HDC dc, const MonthLayout& layout) {
  const CalendarLook& look = design_.calendar;
  HPEN pen = CreatePen(PS_SOLID, 1, Color(colors_.other));
  HGDIOBJ old_pen = SelectObject(dc, pen);
  const auto line = [dc](int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
  };
  const int top = look.show_days ? layout.names.top : layout.grid.top;
  const int bottom = layout.grid.bottom() - 1;
  const int right = layout.grid.right() - 1;
  if (look.show_horizontal_grid) {
    if (look.show_days) line(0, layout.names.top, right + 1, layout.names.top);
    for (int row = 0; row < 6; ++row) {
      const int y = layout.Cell(row * 7).top;
      line(0, y, right + 1, y);
    }
    line(0, bottom, right + 1, bottom);
  }
  if (look.show_vertical_grid) {
    for (int column = 0; column < 7; ++column) {
      const int x = layout.Cell(column).left;
      line(x, top, x, bottom + 1);
    }
    line(right, top, right, bottom + 1);
  }
  SelectObject(dc, old_pen);
  DeleteObject(pen);
}

// Drawn off screen first, so that nothing flickers.
void CalendarView::PaintBuffered() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(control_, &paint);
  RECT client{};
  GetClientRect(control_, &client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap =
      CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
  HGDIOBJ old = SelectObject(memory, bitmap);
  Paint(memory, client);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(control_, &paint);
  if (find_painting_) {
    find_painting_ = false;
    Trace("find-painted");
  }
}

void CalendarView::MouseMoved(POINT point) {
  const int cell = Layout().CellAt(point.x, point.y);
  if (cell != hover_cell_) {
    HideTip();
    hover_cell_ = cell;
  }
  if (!tip_shown_) {
    // The tip comes when the pointer rests.
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, control_, HOVER_DEFAULT};
    TrackMouseEvent(&track);
  }
}

void CalendarView::Hovered(POINT point) {
  const int cell = Layout().CellAt(point.x, point.y);
  ClientToScreen(control_, &point);
  point.y += GetSystemMetrics(SM_CYCURSOR) / 2;
  hover_cell_ = cell;
  ShowTip(cell, point);
}

bool CalendarView::Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_PAINT:
      PaintBuffered();
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_LBUTTONDOWN:
      SetFocus(control_);
      Click({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return true;
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return true;
    case WM_KEYDOWN:
      return FindKeyDown(wparam) || Key(wparam);
    case WM_CHAR:
      return FindChar(wparam);
    case WM_GETDLGCODE:
      result = DLGC_WANTARROWS;
      return true;
    case WM_MOUSEMOVE:
      MouseMoved({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return true;
    case WM_MOUSEHOVER:
      Hovered({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return true;
    case WM_KILLFOCUS:
      if (find_.active()) EndFind();
      [[fallthrough]];
    case WM_MOUSELEAVE:
      HideTip();
      hover_cell_ = -1;
      InvalidateRect(control_, nullptr, FALSE);
      return false;
    case WM_SETFOCUS:
      access_.Focused();
      InvalidateRect(control_, nullptr, FALSE);
      return false;
    case WM_SIZE:
      InvalidateRect(control_, nullptr, FALSE);
      return false;
    case WM_GETOBJECT:
      return access_.Answer(wparam, lparam, result);
    case WM_TIMER:
      if (wparam != kMidnightTimer) return false;
      ReadToday();
      ArmMidnight();
      InvalidateRect(control_, nullptr, FALSE);
      return true;
    default:
      return false;
  }
}

}  // namespace dv::win32
