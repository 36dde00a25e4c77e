#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace dv {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Qt's own options: the ones that take a value, then the switches.
constexpr std::array kQtValueOptions = {"-platform",
                                        "-platformpluginpath",
                                        "-platformtheme",
                                        "-plugin",
                                        "-qwindowgeometry",
                                        "-qwindowicon",
                                        "-qwindowtitle",
                                        "-session",
                                        "-display",
                                        "-style",
                                        "-stylesheet",
                                        "-geometry",
                                        "-title",
                                        "-name",
                                        "-visual",
                                        "-ncols",
                                        "-cmap"};
constexpr std::array kQtSwitches = {"-reverse", "-nograb", "-dograb", "-sync", "-widgetcount"};

template <std::size_t N>
bool OneOf(const std::array<const char*, N>& names, std::string_view word) {
  return std::any_of(names.begin(), names.end(), [word](const char* n) { return word == n; });
}

CommandLine Error(const std::string& message) {
  CommandLine result;
  result.action = CommandLine::Action::kError;
  result.error = "dayvane: " + message + " (try --help)";
  return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args, const diary::Date& today,
                             bool windows) {
  CommandLine result;
  bool help = false;
  bool version = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // The option's name, as "--name", and a value given with '='.
    std::string name = arg;
    std::optional<std::string> value;
    if (windows && arg.size() > 1 && arg[0] == '/') {
      name = arg == "/?" ? "--help" : "--" + Lower(std::string_view(arg).substr(1));
    } else if (arg.rfind("--", 0) == 0) {
      const std::size_t equals = arg.find('=');
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
        name = arg.substr(0, equals);
      }
      if (windows) name = Lower(name);
    }
    if (name == "--help" || name == "-h") {
      help = true;
    } else if (name == "--version") {
      version = true;
    } else if (name == "--today" || name == "--date") {
      if (name == "--today" && value) return Error("--today takes no value");
      if (result.note) return Error("only one day's notes can be opened at a time");
      if (name == "--today") {
        result.note = today;
        continue;
      }
      if (!value) {
        if (i + 1 >= args.size()) return Error("--date needs a date, as YYYY-MM-DD");
        value = args[++i];
      }
      result.note = diary::ParseIsoDate(*value);
      if (!result.note) {
        return Error("\"" + *value + "\" is not a date of the calendar (use YYYY-MM-DD)");
      }
    } else if (!windows && OneOf(kQtValueOptions, arg)) {
      ++i;  // Qt's, with its value
    } else if (!windows && OneOf(kQtSwitches, arg)) {
      // Qt's
    } else if (!arg.empty() && (arg[0] == '-' || (windows && arg[0] == '/'))) {
      return Error("unknown option \"" + arg + "\"");
    } else {
      return Error("unexpected argument \"" + arg + "\"");
    }
  }
  if (help) {
    result.action = CommandLine::Action::kHelp;
  } else if (version) {
    result.action = CommandLine::Action::kVersion;
  }
  return result;
}

std::string Usage(bool windows) {
  const std::string program = windows ? "Dayvane.exe" : "dayvane";
  const std::string dash = windows ? "/" : "--";
  std::string text = "Usage: " + program + " [" + dash + "today | " + dash + "date YYYY-MM-DD]\n" +
                     "       " + program + " " + dash + "help | " + dash + "version\n\n" +
                     "Dayvane is a calendar diary in the notification area. Started without\n"
                     "options it puts its icon there (or shows the running Dayvane's window).\n"
                     "Middle-click the icon to open today's note.\n\n"
                     "  " +
                     dash +
                     "today            open today's note in the text editor\n"
                     "  " +
                     dash +
                     "date YYYY-MM-DD  open that day's note\n"
                     "  " +
                     dash +
                     "help             print this help and exit\n"
                     "  " +
                     dash +
                     "version          print the version and exit\n\n"
                     "A running Dayvane of the same user and notes folder opens the note; else\n"
                     "Dayvane starts and then opens it. A missing note is created empty.\n";
  if (windows) text += "The options may also be spelt --today, --date, --help and --version.\n";
  return text;
}

}  // namespace dv
