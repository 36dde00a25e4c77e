#include "platform/qt/qt_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSettings>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

#include "platform/errors.h"

namespace dv::qt {

QString SettingsFilePath(const std::string& app) {
  const QString name = QString::fromStdString(app);
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return folder + "/" + name + "/" + name + ".conf";
}

std::optional<std::string> ReadStoredSetting(QSettings& settings, const std::string& section,
                                             const std::string& key) {
  const QString path = QString::fromStdString(section + "/" + key);
  if (!settings.contains(path)) return std::nullopt;
  return settings.value(path).toString().toStdString();
}

bool WriteStoredSettings(QSettings& settings, const std::string& section,
                         const SettingValues& values) {
  // Compared with what the file holds now: another program (or the user)
  // may have changed or removed it since it was read.
  settings.sync();
  bool changed = false;
  const QString group = QString::fromStdString(section) + "/";
  for (const auto& [key, value] : values) {
    const QString path = group + QString::fromStdString(key);
    const QString text = QString::fromStdString(value);
    if (settings.contains(path) && settings.value(path).toString() == text) continue;
    settings.setValue(path, text);
    changed = true;
  }
  if (changed) settings.sync();
  return changed;
}

int OpenAppendFile(const std::string& name) {
  // An existing file (also through a link) is opened; a missing one is
  // created with O_EXCL, which never follows a link: a link to a file that
  // is not there would otherwise create that file wherever the link points.
  constexpr int kAppend = O_WRONLY | O_APPEND | O_CLOEXEC;
  int fd = ::open(name.c_str(), kAppend);
  if (fd < 0 && errno == ENOENT) fd = ::open(name.c_str(), kAppend | O_CREAT | O_EXCL, 0666);
  if (fd < 0 && errno == EEXIST) {
    fd = ::open(name.c_str(), kAppend);  // created meanwhile by someone else
    if (fd < 0 && errno == ENOENT) {
      std::string target(4096, '\0');
      const ssize_t size = ::readlink(name.c_str(), target.data(), target.size());
      target.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
      Raise(ErrorKind::PathFileAccess,
            "it is a symbolic link to \"" + target + "\", which does not exist");
    }
  }
  if (fd >= 0) return fd;
  const int error = errno;
  const std::string reason = std::strerror(error);
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      Raise(ErrorKind::PermissionDenied, reason);
    case ENOENT:
    case ENOTDIR:
      Raise(ErrorKind::PathNotFound, reason);
    default:
      Raise(ErrorKind::PathFileAccess, reason);
  }
}

}  // namespace dv::qt
