#include "runtime/services.h"

#include <algorithm>
#include <utility>

#include "platform/errors.h"

namespace dv {

int MsgBox(Toolkit& toolkit, const std::string& prompt, int buttons,
           const std::optional<std::string>& title) {
  return toolkit.ShowMessageBox(prompt, buttons, title.value_or(toolkit.App().Title));
}

void AppActivate(Toolkit& toolkit, const std::string& title) {
  const auto windows = toolkit.TopLevelWindows();
  auto found = std::find_if(windows.begin(), windows.end(),
                            [&](const TopLevelWindow& w) { return w.title == title; });
  if (found == windows.end()) {
    found = std::find_if(windows.begin(), windows.end(), [&](const TopLevelWindow& w) {
      return w.title.compare(0, title.size(), title) == 0;
    });
  }
  if (found == windows.end()) Raise(ErrorKind::InvalidProcedureCall, "no window titled " + title);
  toolkit.ActivateWindow(found->id);
}

std::string GetSetting(Toolkit& toolkit, const std::string& app, const std::string& section,
                       const std::string& key, const std::string& default_value) {
  return toolkit.ReadSetting(app, section, key).value_or(default_value);
}

void SaveSetting(Toolkit& toolkit, const std::string& app, const std::string& section,
                 const std::string& key, const std::string& value) {
  toolkit.WriteSetting(app, section, key, value);
}

void SaveSettings(Toolkit& toolkit, const std::string& app, const std::string& section,
                  const SettingValues& values) {
  if (!values.empty()) toolkit.WriteSettings(app, section, values);
}

void FileTable::OpenForAppend(const std::string& name, int number) {
  if (IsOpen(number)) Raise(ErrorKind::PathFileAccess, "file number already open");
  std::unique_ptr<OpenFile> file = toolkit_.OpenForAppend(name);
  // A pipe's reader or a device would take whatever is written: only a
  // file is a file. Closed again by the raise.
  const FileType type = file->Type();
  if (type != FileType::Regular) Raise(ErrorKind::PathFileAccess, NotAFileReason(type));
  files_[number] = std::move(file);
}

void FileTable::Close(int number) { files_.erase(number); }

}  // namespace dv
