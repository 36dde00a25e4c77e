// Which folder is the program folder (where the day notes are created), the
// name under which the one running Dayvane of a user and a program folder can
// be found, and what a start asks of it. The front ends supply the facts; the
// rules are here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/diary.h"

namespace dv {

struct ProgramFolderFacts {
  // The folder that holds the program file.
  std::string program_dir;
  // The system's folders for installed programs (e.g. /usr/bin): a program
  // there belongs to every user and its folder is nobody's to write in.
  std::vector<std::string> system_bin_dirs;
  // The user's home folder, and DAYVANE_HOME; unset or empty when missing.
  std::optional<std::string> home;
  std::optional<std::string> dayvane_home;
};

// A copy of the program anywhere but in a system folder for programs keeps its
// notes beside itself. One installed system-wide keeps them in
// $DAYVANE_HOME, else ~/Dayvane. The result has no trailing '/' (except the
// root itself) and no "." or ".." parts when the input had none.
std::string ProgramFolder(const ProgramFolderFacts& facts);

// Whether `program_dir` is one of the system's folders for installed
// programs (compared as paths: a trailing '/' and repeated '/' do not count).
bool IsSystemInstall(const std::string& program_dir,
                     const std::vector<std::string>& system_bin_dirs);

// The name of the running instance of `user` with program folder `folder`:
// "dayvane-" user "-" 16 hexadecimal digits of a hash of the folder. Only
// letters, digits, '-' and '_' are kept of the user name, so that the name
// is safe as a file name, a socket name and a Windows object name.
std::string InstanceName(const std::string& user, const std::string& folder);

// The request of a start to the running Dayvane to open a day's notes, one
// line of the single-instance channel: "open 2 YYYY-MM-DD\n" (2: the
// request's version). A start without one sends the old "show\n".
std::string OpenNoteRequest(const diary::Date& date);
// The date of such a line (with its newline); none for any other line.
std::optional<diary::Date> ParseOpenNoteRequest(std::string_view line);

}  // namespace dv
