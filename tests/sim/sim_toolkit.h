// The simulated toolkit: the whole toolkit contract in memory. Notifications
// are delivered synchronously, nested inside the call that caused them (a
// resize inside Move, a menu click inside PopupMenu); every member read and
// write is counted and logged; any member can be scripted to fail.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/toolkit.h"
#include "platform/window.h"
#include "runtime/forms.h"

namespace dv::sim {

// Book-keeping shared by simulated windows and controls. Member keys are the
// member's name for a read or call ("Left", "Move4"), and the name followed
// by '=' for a write ("Left=").
class Members {
 public:
  std::map<std::string, int> counts;
  std::map<std::string, ErrorKind> failures;
  std::vector<std::string>* log = nullptr;  // shared operation log, may be null
  std::string owner;

  // Fails `key` with `kind` from now on (or for `times` calls).
  void Fail(const std::string& key, ErrorKind kind = ErrorKind::InvalidPropertyValue,
            int times = -1);
  void Heal(const std::string& key) { failures.erase(key); }
  int count(const std::string& key) const;
  // Counts, logs, then raises a scripted failure.
  void Touch(const std::string& key, const std::string& detail = {}) const;

 private:
  mutable std::map<std::string, int> remaining_;
};

class SimControl : public Control {
 public:
  // A control of `kind` with the members that kind has.
  SimControl(std::string name, ControlKind kind, int index = -1);
  static std::unique_ptr<SimControl> Placed(std::string name, Single left, Single top, Single width,
                                            Single height, int index = -1);
  static std::unique_ptr<SimControl> Line(std::string name, Single x1, Single y1, Single x2,
                                          Single y2);
  static std::unique_ptr<SimControl> MenuItem(std::string name);

  ControlKind Kind() const override { return kind_; }
  bool Has(Member member) const override;
  std::string Name() const override;
  std::int32_t Index() const override;
  Single Left() const override { return Get("Left"); }
  void SetLeft(Single v) override { Set("Left", v); }
  Single Top() const override { return Get("Top"); }
  void SetTop(Single v) override { Set("Top", v); }
  Single Width() const override { return Get("Width"); }
  void SetWidth(Single v) override { Set("Width", v); }
  Single Height() const override { return Get("Height"); }
  void SetHeight(Single v) override { Set("Height", v); }
  Single X1() const override { return Get("X1"); }
  void SetX1(Single v) override { Set("X1", v); }
  Single Y1() const override { return Get("Y1"); }
  void SetY1(Single v) override { Set("Y1", v); }
  Single X2() const override { return Get("X2"); }
  void SetX2(Single v) override { Set("X2", v); }
  Single Y2() const override { return Get("Y2"); }
  void SetY2(Single v) override { Set("Y2", v); }
  void SetIntegralHeight(bool v) override { Set("IntegralHeight", v ? -1 : 0); }
  std::uint32_t hWnd() const override;
  void Today() override;
  void SelectDate(int year, int month, int day) override;
  double Year() const override { return Get("Year"); }
  double Month() const override { return Get("Month"); }
  double Day() const override { return Get("Day"); }

  // Direct access for tests (not counted).
  std::map<std::string, double> props;
  std::set<std::string> members;
  Members book;
  std::function<void()> on_today;
  const std::string& design_name() const { return name_; }
  int design_index() const { return index_; }

 protected:
  void DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
              std::optional<Single> height) override;

 private:
  Single Get(const std::string& member) const;
  void Set(const std::string& member, double value);
  ControlKind kind_;
  std::string name_;
  int index_;
};

class SimToolkit;

class SimWindow : public Window {
 public:
  SimWindow(SimToolkit& toolkit, WindowOwner* owner, std::string name);
  ~SimWindow() override;
  void AddTimerForSim(const ControlDesign& design, Toolkit& toolkit) {
    AddTimer(design, [&toolkit](std::function<void()> tick) {
      return toolkit.CreateTimer(std::move(tick));
    });
  }

  std::string Name() const override;
  Single Left() const override { return Get("Left"); }
  Single Top() const override { return Get("Top"); }
  Single Width() const override { return Get("Width"); }
  Single Height() const override { return Get("Height"); }
  Single ScaleWidth() const override;
  Single ScaleHeight() const override;
  bool Visible() const override;
  void SetVisible(bool value) override;
  bool MDIChild() const override;
  std::int16_t WindowState() const override;
  std::uint32_t hWnd() const override;
  std::uint32_t Icon() const override;
  std::string Caption() const override { return caption; }
  void PopupMenu(const std::string& menu) override;

