// frmSplash's handlers: the timer armed at load, and the hand-over.
#include "app/frm_splash.h"

#include "app/frm_main.h"
#include "app/window_designs.h"
#include "platform/trace.h"

namespace dv {

FrmSplash::FrmSplash(Forms& forms, FrmMain& main) : Form(forms, SplashFormDesign()), main_(main) {}

void FrmSplash::OnLoad() {
  Trace("splash-load");
  Control& timer = window().ControlNamed("Timer");
  timer.SetInterval(2000);
  timer.SetEnabled(true);
}

void FrmSplash::HandOver() {
  if (!IsLoaded()) return;
  Trace("splash-end");
  Unload();
  main_.Load();
}

}  // namespace dv
