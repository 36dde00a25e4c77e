// Windows and controls on the Win32 API. A window's bounds are its outer
// rectangle (GetWindowRect) in twips, its scale area the client area below
// the menu bar.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_calendar.h"
#include "platform/win32/win32_image.h"
#include "platform/window.h"

namespace dv::win32 {

class Win32Toolkit;
class Win32Window;

class Win32Control : public PlacedControl {
 public:
  Win32Control(Win32Window& window, const ControlDesign& design, HWND native);
  ~Win32Control() override;
  std::uint32_t hWnd() const override;
  void Today() override;
  void SelectDate(int year, int month, int day) override;
  double Year() const override;
  double Month() const override;
  double Day() const override;

  HWND native() const { return native_; }
  Win32Window& window() const { return window_; }
  // Registers the window classes of the controls that are ours.
  static void RegisterClasses(HINSTANCE instance);
  static constexpr const char* kPictureClass = "DayvanePicture";

 protected:
  void Place() override;

 private:
  static LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  SYSTEMTIME Selected() const;
  bool IsCalendar() const { return design().kind == ControlKind::Calendar; }
  friend class Win32Window;  // places its controls again when its resolution changes

  Win32Window& window_;
  HWND native_;
  std::unique_ptr<CalendarView> view_;  // the calendar's drawing, for a calendar
};

class Win32Window : public Window {
 public:
  Win32Window(Win32Toolkit& toolkit, const FormDesign& design, WindowOwner& owner);
  ~Win32Window() override;

  std::string Name() const override { return design_.name; }
  Single Left() const override;
  Single Top() const override;
  Single Width() const override;
  Single Height() const override;
  Single ScaleWidth() const override;
  Single ScaleHeight() const override;
  bool Visible() const override;
  void SetVisible(bool value) override;
  std::int16_t WindowState() const override;
  std::uint32_t hWnd() const override;
  std::uint32_t Icon() const override;
  std::string Caption() const override { return design_.caption; }
  void PopupMenu(const std::string& menu) override;

  HWND hwnd() const { return hwnd_; }
  Win32Toolkit& toolkit() const { return toolkit_; }
  Single tpp() const { return tpp_; }
  HFONT FontFor(const Font& font);
  // Registers the top-level window class.
  static void RegisterClasses(HINSTANCE instance);

 protected:
  void DoSetWindowState(std::int16_t value) override;
  void DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
              std::optional<Single> height) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateNative();
  void SetIcons();
  void BuildMenus();
  void BuildControls();
  // Sets a control's font, and again whenever the window's resolution changes.
  void SetControlFont(HWND control, const Font& font);
  void ChangeDpi(int dpi, const RECT& suggested);
  void Paint();
  // The actual state of the native window, from its style.
  std::int16_t NativeState() const;
  // The outer rectangle the program sees, in screen pixels.
  RECT Outer() const;
  // The normal-state rectangle in screen pixels, and setting it.
  RECT NormalRect() const;
  void SetNormalRect(const RECT& rect);
  // The frame around the client area: outer size minus client size.
  SIZE FrameSize() const;
  // The client area's size in pixels, as ScaleWidth and ScaleHeight report it.
  SIZE ClientSize() const;

  Win32Toolkit& toolkit_;
  const FormDesign& design_;
  // The resolution of the window's monitor, and twips per pixel there.
  int dpi_ = 96;
  Single tpp_;
  HWND hwnd_ = nullptr;
  HMENU menu_bar_ = nullptr;
  std::map<std::string, HMENU> popups_;  // the submenus by name
  std::vector<std::string> commands_;    // menu item names by command id - kFirstCommand
  HICON icon_ = nullptr;                 // the window's icon, as big as the system's icons
  HICON small_icon_ = nullptr;           // the same drawn for small icons
  std::vector<HICON> control_icons_;
  std::map<std::string, HFONT> fonts_;
  // The controls given a font, with that font.
  std::vector<std::pair<HWND, Font>> font_users_;
  // The controls, owned by the window.
  std::vector<Win32Control*> placed_;
  Picture picture_;  // the background picture, when there is one
  DWORD style_ = 0;
  DWORD ex_style_ = 0;
  // The state the program gave the window while it is hidden.
  std::int16_t hidden_state_ = 0;
  // Notifications start once the window is built.
  bool ready_ = false;
  bool shown_once_ = false;
  int size_messages_ = 0;
  // The calendar, told of the window's messages.
  CalendarView* calendar_ = nullptr;
  // False once the window is destroyed: a notification may destroy it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace dv::win32
