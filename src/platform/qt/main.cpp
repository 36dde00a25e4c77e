// Dayvane on Linux (and any Qt platform).
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "app/window_designs.h"
#include "diary/program_folder.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/single_instance.h"
#include "platform/trace.h"

namespace {

int signal_pipe[2] = {-1, -1};

void OnSignal(int number) {
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const auto written = ::write(signal_pipe[1], &byte, 1);
}

// In a Wayland session with XWayland, Dayvane runs through XWayland unless
// the user chose a platform: a native Wayland client can neither restore
// its window's position nor put the editor's window in the corner. Returns
// whether it chose.
bool PreferXWayland() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  if (set("QT_QPA_PLATFORM") || !set("DISPLAY") || !set("WAYLAND_DISPLAY")) return false;
  return ::setenv("QT_QPA_PLATFORM", "xcb", 1) == 0;
}

// Whether Qt has a display to open: without one it would abort.
bool HasDisplay(const std::vector<std::string>& args) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  for (const std::string& arg : args) {
    if (arg == "-platform" || arg == "-display") return true;
  }
  return false;
}

// A command line that needs no start answered: the exit status, else none.
std::optional<int> Answered(const dv::CommandLine& command) {
  switch (command.action) {
    case dv::CommandLine::Action::kHelp:
      std::fputs(dv::Usage(false).c_str(), stdout);
      return 0;
    case dv::CommandLine::Action::kVersion:
      std::printf("%s\n", dv::kVersionLine);
      return 0;
    case dv::CommandLine::Action::kError:
      std::fprintf(stderr, "%s\n", command.error.c_str());
      return 2;
    case dv::CommandLine::Action::kRun:
      break;
  }
  return std::nullopt;
}

// SIGTERM, SIGINT and SIGHUP (the terminal that started it closing) close
// the windows as a desktop shutdown does, in whatever state the program
// is: the tray icon goes, the placement is saved, an open box or menu
// closes, and the program ends with status 0. So do the desktop's logout
// and anything else that makes Qt leave its event loop.
void EndInOrder(QApplication& app, dv::Program& program) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signal_pipe) == 0) {
    auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&program] {
      char byte = 0;
      [[maybe_unused]] const auto got = ::read(signal_pipe[0], &byte, 1);
      program.Shutdown();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
  }
  // The logout asks the session's programs to save their work first.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                   [&program](QSessionManager& /*manager*/) { program.Shutdown(); });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&program] { program.Shutdown(); });
}

}  // namespace

int main(int argc, char** argv) {
  // The command line first: --help and --version need no display.
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const dv::CommandLine command =
      dv::ParseCommandLine(args, dv::diary::LocalDate(std::time(nullptr)), false);
  if (const auto status = Answered(command)) return *status;
  if (!HasDisplay(args)) {
    std::fprintf(stderr,
                 "dayvane: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); start it in "
                 "a desktop session, or set QT_QPA_PLATFORM (e.g. offscreen)\n");
    return 1;
  }
  if (const char* trace = std::getenv("DAYVANE_TRACE")) dv::OpenTrace(trace);
  const bool chose_platform = PreferXWayland();
  QApplication app(argc, argv);
  // The choice is this program's, not the editor's it starts.
  if (chose_platform) ::unsetenv("QT_QPA_PLATFORM");
  // The name the desktop shows: the tray item's title (and id), the
  // windows' class. The desktop entry it belongs to is dayvane.desktop.
  QApplication::setApplicationName("Dayvane");
  QGuiApplication::setDesktopFileName("dayvane");
  dv::qt::QtToolkit toolkit(app, dv::kProductTitle);
  // A Dayvane of this user with this program folder runs already: it shows
  // its window, as a double-click on its icon would (or opens the day's
  // notes asked for), and this start ends.
  dv::qt::SingleInstance instance(
      QString::fromStdString(dv::InstanceName(std::to_string(::getuid()), toolkit.App().Path)));
  if (instance.ForwardOrListen(
          [&toolkit] { toolkit.ShowRequested(); },
          [&toolkit](const dv::diary::Date& date) { toolkit.OpenNoteRequested(date); },
          command.note)) {
    return 0;
  }
  dv::Program program(toolkit);
  // Opened once the main window has loaded.
  if (command.note) toolkit.OpenNoteRequested(*command.note);
  EndInOrder(app, program);
  return program.Run();
}
