// The toolkit on Qt 6 Widgets: top-level QWidgets, QCalendarWidget,
// QMenuBar, QMessageBox, QTimer, QSettings and QSystemTrayIcon.
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/toolkit.h"

class QApplication;
class QMenu;
class QMessageBox;
class QSystemTrayIcon;

namespace dv::qt {

class SettingsStore;
class QtWindow;
class QtControl;

class QtToolkit : public Toolkit {
 public:
  QtToolkit(QApplication& app, std::string title);
  ~QtToolkit() override;

  AppInfo App() const override { return app_info_; }
  Single TwipsPerPixelX() const override;
  Single TwipsPerPixelY() const override;
  std::int32_t SystemMetric(int index) const override;
  std::vector<Rect> WorkAreas() const override;
  std::unique_ptr<Window> CreateWindow(const FormDesign& design, WindowOwner& owner) override;
  void Prepare(const FormDesign& design) override;
  // A window has been painted for the first time since it was shown.
  void WindowPainted();
  std::unique_ptr<NativeTimer> CreateTimer(std::function<void()> tick) override;
  int ShowMessageBox(const std::string& prompt, int buttons, const std::string& title) override;
  std::vector<TopLevelWindow> TopLevelWindows() const override;
  void ActivateWindow(std::uintptr_t id) override;
  std::unique_ptr<OpenFile> OpenForAppend(const std::string& name) override;
  std::optional<std::string> ReadSetting(const std::string& app, const std::string& section,
                                         const std::string& key) override;
  void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                    const std::string& value) override;
  void WriteSettings(const std::string& app, const std::string& section,
                     const SettingValues& values) override;
  bool NotifyIcon(std::uint32_t operation, const NotifyIconData& record) override;
  bool TrayAvailable() const override;
  void CloseModalUi() override;
  bool CreateProcess(const std::string& command_line, const StartupInfo& startup,
                     ProcessInformation& info, std::string& error) override;
  int Run() override;
  void Quit(int exit_code) override;
  [[noreturn]] void Fatal(int exit_code) override;

  // Native handles: windows and controls register a 32-bit handle.
  std::uint32_t Register(QtControl* control);
  std::uint32_t Register(QtWindow* window);
  void Unregister(std::uint32_t handle);
  std::uint32_t RegisterIcon(const QIcon& icon);
  QIcon IconFor(std::uint32_t handle) const;
  const std::vector<QtWindow*>& windows() const { return windows_; }
  // The item chosen in the tray host's own menu for `menu`, once.
  std::optional<std::string> TakeTrayChoice(const std::string& menu);
  // Another start asked for the main window: the tray icon's window gets a
  // left double-click, now or as soon as the icon is added.
  void ShowRequested();
  // The command line or another start asked for a day's notes: handed to
  // NoteRequested from the event loop, once the main window has loaded
  // (the request waits for the tray icon, which the load adds).
  void OpenNoteRequested(const diary::Date& date);
  // The program folder is made when the notes first need it.
  void ChangeDirectory(const std::string& path) override;
  // Set once the program is ending: no box or menu opens any more.
  bool ending() const { return ending_; }

 private:
  struct TrayEntry;
  SettingsStore& Settings(const std::string& app);
  void DeliverTrayMessage(std::uint32_t hwnd, std::int32_t message);
  void SendTrayMessage(std::uint32_t hwnd, std::int32_t message);
  std::unique_ptr<QMenu> ExportedTrayMenu(std::uint32_t hwnd);
  void WatchTray();

  QApplication& app_;
  AppInfo app_info_;
  std::uint32_t next_handle_ = 0x10000;
  std::map<std::uint32_t, QtControl*> controls_;
  std::vector<QtWindow*> windows_;
  std::map<std::uint32_t, QtWindow*> window_handles_;
  std::map<std::uint32_t, QIcon> icons_;
  std::map<std::string, std::unique_ptr<SettingsStore>> settings_;
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::unique_ptr<TrayEntry>> tray_;
  std::vector<std::unique_ptr<TrayEntry>> removed_tray_;
  std::optional<std::pair<std::string, std::string>> tray_choice_;  // menu, item
  QList<QPointer<QMessageBox>> open_boxes_;
  bool ending_ = false;
  bool tray_watched_ = false;
  std::vector<const FormDesign*> to_prepare_;
  std::map<const FormDesign*, std::unique_ptr<QtWindow>> prepared_;
  bool show_requested_ = false;
  std::optional<diary::Date> note_requested_;
};

}  // namespace dv::qt
