// Dayvane on Windows.
#include "app/program.h"
#include "forms/designs.h"
#include "platform/win32/win32_toolkit.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int /*show*/) {
  dv::win32::Win32Toolkit toolkit(instance, dv::kProductTitle);
  dv::Program program(toolkit);
  return program.Run();
}
