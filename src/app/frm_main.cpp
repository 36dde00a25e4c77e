// frmMain's lifecycle: the load, resize, query-unload and unload steps.
#include "app/frm_main.h"

#include "app/frm_about.h"
#include "app/window_designs.h"
#include "form_resize/form_resize.h"
#include "platform/errors.h"
#include "platform/toolkit.h"
#include "platform/trace.h"

namespace dv {

FrmMain::FrmMain(Forms& forms, FrmAbout& about)
    : Form(forms, MainFormDesign()), about_(about), files_(forms.toolkit()) {}

void FrmMain::OnLoad() {
  Toolkit& tk = toolkit();
  Window& me = window();
  // 1. Notes files are opened by bare name: they land in the program folder.
  tk.ChangeDirectory(tk.App().Path);
  // 2. The tray icon, from here on, while the window is still hidden.
  TrayIconData.cbSize = kNotifyIconDataSize;
  TrayIconData.hWnd = hook().hWnd();
  TrayIconData.uID = 1;
  TrayIconData.uFlags = kNifMessage | kNifIcon | kNifTip;
  TrayIconData.uCallbackMessage = kWmMouseMove;
  TrayIconData.hIcon = me.Icon();
  TrayIconData.szTip = TipField(tk.ToAnsi(kTrayTip));
  // A note asked for from outside; one asked for during the start waits for
  // the icon, and so comes after this load.
  tk.NoteRequested = [this](const diary::Date& date) {
    forms().Deliver([this, date] { OpenNote(date); });
  };
  const bool in_tray = tk.NotifyIcon(kNimAdd, TrayIconData);
  Trace("icon-added");
  tk.TrayChanged = [this](bool available) {
    forms().Deliver([this, available] { TrayChanged(available); });
  };
  // 3. Hidden; no task-list entry of its own.
  me.Hide();
  tk.SetTaskVisible(false);
  // 4. Records the designed geometry.
  ResizeForm(me);
  // 5.
  Calendar1().Today();
  // 6.
  HorzRes = static_cast<Single>(tk.SystemMetric(0));
  VertRes = static_cast<Single>(tk.SystemMetric(1));
  // 7. Stored before binding, so that the restore's resize events find it.
  fpForm = std::make_shared<FormPlus>(tk);
  fpForm->ErrorMessage = [this](std::string& Message) { MsgBox(toolkit(), Message, kMbOk); };
  // 8. Restores the saved placement and writes it back.
  fpForm->SetForm(&me);
  // Without a notification area the program would be invisible and out of
  // reach: show the window instead.
  if (!in_tray) me.Show();
  Trace("main-loaded");
}

void FrmMain::OnResize() {
  Window& me = window();
  // A minimised window leaves the task bar; the tray icon brings it back.
  // With no notification area there is no way back, so it stays.
  if (me.WindowState() == 1 && toolkit().TrayAvailable()) me.Hide();
  if (fpForm) fpForm->Resize();
  ResizeForm(me);
  Trace("resized errors=" + std::to_string(ToolkitErrorsRaised()));
}

void FrmMain::OnQueryUnload(int& /*cancel*/, int /*reason*/) {
  toolkit().TrayChanged = nullptr;
  toolkit().NoteRequested = nullptr;
  TrayIconData.cbSize = kNotifyIconDataSize;
  TrayIconData.hWnd = hook().hWnd();
  TrayIconData.uID = 1;
  toolkit().NotifyIcon(kNimDelete, TrayIconData);
}

void FrmMain::OnUnload(int& /*cancel*/) { FormPlus::Release(fpForm); }

}  // namespace dv
