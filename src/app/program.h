// The whole program on a toolkit: the three windows, started with the splash.
#pragma once

#include "app/frm_about.h"
#include "app/frm_main.h"
#include "app/frm_splash.h"
#include "runtime/forms.h"

namespace dv {

class Program {
 public:
  explicit Program(Toolkit& toolkit);
  // Shows the splash and runs until the last window is gone; the exit code.
  // The main window is prepared while the splash is up.
  int Run() { return forms.Run(splash, &main.design()); }
  // Closes every window as a desktop shutdown does.
  void Shutdown() { forms.UnloadAll(); }

  Forms forms;
  FrmAbout about;
  FrmMain main;
  FrmSplash splash;
};

}  // namespace dv
