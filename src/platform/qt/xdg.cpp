#include "platform/qt/xdg.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace dv::xdg {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name, const std::string& fallback = {}) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The values of `key` in `group` of an ini-style file ("a;b;" -> a, b).
std::optional<std::string> ReadKey(const fs::path& file, const std::string& group,
                                   const std::string& key) {
  std::ifstream in(file);
  std::string line;
  bool in_group = false;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      in_group = line == "[" + group + "]";
      continue;
    }
    const auto equals = line.find('=');
    if (in_group && equals != std::string::npos && Trim(line.substr(0, equals)) == key) {
      return Trim(line.substr(equals + 1));
    }
  }
  return std::nullopt;
}

std::vector<fs::path> ApplicationDirs(const Environment& env) {
  std::vector<fs::path> dirs{fs::path(env.data_home) / "applications"};
  for (const auto& dir : Split(env.data_dirs, ':')) dirs.push_back(fs::path(dir) / "applications");
  return dirs;
}

// The desktop entry file for a desktop file ID ("org.gnome.gedit.desktop";
// "kde-kate.desktop" may also lie at kde/kate.desktop).
std::optional<fs::path> FindEntry(const Environment& env, const std::string& id) {
  for (const fs::path& dir : ApplicationDirs(env)) {
    std::string relative = id;
    for (;;) {
      const fs::path candidate = dir / relative;
      std::error_code error;
      if (fs::is_regular_file(candidate, error)) {
        if (ReadKey(candidate, "Desktop Entry", "Hidden").value_or("") == "true") break;
        return candidate;
      }
      const auto dash = relative.find('-');
      if (dash == std::string::npos) break;
      relative[dash] = '/';
    }
  }
  return std::nullopt;
}

bool IsExecutable(const fs::path& file) {
  std::error_code error;
  return fs::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

}  // namespace

Environment Environment::FromProcess() {
  Environment env;
  env.home = Env("HOME", "/");
  env.config_home = Env("XDG_CONFIG_HOME", env.home + "/.config");
  env.config_dirs = Env("XDG_CONFIG_DIRS", "/etc/xdg");
  env.data_home = Env("XDG_DATA_HOME", env.home + "/.local/share");
  env.data_dirs = Env("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  env.current_desktop = Env("XDG_CURRENT_DESKTOP");
  env.path = Env("PATH", "/usr/local/bin:/usr/bin:/bin");
  return env;
}

std::optional<fs::path> DefaultApplication(const Environment& env, const std::string& mime_type) {
  std::vector<std::string> desktops = Split(env.current_desktop, ':');
  for (auto& desktop : desktops) {
    std::transform(desktop.begin(), desktop.end(), desktop.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  }
  std::vector<fs::path> dirs{env.config_home};
  for (const auto& dir : Split(env.config_dirs, ':')) dirs.emplace_back(dir);
  for (const fs::path& dir : ApplicationDirs(env)) dirs.push_back(dir);
  for (const fs::path& dir : dirs) {
    std::vector<fs::path> lists;
    lists.reserve(desktops.size() + 1);
    for (const auto& desktop : desktops) lists.push_back(dir / (desktop + "-mimeapps.list"));
    lists.push_back(dir / "mimeapps.list");
    for (const fs::path& list : lists) {
      const auto ids = ReadKey(list, "Default Applications", mime_type);
      if (!ids) continue;
      for (const auto& id : Split(*ids, ';')) {
        if (auto entry = FindEntry(env, id)) return entry;
      }
    }
  }
  return std::nullopt;
}

std::vector<std::string> SplitExec(const std::string& exec) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false;
  bool have = false;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '\\' && i + 1 < exec.size()) {
        current += exec[++i];
      } else if (c == '"') {
        quoted = false;
      } else {
        current += c;
      }
    } else if (c == '"') {
      quoted = true;
      have = true;
    } else if (c == ' ' || c == '\t') {
      if (have) args.push_back(current);
      current.clear();
      have = false;
    } else {
      current += c;
      have = true;
    }
  }
  if (have) args.push_back(current);
  return args;
}

std::optional<std::vector<std::string>> EntryCommand(const fs::path& entry,
                                                     const std::string& file) {
  const auto exec = ReadKey(entry, "Desktop Entry", "Exec");
  if (!exec || exec->empty()) return std::nullopt;
  if (ReadKey(entry, "Desktop Entry", "Terminal").value_or("") == "true") return std::nullopt;
  const std::string name = ReadKey(entry, "Desktop Entry", "Name").value_or("");
  std::vector<std::string> command;
  bool file_given = false;
  for (const std::string& arg : SplitExec(*exec)) {
    if (arg == "%f" || arg == "%F" || arg == "%u" || arg == "%U") {
      command.push_back(file);
      file_given = true;
      continue;
    }
    if (arg == "%i" || arg == "%k") continue;
    std::string expanded;
    for (std::size_t i = 0; i < arg.size(); ++i) {
      if (arg[i] != '%' || i + 1 >= arg.size()) {
        expanded += arg[i];
        continue;
      }
      const char code = arg[++i];
      if (code == '%') expanded += '%';
      if (code == 'c') expanded += name;
      if (code == 'f' || code == 'u') {
        expanded += file;
        file_given = true;
      }
    }
    if (!expanded.empty()) command.push_back(expanded);
  }
  if (command.empty()) return std::nullopt;
  if (!file_given) command.push_back(file);
  return command;
}

std::optional<std::string> FindProgram(const std::string& name, const std::string& path) {
  if (name.find('/') != std::string::npos) {
    return IsExecutable(name) ? std::optional<std::string>(name) : std::nullopt;
  }
  for (const auto& dir : Split(path, ':')) {
    const fs::path candidate = fs::path(dir) / name;
    if (IsExecutable(candidate)) return candidate.string();
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> TextEditorCommand(const Environment& env,
                                                          const std::string& file) {
  if (const auto entry = DefaultApplication(env, "text/plain")) {
    if (auto command = EntryCommand(*entry, file)) {
      if (auto program = FindProgram(command->front(), env.path)) {
        command->front() = *program;
        return command;
      }
    }
  }
  for (const char* editor : {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma",
                             "xed", "featherpad", "leafpad", "geany", "xedit"}) {
    if (auto program = FindProgram(editor, env.path)) {
      return std::vector<std::string>{*program, file};
    }
  }
  return std::nullopt;
}

}  // namespace dv::xdg
