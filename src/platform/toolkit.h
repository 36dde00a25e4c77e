// The services that the program runs on. Each front end (Qt, Win32) and the
// simulated toolkit of the tests implement this interface; the rules that
// both real front ends share live in the core (services.h, forms.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "diary/diary.h"
#include "platform/design.h"
#include "platform/records.h"
#include "platform/screen.h"
#include "platform/window.h"

namespace dv {

struct AppInfo {
  std::string Path;     // the program's directory
  std::string EXEName;  // the program file's name without directory and extension
  std::string Title;    // the application's title
};

// Keys and their texts, in the order written.
using SettingValues = std::vector<std::pair<std::string, std::string>>;

struct TopLevelWindow {
  std::uintptr_t id = 0;
  std::string title;
};

// What a name in the file system stands for, as far as opening it goes.
enum class FileType { Regular, Directory, Pipe, Socket, Device, Other };

// Why a name that is not a regular file cannot be opened as one, in one
// phrase ("it is a folder, not a file").
std::string NotAFileReason(FileType type);

// An open file; closing it is destroying it.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  // What was opened: a toolkit that can open more than regular files says.
  virtual FileType Type() const { return FileType::Regular; }
};

// Message box buttons, icons and results.
constexpr int kMbOk = 0;
constexpr int kMbYesNo = 4;
constexpr int kMbIconStop = 16;
constexpr int kIdNone = 0;  // a box closed by the program's end, no button chosen
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class Toolkit {
 public:
  Toolkit() = default;
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;
  virtual ~Toolkit() = default;

  // The application object. TaskVisible is the property set false at start;
  // it is kept as set (the windows' own task bar buttons follow their
  // visibility).
  virtual AppInfo App() const = 0;
  virtual void SetTaskVisible(bool visible) { task_visible_ = visible; }
  bool TaskVisible() const { return task_visible_; }

  // Screen.
  virtual Single TwipsPerPixelX() const = 0;
  virtual Single TwipsPerPixelY() const = 0;
  // GetSystemMetrics: index 0 the primary screen's width, 1 its height, in pixels.
  virtual std::int32_t SystemMetric(int index) const = 0;
  // The work areas of all screens, in pixels.
  virtual std::vector<Rect> WorkAreas() const = 0;

  // Windows: builds a window hidden from its design; `owner` receives its
  // notifications.
  virtual std::unique_ptr<Window> CreateWindow(const FormDesign& design, WindowOwner& owner) = 0;
  // The window of `design` will be created soon: the toolkit may build it
  // ahead, when it has nothing else to do. CreateWindow then hands it over.
  virtual void Prepare(const FormDesign& /*design*/) {}
  virtual std::unique_ptr<NativeTimer> CreateTimer(std::function<void()> tick) = 0;

  // A modal message box; returns the button chosen (kIdOk, kIdYes, kIdNo).
  virtual int ShowMessageBox(const std::string& prompt, int buttons, const std::string& title) = 0;
  // Top-level windows that can be activated by title, and the activation.
  virtual std::vector<TopLevelWindow> TopLevelWindows() const = 0;
  virtual void ActivateWindow(std::uintptr_t id) = 0;

  // The current directory for relative file names.
  virtual void ChangeDirectory(const std::string& path);
  // Opens a file for appending, creating it when missing and never
  // truncating it; raises PermissionDenied / PathNotFound / PathFileAccess
  // with the system's reason as the detail. Never waits: a name that is
  // there and is not a regular file (a pipe without a reader, a socket, a
  // device, a folder) is not opened but raises PathFileAccess with
  // NotAFileReason (services.h), and whatever else it opens tells its Type.
  virtual std::unique_ptr<OpenFile> OpenForAppend(const std::string& name) = 0;

  // The per-user settings store: text per application, section and key.
  virtual std::optional<std::string> ReadSetting(const std::string& app, const std::string& section,
                                                 const std::string& key) = 0;
  virtual void WriteSetting(const std::string& app, const std::string& section,
                            const std::string& key, const std::string& value) = 0;
  // Several keys of one section as one update: a store that can, writes them
  // at once, so that an interruption leaves either all old or all new values,
  // and writes nothing when the stored texts are the same already. This
  // default writes them one by one.
  virtual void WriteSettings(const std::string& app, const std::string& section,
                             const SettingValues& values);

  // The shell's notification area: Shell_NotifyIconA with the record (whose
  // 88-byte form is ToBytes(record)). Returns whether the shell took the
  // request.
  virtual bool NotifyIcon(std::uint32_t operation, const NotifyIconData& record) = 0;
  // Whether a notification area is there to show an icon now.
  virtual bool TrayAvailable() const = 0;
  // Set by the program: called from the event loop when the notification
  // area goes away (false) and when one takes its place (true).
  std::function<void(bool available)> TrayChanged;
  // A day's notes asked for from outside the program (its command line, or
  // a later start's): set by the main window while it is loaded. The front
  // ends call it from their event loop, never from inside another handler.
  std::function<void(const diary::Date& date)> NoteRequested;
  // Today's local date.
  virtual diary::Date CurrentDate() const;

  // Starts a program as CreateProcessA does with a null application name,
  // inherited handles, NORMAL_PRIORITY_CLASS, the program's environment and
  // current directory. False with the reason in `error` when it cannot start.
  virtual bool CreateProcess(const std::string& command_line, const StartupInfo& startup,
                             ProcessInformation& info, std::string& error) = 0;

  // Text in the system's 8-bit code page and back (the default is Windows-1252
  // for the Latin-1 range; other characters become '?').
  virtual std::string ToAnsi(const std::string& utf8) const;
  virtual std::string FromAnsi(const std::string& ansi) const;

  // Closes the open message boxes (each returns kIdNone) and pop-up menus
  // (nothing chosen), as the end of the program does.
  virtual void CloseModalUi() {}

  // The event loop: Run returns Quit's code. Fatal ends the program at once
  // after an error that no handler caught, and does not return.
  virtual int Run() = 0;
  virtual void Quit(int exit_code) = 0;
  [[noreturn]] virtual void Fatal(int exit_code) = 0;

 private:
  bool task_visible_ = true;
};

}  // namespace dv
