// Dayvane on Windows.
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/program_folder.h"
#include "forms/artwork.h"
#include "forms/designs.h"
#include "platform/trace.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/win32_toolkit.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int /*show*/) {
  if (const char* trace = std::getenv("DAYVANE_TRACE")) dv::OpenTrace(trace);
  dv::win32::Win32Toolkit toolkit(instance, dv::kProductTitle);
  // A Dayvane of this user with this program folder runs already: it shows
  // its window, as a double-click on its icon would, and this start ends.
  char user[256] = {};
  DWORD user_size = sizeof(user);
  if (!GetUserNameA(user, &user_size)) user[0] = '\0';
  std::string folder = toolkit.App().Path;  // file names ignore letter case
  for (char& c : folder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const dv::win32::SingleInstance single(dv::InstanceName(user, folder));
  if (single.ForwardToRunning()) return 0;
  toolkit.ListenAs(single.name());
  // The program icon is resource 1, for Explorer; the windows take theirs
  // from the same images.
  const std::vector<std::uint8_t> icon = dv::win32::IconFileFromResource(instance, 1);
  dv::SetProgramIconFile(icon);
  dv::Program program(toolkit);
  return program.Run();
}
