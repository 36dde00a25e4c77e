#include "platform/win32/win32_toolkit.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/errors.h"
#include "platform/screen.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"

namespace dv::win32 {

namespace {

constexpr const char* kMessageClass = "DayvaneToolkit";

// The shell and CreateProcessA take the records in their native layout. On
// 32 bits that is the core's byte form, handed over as it is; a 64-bit
// build has wider handles and pointers, and its records are built from the
// same fields.
#if defined(_WIN64)
constexpr bool kCoreRecordsAreNative = false;
#else
constexpr bool kCoreRecordsAreNative = true;
static_assert(sizeof(STARTUPINFOA) == kStartupInfoSize, "STARTUPINFOA is 68 bytes on 32 bits");
static_assert(offsetof(STARTUPINFOA, dwXSize) == 24 && offsetof(STARTUPINFOA, dwFlags) == 44 &&
                  offsetof(STARTUPINFOA, wShowWindow) == 48,
              "STARTUPINFOA's fields where the core puts them");
static_assert(NOTIFYICONDATAA_V1_SIZE == kNotifyIconDataSize, "the tray record is the first form");
static_assert(offsetof(NOTIFYICONDATAA, hWnd) == 4 && offsetof(NOTIFYICONDATAA, hIcon) == 20 &&
                  offsetof(NOTIFYICONDATAA, szTip) == 24,
              "NOTIFYICONDATAA's fields where the core puts them");
#endif

// The record names a window's icon (the big one); the tray shows small
// icons, so it gets the image drawn small that the same window carries for
// its title bar. Any other icon goes as it is.
HICON TrayIcon(HWND callback_window, HICON icon) {
  HWND window = GetAncestor(callback_window, GA_ROOT);
  if (window == nullptr || icon == nullptr) return icon;
  const auto get = [window](WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
  };
  if (get(ICON_BIG) != icon) return icon;
  HICON small_icon = get(ICON_SMALL);
  return small_icon != nullptr ? small_icon : icon;
}

NOTIFYICONDATAA NativeNotifyIcon(const NotifyIconData& fields) {
  NOTIFYICONDATAA data{};
  if constexpr (kCoreRecordsAreNative) {
    const NotifyIconBytes record = ToBytes(fields);
    std::memcpy(&data, record.data(), record.size());
    data.hIcon = TrayIcon(data.hWnd, data.hIcon);
    return data;
  }
  // The core's 88 bytes are the record's first form: the native size of it.
  data.cbSize = fields.cbSize == kNotifyIconDataSize ? NOTIFYICONDATAA_V1_SIZE : fields.cbSize;
  data.hWnd = HandleFrom32<HWND>(fields.hWnd);
  data.uID = fields.uID;
  data.uFlags = fields.uFlags;
  data.uCallbackMessage = fields.uCallbackMessage;
  data.hIcon = TrayIcon(data.hWnd, HandleFrom32<HICON>(fields.hIcon));
  static_assert(sizeof(data.szTip) >= kTipLength);
  std::memcpy(data.szTip, fields.szTip.data(), std::min(fields.szTip.size(), kTipLength));
  return data;
}

STARTUPINFOA NativeStartupInfo(const StartupInfo& fields) {
  STARTUPINFOA start{};
  if constexpr (kCoreRecordsAreNative) {
    const StartupInfoBytes record = ToBytes(fields);
    std::memcpy(&start, record.data(), record.size());
    return start;
  }
  // The pointers and handles stay null, as in the core's record.
  start.cb = fields.cb == kStartupInfoSize ? sizeof(STARTUPINFOA) : fields.cb;
  start.dwX = fields.dwX;
  start.dwY = fields.dwY;
  start.dwXSize = fields.dwXSize;
  start.dwYSize = fields.dwYSize;
  start.dwXCountChars = fields.dwXCountChars;
  start.dwYCountChars = fields.dwYCountChars;
  start.dwFillAttribute = fields.dwFillAttribute;
  start.dwFlags = fields.dwFlags;
  start.wShowWindow = fields.wShowWindow;
  return start;
}

class Win32Timer : public NativeTimer {
 public:
  Win32Timer(Win32Toolkit& toolkit, std::function<void()> tick)
      : toolkit_(toolkit), tick_(std::move(tick)), id_(toolkit.AddTimer(&tick_)) {}
  ~Win32Timer() override {
    Win32Timer::Stop();  // this class's own: the object is going
    toolkit_.RemoveTimer(id_);
  }
  void Start(std::int32_t milliseconds) override {
    SetTimer(toolkit_.message_window(), id_, static_cast<UINT>(milliseconds), nullptr);
  }
  void Stop() override { KillTimer(toolkit_.message_window(), id_); }

