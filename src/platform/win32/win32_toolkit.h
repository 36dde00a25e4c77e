// The toolkit on the Win32 API: top-level windows of a class of our own,
// SysMonthCal32, menus, MessageBoxA, SetTimer, the registry and
// Shell_NotifyIconA.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/toolkit.h"
#include "platform/win32/win32_api.h"

namespace dv::win32 {

class Win32Toolkit : public Toolkit {
 public:
  Win32Toolkit(HINSTANCE instance, std::string title);
  ~Win32Toolkit() override;

  AppInfo App() const override { return app_info_; }
  Single TwipsPerPixelX() const override;
  Single TwipsPerPixelY() const override;
  std::int32_t SystemMetric(int index) const override;
  std::vector<Rect> WorkAreas() const override;
  std::unique_ptr<Window> CreateWindow(const FormDesign& design, WindowOwner& owner) override;
  std::unique_ptr<NativeTimer> CreateTimer(std::function<void()> tick) override;
  int ShowMessageBox(const std::string& prompt, int buttons, const std::string& title) override;
  std::vector<TopLevelWindow> TopLevelWindows() const override;
  void ActivateWindow(std::uintptr_t id) override;
  void ChangeDirectory(const std::string& path) override;
  std::unique_ptr<OpenFile> OpenForAppend(const std::string& name) override;
  std::optional<std::string> ReadSetting(const std::string& app, const std::string& section,
                                         const std::string& key) override;
  void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                    const std::string& value) override;
  void WriteSettings(const std::string& app, const std::string& section,
                     const SettingValues& values) override;
  bool NotifyIcon(std::uint32_t operation, const NotifyIconData& record) override;
  bool TrayAvailable() const override;
  bool CreateProcess(const std::string& command_line, const StartupInfo& startup,
                     ProcessInformation& info, std::string& error) override;
  std::string ToAnsi(const std::string& utf8) const override;
  std::string FromAnsi(const std::string& ansi) const override;
  int Run() override;
  void Quit(int exit_code) override;
  [[noreturn]] void Fatal(int exit_code) override;

  HINSTANCE instance() const { return instance_; }

  // Timers tick through the toolkit's hidden window.
  UINT_PTR AddTimer(std::function<void()>* tick);
  void RemoveTimer(UINT_PTR id);
  HWND message_window() const { return message_window_; }
  // A handle the event loop waits for besides messages; null for none.
  void SetWaitHandle(HANDLE handle, std::function<void()> signalled) {
    wait_handle_ = handle;
    wait_signalled_ = std::move(signalled);
  }

  // Found by later starts under `name` (see single_instance.h); their
  // requests show the main window as a double-click on its tray icon does.
  void ListenAs(const std::string& name);
  void ShowRequested();
  // The command line or another start asked for a day's notes: handed to
  // NoteRequested from the event loop once the main window has loaded (the
  // request waits for the tray icon, which the load adds).
  void OpenNoteRequested(const diary::Date& date);

 private:
  static LRESULT CALLBACK MessageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void OnTimer(UINT_PTR id);
  void ReAddIcons();
  // The tray going away: the end of the process of the shell's tray window
  // wakes the event loop, without a timer.
  void WatchTray();
  void StopWatchingTray();
  void OnTrayGone();
  // No tray shows the icons: the program is told (TrayChanged), and shows
  // its window, since there is no other way back to it.
  void TellTrayGone();

  HINSTANCE instance_;
  AppInfo app_info_;
  HWND message_window_ = nullptr;
  UINT taskbar_created_ = 0;
  UINT_PTR next_timer_ = 1;
  std::map<UINT_PTR, std::function<void()>*> timers_;
  // Every icon added and not deleted, by window and id: the shell forgets
  // them when it restarts.
  std::map<std::pair<std::uint32_t, std::uint32_t>, NotifyIconData> icons_;
  bool last_add_ok_ = false;
  HANDLE tray_process_ = nullptr;
  DWORD tray_process_id_ = 0;
  HANDLE wait_handle_ = nullptr;
  std::function<void()> wait_signalled_;
  bool show_requested_ = false;
  std::optional<diary::Date> note_requested_;
};

// The toolkit window of the running instance named `name`, or null.
HWND FindToolkitWindow(const std::string& name);

// The icon group `id` of the module as an icon file (directory, then the
// images); empty when the module has none.
std::vector<std::uint8_t> IconFileFromResource(HINSTANCE module, int id);

// The system's text for an error code, without the closing full stop.
std::string SystemErrorText(DWORD code);

}  // namespace dv::win32
