#include "platform/win32/win32_diary.h"

#include <vector>

namespace dv::win32 {

std::wstring Win32NoteFolder::Wide(const std::string& name) const {
  const std::string path = path_ + "\\" + name;
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), size);
  return wide;
}

std::optional<std::uint64_t> Win32NoteFolder::Size(const std::string& name) const {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExW(Wide(name).c_str(), GetFileExInfoStandard, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

std::string Win32NoteFolder::Head(const std::string& name, std::size_t limit) const {
  // Shared with the editor that may be writing it.
  HANDLE file = CreateFileW(Wide(name).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(limit, '\0');
  DWORD got = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(limit), &got, nullptr)) got = 0;
  CloseHandle(file);
  bytes.resize(got);
  return bytes;
}

void FillDayStates(NMDAYSTATE& request, const diary::NoteFolder& folder) {
  static std::vector<MONTHDAYSTATE> states;  // read by the control after the return
  states.assign(static_cast<std::size_t>(request.cDayState), 0);
  int year = request.stStart.wYear;
  int month = request.stStart.wMonth;
  for (MONTHDAYSTATE& state : states) {
    std::vector<diary::Date> days;
    for (int day = 1; day <= diary::DaysInMonth(year, month); ++day) {
      days.push_back({year, month, day});
    }
    const std::vector<bool> marks = diary::Marks(folder, days);
    for (std::size_t i = 0; i < marks.size(); ++i) {
      if (marks[i]) state |= 1U << i;
    }
    if (++month > 12) month = 1, ++year;
  }
  request.prgDayState = states.data();
}

void RefreshDayStates(HWND calendar, const diary::NoteFolder& folder) {
  SYSTEMTIME range[2]{};
  const int months = static_cast<int>(
      SendMessageW(calendar, MCM_GETMONTHRANGE, GMR_DAYSTATE, reinterpret_cast<LPARAM>(range)));
  if (months <= 0) return;
  NMDAYSTATE request{};
  request.stStart = range[0];
  request.cDayState = months;
  FillDayStates(request, folder);
  SendMessageW(calendar, MCM_SETDAYSTATE, static_cast<WPARAM>(months),
               reinterpret_cast<LPARAM>(request.prgDayState));
}

HANDLE WatchFolder(const std::string& path) {
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), size);
  HANDLE handle = FindFirstChangeNotificationW(
      wide.c_str(), FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

}  // namespace dv::win32
