// A stand-in for Notepad in the Windows end-to-end test. Placed in the
// program folder, it is the "notepad.exe" that Dayvane starts: it appends
// its command line, the placement it was asked for and its current folder
// to notepad.log beside it, then exits.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int /*show*/) {
  char log[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, log, MAX_PATH);
  char* slash = std::strrchr(log, '\\');
  if (slash == nullptr) return 1;
  std::strcpy(slash + 1, "notepad.log");
  STARTUPINFOA start{};
  start.cb = sizeof(start);
  GetStartupInfoA(&start);
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  std::FILE* file = std::fopen(log, "a");
  if (file == nullptr) return 1;
  std::fprintf(file, "cmdline=%s|x=%lu|y=%lu|w=%lu|h=%lu|flags=%lu|cwd=%s\n", GetCommandLineA(),
               start.dwX, start.dwY, start.dwXSize, start.dwYSize, start.dwFlags, folder);
  std::fclose(file);
  return 0;
}
