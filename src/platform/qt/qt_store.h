// The Linux front end's store and files, apart from the windows: the
// per-user settings file (QSettings in INI format) and the notes files.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "platform/toolkit.h"

class QSettings;

namespace dv::qt {

// The settings file of `app`: $XDG_CONFIG_HOME/<app>/<app>.conf.
QString SettingsFilePath(const std::string& app);

// The stored text of section/key, or nothing when the key is missing.
std::optional<std::string> ReadStoredSetting(QSettings& settings, const std::string& section,
                                             const std::string& key);

// Writes the values whose stored text differs, then the file once: QSettings
// writes a new file and renames it over the old one, so that a crash leaves
// the old values or the new ones. Writes nothing when no text differs.
// Returns whether the file was written.
bool WriteStoredSettings(QSettings& settings, const std::string& section,
                         const SettingValues& values);

// Opens `name` for appending, creating it when missing, and returns the
// descriptor. A link to a file that does not exist is reported, not followed
// into a new file. Raises PermissionDenied, PathNotFound or PathFileAccess
// with the system's reason.
int OpenAppendFile(const std::string& name);

}  // namespace dv::qt