 private:
  Win32Toolkit& toolkit_;
  std::function<void()> tick_;
  UINT_PTR id_;
};

class Win32File : public OpenFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }
  FileType Type() const override {
    switch (GetFileType(handle_)) {
      case FILE_TYPE_DISK:
        return FileType::Regular;
      case FILE_TYPE_PIPE:
        return FileType::Pipe;
      case FILE_TYPE_CHAR:
        return FileType::Device;
      default:
        return FileType::Other;
    }
  }

 private:
  HANDLE handle_;
};

std::string RegistryPath(const std::string& app, const std::string& section) {
  return "Software\\" + app + "\\" + section;
}

// The screen's logical resolution: LOGPIXELSX or LOGPIXELSY.
int ScreenDpi(int axis) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  return dpi;
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC /*dc*/, LPRECT /*rect*/, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoA(monitor, &info)) {
    reinterpret_cast<std::vector<Rect>*>(data)->push_back(ToRect(info.rcWork));
  }
  return TRUE;
}

struct WindowList {
  const Win32Toolkit* toolkit;
  std::vector<TopLevelWindow>* windows;
};

BOOL CALLBACK AddTopLevel(HWND hwnd, LPARAM data) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  const auto& list = *reinterpret_cast<WindowList*>(data);
  char title[512] = {};
  GetWindowTextA(hwnd, title, sizeof(title));
  list.windows->push_back({reinterpret_cast<std::uintptr_t>(hwnd), list.toolkit->FromAnsi(title)});
  return TRUE;
}

}  // namespace

std::string SystemErrorText(DWORD code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length)
                                                      : "system error " + std::to_string(code);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() &&
         (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

Win32Toolkit::Win32Toolkit(HINSTANCE instance, std::string title) : instance_(instance) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  const std::string path = module;
  const std::size_t slash = path.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // a drive's root: "C:\"
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = file.find_last_of('.');
  if (dot != std::string::npos) file.resize(dot);
  app_info_.Path = Win32Toolkit::FromAnsi(folder);
  app_info_.EXEName = Win32Toolkit::FromAnsi(file);
  app_info_.Title = std::move(title);

  Win32Window::RegisterClasses(instance);
  Win32Control::RegisterClasses(instance);
  WNDCLASSEXA cls{};
  cls.cbSize = sizeof(cls);
  cls.lpfnWndProc = MessageProc;
  cls.hInstance = instance;
  cls.lpszClassName = kMessageClass;
  RegisterClassExA(&cls);
  // A top-level window that is never shown: it receives the timers and the
  // shell's broadcast when the task bar is created anew.
  message_window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kMessageClass, "", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, this);
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
}

Win32Toolkit::~Win32Toolkit() {
  StopWatchingTray();
  if (message_window_ != nullptr) {
    SetWindowLongPtrA(message_window_, GWLP_USERDATA, 0);
    DestroyWindow(message_window_);
  }
}

