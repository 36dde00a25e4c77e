// frmSplash, the start-up window: it hands over to the main window after
// two seconds, or at the first click or key press.
#pragma once

#include "runtime/forms.h"

namespace dv {

class FrmMain;

class FrmSplash : public Form {
 public:
  FrmSplash(Forms& forms, FrmMain& main);
  void OnLoad() override;
  void OnClick() override { HandOver(); }
  void OnKeyPress(int /*key_ascii*/) override { HandOver(); }
  void OnTimer(Control& /*timer*/) override { HandOver(); }

 private:
  // Unloads the splash, then loads the main window without showing it.
  void HandOver();
  FrmMain& main_;
};

}  // namespace dv