  // Adds a control to the end of the collection.
  SimControl& Add(std::unique_ptr<SimControl> control);
  SimControl& control(const std::string& name, int index = -1) const;

  // The window's frame: outer size minus client size, in twips.
  Single frame_width = 120;
  Single frame_height = 645;
  bool mdi_child = false;
  std::string caption;
  std::map<std::string, double> props;
  Members book;
  // Runs inside PopupMenu, as the user's choice while the menu is open.
  std::function<void(const std::string& menu)> on_popup;
  std::vector<std::string> popups;
  // Outer size as set, before the toolkit clamps nothing: the sim keeps it.
  bool shown_once = false;

 protected:
  void DoSetWindowState(std::int16_t value) override;
  void DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
              std::optional<Single> height) override;

 private:
  Single Get(const std::string& member) const;
  SimToolkit& toolkit_;
  std::string name_;
  std::uint32_t handle_;
};

struct MessageBoxCall {
  std::string prompt;
  int buttons;
  std::string title;
};

struct ProcessCall {
  std::string command_line;
  StartupInfo startup;
  std::string directory;
};

class SimToolkit : public Toolkit {
 public:
  SimToolkit();

  AppInfo App() const override { return app; }
  void SetTaskVisible(bool visible) override;
  Single TwipsPerPixelX() const override;
  Single TwipsPerPixelY() const override { return twips_per_pixel; }
  std::int32_t SystemMetric(int index) const override;
  std::vector<Rect> WorkAreas() const override { return work_areas; }
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
  bool TrayAvailable() const override { return tray_available; }
  bool CreateProcess(const std::string& command_line, const StartupInfo& startup,
                     ProcessInformation& info, std::string& error) override;
  diary::Date CurrentDate() const override { return {today_year, today_month, today_day}; }
  int Run() override { return 0; }
  void Quit(int exit_code) override { quit_code = exit_code; }
  [[noreturn]] void Fatal(int exit_code) override { throw ProgramEnded{exit_code}; }

  // The windows built so far, by name (the latest instance).
  SimWindow& window(const std::string& name) const;
  bool HasWindow(const std::string& name) const;
  // Fires every running timer once.
  void FireTimers();
  int RunningTimers() const;

  AppInfo app{"/opt/Dayvane", "Dayvane", "Dayvane v2.0"};
  Single twips_per_pixel = 15;
  std::int32_t screen_width = 1024;
  std::int32_t screen_height = 768;
  std::vector<Rect> work_areas{{0, 0, 1024, 768}};
  bool tray_available = true;
  bool notify_result = true;
  bool process_result = true;
  std::optional<bool> task_visible;
  std::string current_directory = "/";
  int today_year = 2026, today_month = 12, today_day = 7;

  std::vector<std::string> log;  // every member touch and service call, in order
  std::deque<int> answers;       // message box results, in order (default kIdOk)
  std::vector<MessageBoxCall> boxes;
  // Runs once inside the next message box, before it is answered.
  std::function<void()> while_box_open;
  // Set by CloseModalUi: boxes return kIdNone from then on.
  bool modal_closed = false;
  void CloseModalUi() override {
    modal_closed = true;
    log.push_back("CloseModalUi");
  }
  std::vector<std::string> activated;
  std::vector<std::pair<std::uint32_t, NotifyIconBytes>> notify_calls;
  std::vector<ProcessCall> processes;
  std::map<std::string, std::string> files;  // path -> content
  std::map<std::string, ErrorKind> file_failures;
  // Names that open as something other than a regular file (a pipe with a
  // reader): the file opened says so.
  std::map<std::string, FileType> file_types;
  std::map<std::string, std::string> settings;  // "app/section/key" -> text
  // Batched updates of the store, and those that changed a text (a real
  // store replaces its file only for these).
  int settings_updates = 0;
  int store_replacements = 0;
  std::vector<std::string> extra_titles;  // other programs' windows
  std::optional<int> quit_code;
  int timers_made = 0;

  struct Timer;
  std::vector<Timer*> timers;
  std::map<std::string, SimWindow*> windows;
};

}  // namespace dv::sim