LRESULT CALLBACK Win32Toolkit::MessageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* toolkit = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (toolkit != nullptr) {
    if (message == WM_TIMER) {
      toolkit->OnTimer(static_cast<UINT_PTR>(wparam));
      return 0;
    }
    if (message == toolkit->taskbar_created_ && message != 0) {
      toolkit->ReAddIcons();
      return 0;
    }
    if (message == ShowRequestMessage() && message != 0) {
      toolkit->ShowRequested();
      return 0;
    }
    if (message == OpenNoteMessage() && message != 0) {
      if (const auto date = UnpackDate(lparam)) {
        if (toolkit->NoteRequested) {
          toolkit->NoteRequested(*date);
        } else {
          toolkit->note_requested_ = date;
        }
      }
      return 0;
    }
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

UINT_PTR Win32Toolkit::AddTimer(std::function<void()>* tick) {
  const UINT_PTR id = next_timer_++;
  timers_[id] = tick;
  return id;
}

void Win32Toolkit::RemoveTimer(UINT_PTR id) { timers_.erase(id); }

void Win32Toolkit::OnTimer(UINT_PTR id) {
  const auto found = timers_.find(id);
  if (found == timers_.end()) {
    KillTimer(message_window_, id);
    return;
  }
  // A copy: the tick may destroy its own timer.
  const std::function<void()> tick = *found->second;
  tick();
}

Single Win32Toolkit::TwipsPerPixelX() const { return TwipsPerPixelAt(ScreenDpi(LOGPIXELSX)); }
Single Win32Toolkit::TwipsPerPixelY() const { return TwipsPerPixelAt(ScreenDpi(LOGPIXELSY)); }

std::int32_t Win32Toolkit::SystemMetric(int index) const { return GetSystemMetrics(index); }

std::vector<Rect> Win32Toolkit::WorkAreas() const {
  std::vector<Rect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

std::unique_ptr<Window> Win32Toolkit::CreateWindow(const FormDesign& design, WindowOwner& owner) {
  return std::make_unique<Win32Window>(*this, design, owner);
}

std::unique_ptr<NativeTimer> Win32Toolkit::CreateTimer(std::function<void()> tick) {
  return std::make_unique<Win32Timer>(*this, std::move(tick));
}

int Win32Toolkit::ShowMessageBox(const std::string& prompt, int buttons, const std::string& title) {
  // Modal to all of the program's windows, as a message box of the program
  // (not of one window) is.
  const int chosen = MessageBoxA(nullptr, ToAnsi(prompt).c_str(), ToAnsi(title).c_str(),
                                 static_cast<UINT>(buttons) | MB_TASKMODAL | MB_SETFOREGROUND);
  if (chosen == IDYES) return kIdYes;
  if (chosen == IDNO) return kIdNo;
  return kIdOk;
}

std::vector<TopLevelWindow> Win32Toolkit::TopLevelWindows() const {
  std::vector<TopLevelWindow> windows;
  WindowList list{this, &windows};
  EnumWindows(AddTopLevel, reinterpret_cast<LPARAM>(&list));
  return windows;
}

void Win32Toolkit::ActivateWindow(std::uintptr_t id) {
  SetForegroundWindow(reinterpret_cast<HWND>(id));
}

void Win32Toolkit::ChangeDirectory(const std::string& path) {
  if (!SetCurrentDirectoryA(ToAnsi(path).c_str())) {
    Raise(ErrorKind::PathNotFound, path + ": " + SystemErrorText(GetLastError()));
  }
}

std::unique_ptr<OpenFile> Win32Toolkit::OpenForAppend(const std::string& name) {
  // An existing file (also through a link) is opened; a missing one is
  // created, but never through a link to a file that is not there, which
  // would create that file wherever the link points.
  const std::string path = ToAnsi(name);
  const auto open = [&](DWORD disposition) {
    return CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE file = open(OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      Raise(ErrorKind::PathFileAccess, "it is a link to a file that does not exist");
    }
    file = open(CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
      file = open(OPEN_EXISTING);
  }
  if (file != INVALID_HANDLE_VALUE) return std::make_unique<Win32File>(file);
  const DWORD code = GetLastError();
  // A folder cannot be opened as a file: told as such, not as a denial.
  if (code == ERROR_ACCESS_DENIED) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      Raise(ErrorKind::PathFileAccess, NotAFileReason(FileType::Directory));
    }
  }
  const std::string reason = SystemErrorText(code);
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      Raise(ErrorKind::PermissionDenied, reason);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
      Raise(ErrorKind::PathNotFound, reason);
    default:
      Raise(ErrorKind::PathFileAccess, reason);
  }
}

std::optional<std::string> Win32Toolkit::ReadSetting(const std::string& app,
                                                     const std::string& section,
                                                     const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ToAnsi(RegistryPath(app, section)).c_str(), 0,
                    KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::string name = ToAnsi(key);
  DWORD type = 0;
  DWORD size = 0;
  std::optional<std::string> value;
  if (RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::string text(size + 1, '\0');
    if (RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &size) == ERROR_SUCCESS) {
      text.resize(std::strlen(text.c_str()));
      value = FromAnsi(text);
    }
  }
  RegCloseKey(handle);
  return value;
}

