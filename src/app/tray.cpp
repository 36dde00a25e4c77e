// The tray icon's callback: the shell's mouse messages arrive as mouse-move
// events of `hook`, the message number carried in X (in twips).
#include "app/frm_main.h"
#include "platform/toolkit.h"
#include "platform/trace.h"

namespace dv {

void FrmMain::OnMouseMove(Control& source, int /*button*/, int /*shift*/, Single x, Single /*y*/) {
  if (&source == &hook()) TrayCallback(x);
}

void FrmMain::TrayCallback(Single x) {
  Toolkit& tk = toolkit();
  TrayMessage = CLng(FDiv(x, tk.TwipsPerPixelX()));
  // A callback that arrives while one is being handled (inside the pop-up
  // menu, or while the window is shown) is turned away.
  if (TrayBusy != 0) return;
  TrayBusy = -1;
  Window& me = window();
  if (TrayMessage == kWmLButtonDblClk) {
    Trace("tray-activate");
    if (me.WindowState() == 1) me.SetWindowState(0);
    me.Show();
    if (me.WindowState() != 1) AppActivate(tk, kActivateTitle);
  } else if (TrayMessage == kWmRButtonUp) {
    me.PopupMenu("mnuQuit");
  } else if (TrayMessage == kWmMButtonUp) {
    Trace("tray-today");
    OpenNote(tk.CurrentDate());
  }
  TrayBusy = 0;
}

void FrmMain::TrayChanged(bool available) {
  if (available || !IsLoaded()) return;
  Window& me = window();
  if (me.Visible()) return;
  if (me.WindowState() == 1) me.SetWindowState(0);
  me.Show();
}

}  // namespace dv
