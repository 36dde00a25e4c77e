// The toolkit contract on Win32, under Wine in an X session with a window
// manager (run_win32.sh).
#include "contract/contract.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_toolkit.h"

namespace dv::contract {
namespace {

void Pump() {
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// The message box answered next, by a thread timer that its modal loop runs.
int answer = 0;
ULONGLONG answer_deadline = 0;

BOOL CALLBACK PressButton(HWND window, LPARAM /*unused*/) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
  PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(answer), 0);
  answer = 0;
  return FALSE;
}

void CALLBACK AnswerTick(HWND /*window*/, UINT /*message*/, UINT_PTR id, DWORD /*time*/) {
  if (answer != 0) EnumThreadWindows(GetCurrentThreadId(), PressButton, 0);
  if (answer == 0 || GetTickCount64() > answer_deadline) KillTimer(nullptr, id);
}

class Win32Backend {
 public:
  Win32Backend() : toolkit_(GetModuleHandleA(nullptr), "Dayvane v2.0") {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\DayvaneContract");
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "dayvane-contract-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  Toolkit& tk() { return toolkit_; }
  bool WaitFor(const std::function<bool()>& done, int ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (!done()) {
      if (GetTickCount64() > deadline) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      Pump();
    }
    return true;
  }
  // The window manager (Wine's, and the X one behind it) has had the time
  // to answer: 200 ms of messages.
  void Settle() {
    WaitFor([] { return false; }, 200);
  }
  void AnswerNextBox(int id) {
    answer = id;
    answer_deadline = GetTickCount64() + 5000;
    SetTimer(nullptr, 0, 50, AnswerTick);
  }
  std::string ActiveTitle() const {
    char title[256] = {};
    GetWindowTextA(GetForegroundWindow(), title, sizeof title);
    return title;
  }
  void WriteFile(const std::string& name, const std::string& text) { WriteTextFile(name, text); }
  std::string ReadFile(const std::string& name) const { return ReadTextFile(name); }
  std::string TempName(const std::string& leaf) const {
    std::string name = folder_ + "\\" + leaf;
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    return name;
  }

 private:
  win32::Win32Toolkit toolkit_;
  std::string folder_;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, Contract, Win32Backend);

namespace {

RECT ChildRect(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LONG FontHeight(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

// A window taken to a monitor of another resolution, with the message and
// the rectangle that Windows sends then (Wine, with one resolution for every
// monitor, sends none): the window takes that rectangle, its sizes are in
// twips of the new resolution and its position in those of the desktop, its
// text is made again at the new resolution and its controls are placed
// again in its pixels. Back at 96 dpi, all is as before.
TEST(Win32Resolution, AWindowFollowsItsMonitorsResolution) {
  Win32Backend backend;
  Forms forms{backend.tk()};
  FormDesign design = ProbeDesign("frmProbe", "Dayvane v2.0");
  ControlDesign label;
  label.name = "lbl";
  label.kind = ControlKind::Label;
  label.caption = "Label";
  label.left = 1800;
  label.top = 150;
  label.width = 1500;
  label.height = 300;
  label.font = Font{"Arial", 8.25, 400};
  design.controls.push_back(label);
  Probe probe{forms, design};
  Window& w = probe.window();
  w.Show();
  backend.Settle();
  const Single desktop_tpp = backend.tk().TwipsPerPixelX();
  ASSERT_EQ(desktop_tpp, 15.0F) << "the prefix is expected at 96 dpi";
  const auto hwnd = win32::HandleFrom32<HWND>(w.hWnd());
  HWND text = FindWindowExA(hwnd, nullptr, "STATIC", "Label");
  HWND picture = FindWindowExA(hwnd, nullptr, "DayvanePicture", nullptr);
  ASSERT_NE(text, nullptr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(FontHeight(text), -11);
  RECT at96{};
  GetWindowRect(hwnd, &at96);

  for (const int dpi : {192, 96}) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    const int scale = dpi / 96;
    RECT suggested{at96.left, at96.top, at96.left + (at96.right - at96.left) * scale,
                   at96.top + (at96.bottom - at96.top) * scale};
    SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    backend.Settle();
    RECT now{};
    GetWindowRect(hwnd, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested))
        << now.left << "," << now.top << "," << now.right << "," << now.bottom;
    const Single tpp = 15.0F / static_cast<Single>(scale);
    EXPECT_EQ(w.Width(), static_cast<Single>(now.right - now.left) * tpp);
    EXPECT_EQ(w.Height(), static_cast<Single>(now.bottom - now.top) * tpp);
    EXPECT_EQ(w.Left(), static_cast<Single>(now.left) * desktop_tpp);
    EXPECT_EQ(w.Top(), static_cast<Single>(now.top) * desktop_tpp);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(w.ScaleWidth(), static_cast<Single>(client.right) * tpp);
    EXPECT_EQ(FontHeight(text), -11 * scale);
    const RECT pic = ChildRect(hwnd, picture);
    EXPECT_EQ(pic.left, 10 * scale);
    EXPECT_EQ(pic.top, 10 * scale);
    EXPECT_EQ(pic.right - pic.left, 100 * scale);
    EXPECT_EQ(pic.bottom - pic.top, 60 * scale);
    const RECT lbl = ChildRect(hwnd, text);
    EXPECT_EQ(lbl.left, 120 * scale);
    EXPECT_EQ(lbl.right - lbl.left, 100 * scale);
  }
}

}  // namespace

}  // namespace dv::contract
