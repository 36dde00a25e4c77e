// The toolkit's services as the program calls them (the message box,
// activation by title, the settings store, open files), with the rules that
// do not depend on the front end.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/toolkit.h"

namespace dv {

// The message box; without a title, the application's title.
int MsgBox(Toolkit& toolkit, const std::string& prompt, int buttons = kMbOk,
           const std::optional<std::string>& title = std::nullopt);

// Activates the top-level window titled exactly `title`, else the first one
// whose title begins with it; invalid procedure call when there is none.
void AppActivate(Toolkit& toolkit, const std::string& title);

// The stored text, or `default_value` when the key is missing.
std::string GetSetting(Toolkit& toolkit, const std::string& app, const std::string& section,
                       const std::string& key, const std::string& default_value);
void SaveSetting(Toolkit& toolkit, const std::string& app, const std::string& section,
                 const std::string& key, const std::string& value);
// Several keys of one section in one update of the store.
void SaveSettings(Toolkit& toolkit, const std::string& app, const std::string& section,
                  const SettingValues& values);

// The file numbers of open files.
class FileTable {
 public:
  explicit FileTable(Toolkit& toolkit) : toolkit_(toolkit) {}
  // Opens `name` for appending as file `number`. Only a regular file is
  // kept open: anything else is closed at once and raises PathFileAccess.
  void OpenForAppend(const std::string& name, int number);
  void Close(int number);
  bool IsOpen(int number) const { return files_.count(number) != 0; }

 private:
  Toolkit& toolkit_;
  std::map<int, std::unique_ptr<OpenFile>> files_;
};

}  // namespace dv
