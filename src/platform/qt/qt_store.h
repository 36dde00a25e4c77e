// The Linux front end's store and files, apart from the windows: the
// per-user settings file (QSettings in INI format) and the notes files.
#pragma once

#include <QString>
#include <memory>
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

// The most that a settings file of this program holds is a few hundred
// bytes. A larger file was written by something else: it is not read.
constexpr qint64 kSettingsFileLimit = qint64{64} * 1024;

// Whether the file at `path` may be read as settings: it is missing (and
// reads as empty), or a regular file of at most kSettingsFileLimit bytes.
bool SettingsFileReadable(const QString& path);

// Removes what a write killed half-way left beside the file at `path`:
// the temporary file that was to replace it (`<name>.XXXXXX`) and a lock
// whose owner is gone. Does nothing while another process writes it.
// Returns how many temporary files it removed.
int RemoveStrayFiles(const QString& path);

// The settings file of one application as the toolkit uses it: read when
// first needed, kept, and written back key by key. A file that may not be
// read (SettingsFileReadable) reads as empty, at no cost, and the next
// write replaces it with a file of this program's keys alone.
class SettingsStore {
 public:
  // Clears up after a write that was killed (RemoveStrayFiles).
  explicit SettingsStore(QString path);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  std::optional<std::string> Read(const std::string& section, const std::string& key);
  // As WriteStoredSettings.
  bool Write(const std::string& section, const SettingValues& values);

 private:
  QSettings* Loaded();

  QString path_;
  std::unique_ptr<QSettings> settings_;
};

// Makes the notes folder at `path` when it is missing, for the user alone
// (0700; the folders above it as the umask says). An existing folder keeps
// its mode. Errors are left to the first use of the folder.
void MakeNotesFolder(const std::string& path);

// Opens `name` for appending, creating it when missing (0600: for the
// user alone; an existing file keeps its mode), and returns the
// descriptor of a regular file. A link to a file that does not exist is
// reported, not followed into a new file. Never waits: a pipe, socket,
// device or folder by that name is not opened (or, should it appear there
// meanwhile, closed again) and raises PathFileAccess with NotAFileReason.
// Raises PermissionDenied, PathNotFound or PathFileAccess with the system's
// reason.
int OpenAppendFile(const std::string& name);

}  // namespace dv::qt
