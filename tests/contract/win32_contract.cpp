// The toolkit contract on Win32, under Wine in an X session with a window
// manager (run_win32.sh).
#include <fstream>
#include <iterator>

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
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
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

}  // namespace dv::contract
