// Finding the desktop's text editor: the XDG default application for
// text/plain (mimeapps.list and desktop entries), else the first installed
// of the common plain-text editors.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dv::xdg {

struct Environment {
  std::string home;
  std::string config_home;  // XDG_CONFIG_HOME, or ~/.config
  std::string config_dirs;  // XDG_CONFIG_DIRS, or /etc/xdg
  std::string data_home;    // XDG_DATA_HOME, or ~/.local/share
  std::string data_dirs;    // XDG_DATA_DIRS, or /usr/local/share:/usr/share
  std::string current_desktop;
  std::string path;  // PATH
  static Environment FromProcess();
};

// The desktop entry file of the default application for `mime_type`, in the
// mime-apps lookup order; nullopt when none is set or installed.
std::optional<std::filesystem::path> DefaultApplication(const Environment& env,
                                                        const std::string& mime_type);

// An Exec line split into its arguments, with the desktop entry's quoting
// rules ("..." with \" \` \$ \\ escapes).
std::vector<std::string> SplitExec(const std::string& exec);

// The command line that opens `file` with the desktop entry at `entry`:
// %f %F %u %U become the file (appended when the line has none), %c the
// entry's name, %i and %k are dropped, %% is a percent sign. Nullopt when the
// entry has no Exec line or needs a terminal.
std::optional<std::vector<std::string>> EntryCommand(const std::filesystem::path& entry,
                                                     const std::string& file);

// A program's full path through PATH (or the name itself when it holds a '/'
// and is executable).
std::optional<std::string> FindProgram(const std::string& name, const std::string& path);

// The plain-text editor's command line for `file`.
std::optional<std::vector<std::string>> TextEditorCommand(const Environment& env,
                                                          const std::string& file);

}  // namespace dv::xdg
