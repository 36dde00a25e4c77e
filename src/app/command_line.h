// What Dayvane is asked to do on its command line. Both front ends parse with this; they only
// print and exit as it says.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/diary.h"

namespace dv {

constexpr const char* kVersionLine = "Dayvane 2.0";

struct CommandLine {
  enum class Action {
    kRun,      // start (or hand `note` to the running one)
    kHelp,     // print Usage(), exit 0
    kVersion,  // print kVersionLine, exit 0
    kError,    // print `error` (one line) on stderr, exit 2
  };
  Action action = Action::kRun;
  // The day whose notes to open: --today, or --date YYYY-MM-DD.
  std::optional<diary::Date> note;
  std::string error;
};

// `args` without the program's own name; `today` is the local date of the
// start. With `windows` the options may also be spelt "/today", "/date",
// "/help", "/?" and "/version" (letter case ignored, as Windows does). On
// Linux the options of Qt itself ("-platform offscreen", "-session ID", ...)
// are left for Qt.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const diary::Date& today,
                             bool windows);

// The usage text, several lines ending in a newline.
std::string Usage(bool windows);

}  // namespace dv
