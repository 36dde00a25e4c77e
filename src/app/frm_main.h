// frmMain, the main window: its lifecycle, the tray icon and its callback,
// the menu commands and the day notes. frmSplash (frm_splash.h) hands over
// to it; frmAbout (frm_about.h) is the About window it shows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "diary/diary.h"
#include "form_plus/form_plus.h"
#include "platform/records.h"
#include "runtime/forms.h"
#include "runtime/services.h"

namespace dv {

class FrmAbout;

class FrmMain : public Form {
 public:
  static constexpr const char* kTrayTip = "Double-click to start Dayvane.";
  static constexpr const char* kActivateTitle = "Dayvane";

  FrmMain(Forms& forms, FrmAbout& about);

  // The primary screen's size in pixels, read by the load step.
  Single HorzRes = 0;
  Single VertRes = 0;
  // The tray handler's persistent values: busy while acting on a message
  // (0 false, -1 true), and the message decoded from the latest callback.
  std::int16_t TrayBusy = 0;
  std::int32_t TrayMessage = 0;

  void OnLoad() override;
  void OnResize() override;
  void OnQueryUnload(int& cancel, int reason) override;
  void OnUnload(int& cancel) override;
  void OnMouseMove(Control& source, int button, int shift, Single x, Single y) override;
  void OnMenuClick(const std::string& menu) override;
  void OnDblClick(Control& source) override;

  const NotifyIconData& tray_icon_data() const { return TrayIconData; }
  const std::shared_ptr<FormPlus>& keeper() const { return fpForm; }

  // The notes file of the calendar's selected date: "M-D-YYYY.txt".
  std::string NoteFileName();
  // Opens a day's notes as a double-click on its date does; the calendar,
  // when shown, moves to the date first. The middle click on the icon, a
  // start with --today or --date and a later start's request come here.
  void OpenNote(const diary::Date& date);

 private:
  void TrayCallback(Single x);
  // The notification area went away (or came back): a hidden window would
  // be out of reach, so it is shown.
  void TrayChanged(bool available);
  void MenuToday();
  void MenuAbout();
  void MenuQuitApp();
  void DayNotes(const diary::Date& date);
  Control& Calendar1() { return window().ControlNamed("Calendar1"); }
  Control& hook() { return window().ControlNamed("hook"); }

  FrmAbout& about_;
  NotifyIconData TrayIconData;
  std::shared_ptr<FormPlus> fpForm;
  FileTable files_;
};

}  // namespace dv
