// Reports a top-level window's geometry in the Windows end-to-end tests:
//
//   window_probe.exe CLASS TITLE
//
// prints "client=W,H window=L,T,R,B dpi=D screen=W,H" for the first window
// of that class and title: its client size and outer rectangle in physical
// pixels, the screen's logical resolution and size. Exit code 1 when there
// is no such window. The probe declares itself aware of the resolution, so
// that the system reports real pixels, not pixels scaled for a program that
// knows nothing of resolutions.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_probe CLASS TITLE\n");
    return 2;
  }
  SetProcessDPIAware();
  HWND window = FindWindowA(argv[1], argv[2]);
  if (window == nullptr) return 1;
  RECT client{};
  RECT outer{};
  GetClientRect(window, &client);
  GetWindowRect(window, &outer);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  std::printf("client=%ld,%ld window=%ld,%ld,%ld,%ld dpi=%d screen=%d,%d\n", client.right,
              client.bottom, outer.left, outer.top, outer.right, outer.bottom, dpi,
              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::fflush(stdout);
  return 0;
}
