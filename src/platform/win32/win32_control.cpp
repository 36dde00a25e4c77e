// The controls of a window on the Win32 API.
#include <functional>

#include "platform/errors.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_window.h"

namespace dv::win32 {

Win32Control::Win32Control(Win32Window& window, const ControlDesign& design, HWND native)
    : PlacedControl(design), window_(window), native_(native) {
  if (IsCalendar()) {
    Win32Toolkit& toolkit = window.toolkit();
    CalendarHost host;
    host.wait = [&toolkit](HANDLE event, std::function<void()> signalled) {
      toolkit.SetWaitHandle(event, std::move(signalled));
    };
    host.double_clicked = [this] { window_.RaiseDblClick(*this); };
    view_ = std::make_unique<CalendarView>(native_, design, toolkit.App().Path, std::move(host));
  } else if (design.kind == ControlKind::PictureBox) {
    SetWindowLongPtrA(native_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  Place();
}

Win32Control::~Win32Control() {
  // Usually gone already with its window.
  if (!IsWindow(native_)) return;
  if (design().kind == ControlKind::PictureBox) {
    SetWindowLongPtrA(native_, GWLP_USERDATA, 0);
  }
}

void Win32Control::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA cls{};
  cls.cbSize = sizeof(cls);
  cls.lpfnWndProc = PictureProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = kPictureClass;
  RegisterClassExA(&cls);
}

std::uint32_t Win32Control::hWnd() const {
  if (!IsCalendar() && design().kind != ControlKind::PictureBox) return Control::hWnd();
  return Handle32(native_);
}

SYSTEMTIME Win32Control::Selected() const {
  if (!IsCalendar()) Raise(ErrorKind::MemberNotSupported);
  SYSTEMTIME selected{};
  SendMessageA(native_, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&selected));
  return selected;
}

void Win32Control::Today() {
  if (!IsCalendar()) Control::Today();
  SYSTEMTIME today{};
  GetLocalTime(&today);
  view_->Select({today.wYear, today.wMonth, today.wDay});
}

void Win32Control::SelectDate(int year, int month, int day) {
  if (!IsCalendar()) Control::SelectDate(year, month, day);
  view_->Select({year, month, day});
}

double Win32Control::Year() const { return Selected().wYear; }
double Win32Control::Month() const { return Selected().wMonth; }
double Win32Control::Day() const { return Selected().wDay; }

void Win32Control::Place() {
  const Rect r = PixelRect(Left(), Top(), Width(), Height(), window_.tpp());
  MoveWindow(native_, r.left, r.top, r.width, r.height, TRUE);
}

LRESULT CALLBACK Win32Control::PictureProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* control = reinterpret_cast<Win32Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (control != nullptr && message == WM_MOUSEMOVE) {
    // Also the shell's tray callback: its message number arrives as X.
    const int button = ((wparam & MK_LBUTTON) != 0 ? 1 : 0) | ((wparam & MK_RBUTTON) != 0 ? 2 : 0) |
                       ((wparam & MK_MBUTTON) != 0 ? 4 : 0);
    const int shift = ((wparam & MK_SHIFT) != 0 ? 1 : 0) | ((wparam & MK_CONTROL) != 0 ? 2 : 0);
    Win32Toolkit& toolkit = control->window().toolkit();
    const Single x = static_cast<Single>(GET_X_LPARAM(lparam)) * toolkit.TwipsPerPixelX();
    const Single y = static_cast<Single>(GET_Y_LPARAM(lparam)) * toolkit.TwipsPerPixelY();
    control->window().RaiseMouseMove(*control, button, shift, x, y);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace dv::win32
