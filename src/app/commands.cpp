// The menu commands Today, About and Quit.
#include "app/frm_main.h"

#include "app/frm_about.h"
#include "platform/toolkit.h"

namespace dv {

void FrmMain::OnMenuClick(const std::string& menu) {
  if (menu == "menuToday") {
    MenuToday();
  } else if (menu == "menuAbout") {
    MenuAbout();
  } else if (menu == "mnuQuitApp") {
    MenuQuitApp();
  }
}

void FrmMain::MenuToday() { Calendar1().Today(); }

void FrmMain::MenuAbout() { about_.Show(); }

void FrmMain::MenuQuitApp() {
  const std::int16_t answer =
      CInt(MsgBox(toolkit(), "Are you sure you want to exit?", kMbYesNo, "Confirm Exit"));
  if (answer == kIdYes) {
    Unload();
  } else if (answer == kIdNo) {
    Window& me = window();
    if (me.WindowState() == 1) {
      me.SetWindowState(0);
      me.Show();
    }
  }
}

}  // namespace dv