void Win32Toolkit::WriteSetting(const std::string& app, const std::string& section,
                                const std::string& key, const std::string& value) {
  WriteSettings(app, section, {{key, value}});
}

void Win32Toolkit::WriteSettings(const std::string& app, const std::string& section,
                                 const SettingValues& values) {
  // One opening of the key for all values.
  HKEY handle = nullptr;
  LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, ToAnsi(RegistryPath(app, section)).c_str(), 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
  std::string failed_key = values.empty() ? std::string() : values.front().first;
  if (result == ERROR_SUCCESS) {
    for (const auto& [key, value] : values) {
      const std::string text = ToAnsi(value);
      result = RegSetValueExA(handle, ToAnsi(key).c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size()) + 1);
      if (result != ERROR_SUCCESS) {
        failed_key = key;
        break;
      }
    }
    RegCloseKey(handle);
  }
  if (result != ERROR_SUCCESS) {
    Raise(ErrorKind::InvalidProcedureCall, "the setting HKEY_CURRENT_USER\\" +
                                               RegistryPath(app, section) + "\\" + failed_key +
                                               ": " + SystemErrorText(static_cast<DWORD>(result)));
  }
}

bool Win32Toolkit::NotifyIcon(std::uint32_t operation, const NotifyIconData& record) {
  NOTIFYICONDATAA data = NativeNotifyIcon(record);
  const bool ok = Shell_NotifyIconA(operation, &data) != FALSE;
  const auto key = std::make_pair(record.hWnd, record.uID);
  if (operation == kNimAdd) {
    last_add_ok_ = ok;
    icons_[key] = record;
    if (ok) WatchTray();
    if (show_requested_) {
      show_requested_ = false;
      ShowRequested();
    }
    if (note_requested_) {
      OpenNoteRequested(*note_requested_);
      note_requested_.reset();
    }
  } else if (operation == kNimDelete) {
    icons_.erase(key);
    if (icons_.empty()) StopWatchingTray();
  }
  return ok;
}

HWND FindToolkitWindow(const std::string& name) { return FindWindowA(kMessageClass, name.c_str()); }

// A group resource lists its images as 14-byte entries (an icon file's
// 16-byte entry with the image's resource id in place of its offset); each
// image is an RT_ICON resource.
std::vector<std::uint8_t> IconFileFromResource(HINSTANCE module, int id) {
  constexpr std::size_t kHeader = 6;
  constexpr std::size_t kGroupEntry = 14;
  constexpr std::size_t kFileEntry = 16;
  const auto load = [module](LPCSTR name, LPCSTR type) -> std::pair<const std::uint8_t*, DWORD> {
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    if (loaded == nullptr) return {nullptr, 0};
    return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
  };
  const auto [group, group_size] = load(MAKEINTRESOURCEA(id), RT_GROUP_ICON);
  if (group == nullptr || group_size < kHeader) return {};
  const std::size_t count = group[4] | (group[5] << 8);
  if (group_size < kHeader + count * kGroupEntry) return {};
  std::vector<std::uint8_t> file(group, group + kHeader);
  std::vector<std::uint8_t> images;
  const auto put32 = [&file](std::size_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
      file.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  };
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = group + kHeader + i * kGroupEntry;
    const int image_id = entry[12] | (entry[13] << 8);
    const auto [image, image_size] = load(MAKEINTRESOURCEA(image_id), RT_ICON);
    if (image == nullptr) return {};
    file.insert(file.end(), entry, entry + 8);  // size, colours, planes, bits
    put32(image_size);
    put32(kHeader + count * kFileEntry + images.size());
    images.insert(images.end(), image, image + image_size);
  }
  file.insert(file.end(), images.begin(), images.end());
  return file;
}

void Win32Toolkit::ListenAs(const std::string& name) {
  SetWindowTextA(message_window_, name.c_str());
}

// The shell's route: the icon's callback message, posted to its window with
// the mouse message in the low word of lParam. Before the icon is added
// (the splash is still up), the request waits for it.
void Win32Toolkit::ShowRequested() {
  if (icons_.empty()) {
    show_requested_ = true;
    return;
  }
  const NotifyIconData& icon = icons_.begin()->second;
  PostMessageA(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(icon.hWnd)),
               icon.uCallbackMessage, icon.uID, kWmLButtonDblClk);
}

