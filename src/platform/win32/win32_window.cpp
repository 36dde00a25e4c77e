#include "platform/win32/win32_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/errors.h"
#include "platform/screen.h"
#include "platform/trace.h"
#include "platform/win32/win32_image.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_toolkit.h"

namespace dv::win32 {

namespace {

constexpr const char* kFormClass = "DayvaneForm";
constexpr UINT kFirstCommand = 100;

// rcNormalPosition is in workspace coordinates: relative to the work area
// of the window's monitor. The offset between those and the screen's.
POINT WorkspaceOffset(const RECT& screen_rect) {
  HMONITOR monitor = MonitorFromRect(&screen_rect, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (monitor == nullptr || !GetMonitorInfoA(monitor, &info)) return {0, 0};
  return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

int ScreenDpiY() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The resolution a window is drawn at: its monitor's where the system keeps
// one per monitor (GetDpiForWindow, Windows 10 1607 and later, looked up at
// run time so that the program starts on older systems too), else the
// screen's.
int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (get_dpi != nullptr && hwnd != nullptr) {
    const UINT dpi = get_dpi(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpiY();
}

}  // namespace

void Win32Window::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA cls{};
  cls.cbSize = sizeof(cls);
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hIcon = LoadIcon(instance, MAKEINTRESOURCE(1));
  cls.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = kFormClass;
  RegisterClassExA(&cls);
}

Win32Window::Win32Window(Win32Toolkit& toolkit, const FormDesign& design, WindowOwner& owner)
    : Window(&owner),
      toolkit_(toolkit),
      design_(design),
      tpp_(toolkit.TwipsPerPixelX()),
      picture_(design.picture) {
  if (design.border == Border::None) {
    style_ = WS_POPUP | WS_CLIPCHILDREN;
  } else {
    style_ = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (design.control_box) style_ |= WS_SYSMENU;
    if (design.min_button) style_ |= WS_MINIMIZEBOX;
    if (design.max_button) style_ |= WS_MAXIMIZEBOX;
  }
  if (!design.menus.empty()) BuildMenus();
  CreateNative();
  if (!design.icon.empty()) SetIcons();
  BuildControls();
  ready_ = true;
}

// Built at the screen's resolution; once the window exists, it takes that
// of the monitor it is on, and its client area the designed size there.
void Win32Window::CreateNative() {
  RECT outer{0, 0, TwipsToPixels(design_.client_width, tpp_),
             TwipsToPixels(design_.client_height, tpp_)};
  AdjustWindowRectEx(&outer, style_, menu_bar_ != nullptr, ex_style_);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  int left = 0;
  int top = 0;
  if (design_.centred) {
    left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
  hwnd_ = CreateWindowExA(ex_style_, kFormClass, toolkit_.ToAnsi(design_.caption).c_str(), style_,
                          left, top, width, height, nullptr, menu_bar_, toolkit_.instance(), this);
  if (hwnd_ == nullptr) {
    Raise(ErrorKind::InvalidProcedureCall,
          "window " + design_.name + ": " + SystemErrorText(GetLastError()));
  }
  dpi_ = WindowDpi(hwnd_);
  tpp_ = TwipsPerPixelAt(dpi_);
  // A menu bar that wraps takes more room than AdjustWindowRectEx allows,
  // and the monitor's resolution may differ from the screen's.
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int more_width = TwipsToPixels(design_.client_width, tpp_) - client.right;
  const int more_height = TwipsToPixels(design_.client_height, tpp_) - client.bottom;
  if (more_width != 0 || more_height != 0) {
    SetWindowPos(hwnd_, nullptr, 0, 0, width + more_width, height + more_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The window's icon is the big one; the title bar, the task bar's small
// buttons and the tray (see NativeNotifyIcon) take the one drawn small.
void Win32Window::SetIcons() {
  icon_ = IconFromFile(design_.icon, GetSystemMetrics(SM_CXICON));
  small_icon_ = IconFromFile(design_.icon, GetSystemMetrics(SM_CXSMICON));
  if (icon_ != nullptr) SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  if (small_icon_ != nullptr) {
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
  }
}

Win32Window::~Win32Window() {
  *alive_ = false;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);  // its children and its menu bar with it
  if (icon_ != nullptr) DestroyIcon(icon_);
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
  for (HICON icon : control_icons_) DestroyIcon(icon);
  for (const auto& [key, font] : fonts_) DeleteObject(font);
}

void Win32Window::BuildMenus() {
  menu_bar_ = CreateMenu();
  const auto add_items = [this](HMENU menu, const std::vector<MenuDesign>& items,
                                const auto& self) -> void {
    for (const MenuDesign& item : items) {
      const std::string caption = toolkit_.ToAnsi(item.caption);
      if (item.items.empty()) {
        commands_.push_back(item.name);
        AppendMenuA(menu, MF_STRING, kFirstCommand + commands_.size() - 1, caption.c_str());
        continue;
      }
      HMENU sub = CreatePopupMenu();
      self(sub, item.items, self);
      AppendMenuA(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
      popups_[item.name] = sub;
    }
  };
  add_items(menu_bar_, design_.menus, add_items);
}

HFONT Win32Window::FontFor(const Font& font) {
  const std::string key = font.face + "|" + std::to_string(font.points) + "|" +
                          std::to_string(font.weight) + "|" + std::to_string(font.italic) +
                          std::to_string(font.underline) + std::to_string(font.strikethrough);
  HFONT& handle = fonts_[key];
  if (handle == nullptr) {
    const int height = -static_cast<int>(std::lround(font.points * dpi_ / 72.0));
    handle = CreateFontA(height, 0, 0, 0, font.weight, font.italic, font.underline,
                         font.strikethrough, static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                         toolkit_.ToAnsi(font.face).c_str());
  }
  return handle;
}

void Win32Window::SetControlFont(HWND control, const Font& font) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font)), TRUE);
  font_users_.emplace_back(control, font);
}

// The window went to a monitor of another resolution (or that monitor's
// changed): the rectangle the system suggests for it there, fonts made for
// the new resolution, and the controls placed again in its pixels.
void Win32Window::ChangeDpi(int dpi, const RECT& suggested) {
  if (dpi <= 0) return;
  const std::shared_ptr<bool> alive = alive_;
  dpi_ = dpi;
  tpp_ = TwipsPerPixelAt(dpi);
  std::map<std::string, HFONT> old_fonts;
  old_fonts.swap(fonts_);
  for (const auto& [control, font] : font_users_) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font)), TRUE);
  }
  for (const auto& [key, font] : old_fonts) DeleteObject(font);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!*alive) return;
  // The resize notification placed the controls that the layout moved;
  // the others keep their twips, now at other pixels.
  for (Win32Control* control : placed_) control->Place();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32Window::BuildControls() {
  HINSTANCE instance = toolkit_.instance();
  int id = 1;
  for (const ControlDesign& design : design_.controls) {
    HWND native = nullptr;
    const auto child = [&](const char* cls, DWORD style, const std::string& text) {
      return CreateWindowExA(0, cls, toolkit_.ToAnsi(text).c_str(), WS_CHILD | style, 0, 0, 0, 0,
                             hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance,
                             nullptr);
    };
    switch (design.kind) {
      case ControlKind::Timer:
        AddTimer(design, toolkit_);
        continue;
      case ControlKind::Calendar: {
        // The program draws it, days with notes in bold (CalendarView):
        // the control keeps the date.
        native = child(MONTHCAL_CLASSA, WS_VISIBLE | WS_TABSTOP | MCS_NOTODAY, "");
        break;
      }
      case ControlKind::Label: {
        const DWORD align = design.alignment == Alignment::Center ? SS_CENTER : SS_LEFT;
        native = child("STATIC", WS_VISIBLE | align, design.caption);
        SetControlFont(native, design.font.value_or(design_.font));
        break;
      }
      case ControlKind::Image: {
        native = child("STATIC", WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, "");
        if (HICON icon = IconFromFile(design.picture)) {
          control_icons_.push_back(icon);
          SendMessageA(native, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
        break;
      }
      case ControlKind::PictureBox:
      case ControlKind::Line:
      case ControlKind::Menu:
        native = child(Win32Control::kPictureClass, design.drawn ? WS_VISIBLE : 0, "");
        break;
    }
    auto control = std::make_unique<Win32Control>(*this, design, native);
    if (control->view_ != nullptr) calendar_ = control->view_.get();
    placed_.push_back(control.get());
    AddControl(std::move(control), design.name, design.index);
  }
  AddMenuItems(design_.menus);
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* window =
        static_cast<Win32Window*>(reinterpret_cast<const CREATESTRUCTA*>(lparam)->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  return window->HandleMessage(message, wparam, lparam);
}

// Every notification may unload and so destroy this window: each case
// returns straight after raising one.
LRESULT Win32Window::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (calendar_ != nullptr) calendar_->WindowMessage(message, wparam, lparam);
  switch (message) {
    case WM_SIZE:
      ++size_messages_;
      if (ready_) RaiseResize();
      return 0;
    case WM_CLOSE:
      RaiseCloseRequest(kFormControlMenu);
      return 0;
    case WM_DPICHANGED:
      ChangeDpi(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_QUERYENDSESSION: {
      const std::shared_ptr<bool> alive = alive_;
      RaiseCloseRequest(kAppWindows);
      // Still loaded: the program refused to close.
      return !*alive || owner() == nullptr ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
      if (wparam != FALSE) RaiseCloseRequest(kAppWindows);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wparam) == 0 && lparam == 0 && LOWORD(wparam) >= kFirstCommand &&
          LOWORD(wparam) - kFirstCommand < commands_.size()) {
        const std::string name = commands_[LOWORD(wparam) - kFirstCommand];
        RaiseMenuClick(name);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      RaiseClick();
      return 0;
    case WM_CHAR:
      RaiseKeyPress(static_cast<int>(static_cast<unsigned char>(wparam)));
      return 0;
    case WM_PAINT:
      if (!picture_.empty()) {
        Paint();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wparam, lparam);
}

void Win32Window::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd_, &paint);
  // Over the whole client area: at another resolution than 96 dpi the
  // window's twips are more or fewer pixels than the picture has.
  RECT client{};
  GetClientRect(hwnd_, &client);
  picture_.Draw(dc, client);
  EndPaint(hwnd_, &paint);
}

std::int16_t Win32Window::NativeState() const {
  if (IsIconic(hwnd_)) return 1;
  if (IsZoomed(hwnd_)) return 2;
  return 0;
}

RECT Win32Window::NormalRect() const {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(hwnd_, &placement);
  RECT rect = placement.rcNormalPosition;
  const POINT offset = WorkspaceOffset(rect);
  OffsetRect(&rect, offset.x, offset.y);
  return rect;
}

void Win32Window::SetNormalRect(const RECT& rect) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(hwnd_, &placement);
  placement.rcNormalPosition = rect;
  const POINT offset = WorkspaceOffset(rect);
  OffsetRect(&placement.rcNormalPosition, -offset.x, -offset.y);
  if (!IsWindowVisible(hwnd_)) {
    placement.showCmd = SW_HIDE;
  } else if (IsIconic(hwnd_)) {
    placement.showCmd = SW_SHOWMINNOACTIVE;
  } else if (IsZoomed(hwnd_)) {
    placement.showCmd = SW_SHOWMAXIMIZED;
  } else {
    placement.showCmd = SW_SHOWNOACTIVATE;
  }
  SetWindowPlacement(hwnd_, &placement);
}

RECT Win32Window::Outer() const {
  // The program sees a normal window: a minimised or maximised native one
  // that it has put back (or is hidden) reports where it returns to.
  if (NativeState() != 0 && WindowState() == 0) return NormalRect();
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  return rect;
}

SIZE Win32Window::FrameSize() const {
  RECT rect{0, 0, 0, 0};
  AdjustWindowRectEx(&rect, style_, menu_bar_ != nullptr, ex_style_);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// A position is on the desktop's scale (the screen's resolution), the same
// for every window wherever it is; a size on the scale of the window's
// monitor.
Single Win32Window::Left() const { return PixelsToTwips(Outer().left, toolkit_.TwipsPerPixelX()); }
Single Win32Window::Top() const { return PixelsToTwips(Outer().top, toolkit_.TwipsPerPixelY()); }
Single Win32Window::Width() const {
  const RECT r = Outer();
  return PixelsToTwips(r.right - r.left, tpp_);
}
Single Win32Window::Height() const {
  const RECT r = Outer();
  return PixelsToTwips(r.bottom - r.top, tpp_);
}

SIZE Win32Window::ClientSize() const {
  if (NativeState() != 0 && WindowState() == 0) {
    // Hidden in another state than the program gave it: the client area of
    // the normal bounds it returns to.
    const RECT r = NormalRect();
    const SIZE frame = FrameSize();
    return {std::max(0L, r.right - r.left - frame.cx), std::max(0L, r.bottom - r.top - frame.cy)};
  }
  RECT client{};
  GetClientRect(hwnd_, &client);
  return {client.right, client.bottom};
}

Single Win32Window::ScaleWidth() const { return PixelsToTwips(ClientSize().cx, tpp_); }
Single Win32Window::ScaleHeight() const { return PixelsToTwips(ClientSize().cy, tpp_); }

bool Win32Window::Visible() const { return IsWindowVisible(hwnd_) != FALSE; }

void Win32Window::SetVisible(bool value) {
  if (value == Visible()) return;
  if (!value) {
    hidden_state_ = NativeState();
    ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  const std::shared_ptr<bool> alive = alive_;
  const std::int16_t state = hidden_state_;
  // A placement that no screen shows (a monitor gone, a smaller screen) is
  // brought onto the nearest work area.
  const bool normal = NativeState() == 0;
  RECT bounds{};
  if (normal) {
    GetWindowRect(hwnd_, &bounds);
  } else {
    bounds = NormalRect();
  }
  const Rect fitted = FitOnScreen(ToRect(bounds), toolkit_.WorkAreas());
  if (fitted != ToRect(bounds)) {
    if (normal) {
      SetWindowPos(hwnd_, nullptr, fitted.left, fitted.top, fitted.width, fitted.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      if (!*alive) return;
    } else {
      SetNormalRect(ToRECT(fitted));
    }
  }
  const int size_messages = size_messages_;
  ShowWindow(hwnd_, state == 1 ? SW_SHOWMINIMIZED : state == 2 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  if (!*alive) return;
  // Restoring a minimised window may bring back its maximised state.
  if (state == 0 && IsZoomed(hwnd_)) {
    ShowWindow(hwnd_, SW_RESTORE);
    if (!*alive) return;
  }
  UpdateWindow(hwnd_);
  Trace("shown " + design_.name);
  // A window is laid out when it is first shown, whether or not its size
  // changed on the way.
  if (!shown_once_) {
    shown_once_ = true;
    if (size_messages_ == size_messages) RaiseResize();
  }
}

std::int16_t Win32Window::WindowState() const { return Visible() ? NativeState() : hidden_state_; }

void Win32Window::DoSetWindowState(std::int16_t value) {
  if (!Visible()) {
    // Applied when the window is shown.
    if (hidden_state_ == value) return;
    hidden_state_ = value;
    RaiseResize();
    return;
  }
  if (NativeState() == value) return;
  const std::shared_ptr<bool> alive = alive_;
  switch (value) {
    case 1:
      ShowWindow(hwnd_, SW_MINIMIZE);
      break;
    case 2:
      ShowWindow(hwnd_, SW_MAXIMIZE);
      break;
    default:
      ShowWindow(hwnd_, SW_RESTORE);
      if (*alive && IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
      break;
  }
}

void Win32Window::DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
                         std::optional<Single> height) {
  const Rect r =
      MovedBounds(ToRect(Outer()), left, top, width, height, toolkit_.TwipsPerPixelX(), tpp_);
  if (NativeState() != 0) {
    // Minimised or maximised: these are the bounds it returns to.
    SetNormalRect(ToRECT(r));
    return;
  }
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::uint32_t Win32Window::hWnd() const { return Handle32(hwnd_); }

std::uint32_t Win32Window::Icon() const { return Handle32(icon_); }

void Win32Window::PopupMenu(const std::string& menu) {
  const auto found = popups_.find(menu);
  if (found == popups_.end()) Raise(ErrorKind::InvalidProcedureCall, menu);
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if its window is
  // the foreground one; the posted message lets it close after a choice.
  SetForegroundWindow(hwnd_);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(found->second, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0,
                     hwnd_, nullptr));
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  if (chosen >= kFirstCommand && chosen - kFirstCommand < commands_.size()) {
    const std::string name = commands_[chosen - kFirstCommand];
    RaiseMenuClick(name);
  }
}

}  // namespace dv::win32
