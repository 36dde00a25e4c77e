// Between the program's own forms and Win32's: text (UTF-8 or a code page
// and UTF-16), dates and rectangles. The one copy of each conversion that the
// front end uses.
#pragma once

#include <string>
#include <string_view>

#include "diary/diary.h"
#include "platform/screen.h"
#include "platform/win32/win32_api.h"

namespace dv::win32 {

// `text` in `code_page` (UTF-8 unless told) as UTF-16.
inline std::wstring Widen(std::string_view text, UINT code_page = CP_UTF8) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(), size);
  return wide;
}

// UTF-16 as text in `code_page` (UTF-8 unless told); what a code page lacks
// becomes "?".
inline std::string Narrow(std::wstring_view wide, UINT code_page = CP_UTF8) {
  if (wide.empty()) return {};
  const char* fallback = code_page == CP_UTF8 ? nullptr : "?";
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, fallback, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), length, text.data(), size, fallback, nullptr);
  return text;
}

inline RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right(), r.bottom()}; }
inline Rect ToRect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// A date as Win32 holds it (its day of the week 0 for Sunday).
inline SYSTEMTIME ToSystemTime(const diary::Date& date) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(date.year);
  st.wMonth = static_cast<WORD>(date.month);
  st.wDay = static_cast<WORD>(date.day);
  st.wDayOfWeek = static_cast<WORD>(diary::DayOfWeek(date) % 7);
  return st;
}

// A date in the user's language, as `flags` asks (DATE_LONGDATE, ...).
inline std::wstring FormatDate(const diary::Date& date, DWORD flags) {
  const SYSTEMTIME st = ToSystemTime(date);
  wchar_t text[120] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, flags, &st, nullptr, text, 120);
  return text;
}

}  // namespace dv::win32
