// Dayvane on Windows.
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/artwork.h"
#include "app/command_line.h"
#include "app/program.h"
#include "app/window_designs.h"
#include "diary/program_folder.h"
#include "platform/trace.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/win32_toolkit.h"

namespace {

// The program has no console of its own: the text goes to the standard
// handle it was given (a pipe, a file), else to the console of the program
// that started it, else into a message box.
void Say(DWORD which, const std::string& text, UINT icon) {
  HANDLE handle = GetStdHandle(which);
  if ((handle == nullptr || handle == INVALID_HANDLE_VALUE) &&
      AttachConsole(ATTACH_PARENT_PROCESS)) {
    handle =
        CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  DWORD written = 0;
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE &&
      WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return;
  }
  MessageBoxA(nullptr, text.c_str(), "Dayvane", MB_OK | icon);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int /*show*/) {
  const std::vector<std::string> args(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
  const dv::CommandLine command =
      dv::ParseCommandLine(args, dv::diary::LocalDate(std::time(nullptr)), true);
  switch (command.action) {
    case dv::CommandLine::Action::kHelp:
      Say(STD_OUTPUT_HANDLE, dv::Usage(true), MB_ICONINFORMATION);
      return 0;
    case dv::CommandLine::Action::kVersion:
      Say(STD_OUTPUT_HANDLE, std::string(dv::kVersionLine) + "\n", MB_ICONINFORMATION);
      return 0;
    case dv::CommandLine::Action::kError:
      Say(STD_ERROR_HANDLE, command.error + "\n", MB_ICONSTOP);
      return 2;
    case dv::CommandLine::Action::kRun:
      break;
  }
  if (const char* trace = std::getenv("DAYVANE_TRACE")) dv::OpenTrace(trace);
  dv::win32::Win32Toolkit toolkit(instance, dv::kProductTitle);
  // A Dayvane of this user with this program folder runs already: it shows
  // its window, as a double-click on its icon would (or opens the day's
  // notes asked for), and this start ends.
  char user[256] = {};
  DWORD user_size = sizeof(user);
  if (!GetUserNameA(user, &user_size)) user[0] = '\0';
  std::string folder = toolkit.App().Path;  // file names ignore letter case
  for (char& c : folder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const dv::win32::SingleInstance single(dv::InstanceName(user, folder));
  if (single.ForwardToRunning(command.note)) return 0;
  toolkit.ListenAs(single.name());
  // The program icon is resource 1, for Explorer; the windows take theirs
  // from the same images.
  const std::vector<std::uint8_t> icon = dv::win32::IconFileFromResource(instance, 1);
  dv::SetProgramIconFile(icon);
  dv::Program program(toolkit);
  // Opened once the main window has loaded.
  if (command.note) toolkit.OpenNoteRequested(*command.note);
  return program.Run();
}
