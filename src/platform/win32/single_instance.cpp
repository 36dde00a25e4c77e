#include "platform/win32/single_instance.h"

#include <utility>

#include "platform/win32/win32_toolkit.h"

namespace dv::win32 {

UINT ShowRequestMessage() {
  static const UINT message = RegisterWindowMessageA("Dayvane.ShowMainWindow");
  return message;
}

UINT OpenNoteMessage() {
  static const UINT message = RegisterWindowMessageA("Dayvane.OpenNote.2");
  return message;
}

LPARAM PackDate(const diary::Date& date) {
  return static_cast<LPARAM>(date.year) * 10000 + date.month * 100 + date.day;
}

std::optional<diary::Date> UnpackDate(LPARAM packed) {
  if (packed <= 0) return std::nullopt;
  const diary::Date date{static_cast<int>(packed / 10000), static_cast<int>(packed / 100 % 100),
                         static_cast<int>(packed % 100)};
  if (date.year < 1 || date.year > 9999 || !diary::IsValid(date)) return std::nullopt;
  return date;
}

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)) {
  // "Local\": the session's namespace. The system drops the mutex with the
  // last handle, so a killed program leaves nothing behind.
  mutex_ = CreateMutexA(nullptr, FALSE, ("Local\\" + name_).c_str());
  running_ = mutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool SingleInstance::ForwardToRunning(const std::optional<diary::Date>& note) const {
  if (!running_) return false;
  // The running one may be starting still: its window comes right after
  // its mutex.
  const DWORD start = GetTickCount();
  do {
    HWND window = FindToolkitWindow(name_);
    if (window != nullptr) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      AllowSetForegroundWindow(process);
      if (note) {
        PostMessageA(window, OpenNoteMessage(), 0, PackDate(*note));
      } else {
        PostMessageA(window, ShowRequestMessage(), 0, 0);
      }
      return true;
    }
    Sleep(50);
  } while (GetTickCount() - start < 2000);
  // It holds the name but shows no window (ending, or hung): a second icon
  // would not help either.
  return true;
}

}  // namespace dv::win32