void Win32Toolkit::OpenNoteRequested(const diary::Date& date) {
  PostMessageA(message_window_, OpenNoteMessage(), 0, PackDate(date));
}

// The shell's tray came (back): its icons again. One it refuses leaves its
// program unreachable: that program's window is shown.
void Win32Toolkit::ReAddIcons() {
  if (icons_.empty()) return;
  bool all_ok = true;
  for (const auto& [key, record] : icons_) {
    NOTIFYICONDATAA data = NativeNotifyIcon(record);
    last_add_ok_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    all_ok = all_ok && last_add_ok_;
  }
  if (all_ok) {
    WatchTray();
  } else {
    TellTrayGone();
  }
}

void Win32Toolkit::WatchTray() {
  HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
  DWORD process_id = 0;
  if (tray != nullptr) GetWindowThreadProcessId(tray, &process_id);
  if (tray_process_ != nullptr && process_id == tray_process_id_) return;
  StopWatchingTray();
  if (process_id == 0 || process_id == GetCurrentProcessId()) return;
  tray_process_ = OpenProcess(SYNCHRONIZE, FALSE, process_id);
  if (tray_process_ != nullptr) tray_process_id_ = process_id;
}

void Win32Toolkit::StopWatchingTray() {
  if (tray_process_ != nullptr) CloseHandle(tray_process_);
  tray_process_ = nullptr;
  tray_process_id_ = 0;
}

void Win32Toolkit::OnTrayGone() {
  StopWatchingTray();
  if (icons_.empty()) return;
  if (FindWindowA("Shell_TrayWnd", nullptr) != nullptr) {
    // A new shell is there already: its "TaskbarCreated" brings the icons
    // back.
    WatchTray();
    return;
  }
  last_add_ok_ = false;
  TellTrayGone();
}

// No tray shows the icons: the program is told, and shows what would
// otherwise be out of reach.
void Win32Toolkit::TellTrayGone() {
  if (TrayChanged) TrayChanged(false);
}

bool Win32Toolkit::TrayAvailable() const {
  return last_add_ok_ || FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
}

bool Win32Toolkit::CreateProcess(const std::string& command_line, const StartupInfo& startup,
                                 ProcessInformation& info, std::string& error) {
  STARTUPINFOA start = NativeStartupInfo(startup);
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &start, &process)) {
    error = SystemErrorText(GetLastError());
    return false;
  }
  info.hProcess = Handle32(process.hProcess);
  info.hThread = Handle32(process.hThread);
  info.dwProcessId = process.dwProcessId;
  info.dwThreadId = process.dwThreadId;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::string Win32Toolkit::ToAnsi(const std::string& utf8) const {
  return Narrow(Widen(utf8, CP_UTF8), CP_ACP);
}

std::string Win32Toolkit::FromAnsi(const std::string& ansi) const {
  return Narrow(Widen(ansi, CP_ACP), CP_UTF8);
}

int Win32Toolkit::Run() {
  MSG message{};
  for (;;) {
    // Sleeps until a message comes, the tray's process ends (while icons
    // are shown) or the notes folder changes (while the calendar lives).
    std::array<HANDLE, 2> handles{};
    DWORD count = 0;
    if (tray_process_ != nullptr) handles[count++] = tray_process_;
    const DWORD folder = count;
    if (wait_handle_ != nullptr) handles[count++] = wait_handle_;
    const DWORD woke = MsgWaitForMultipleObjectsEx(count, count != 0 ? handles.data() : nullptr,
                                                   INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) {
      StopWatchingTray();  // rather than wake at once for ever
    } else if (tray_process_ != nullptr && woke == WAIT_OBJECT_0) {
      OnTrayGone();
    } else if (wait_handle_ != nullptr && woke == WAIT_OBJECT_0 + folder && wait_signalled_) {
      wait_signalled_();
    }
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void Win32Toolkit::Quit(int exit_code) { PostQuitMessage(exit_code); }

void Win32Toolkit::Fatal(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

}  // namespace dv::win32
