#include "platform/qt/qt_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

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

bool SettingsFileReadable(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return true;
  return S_ISREG(info.st_mode) && info.st_size <= kSettingsFileLimit;
}

int RemoveStrayFiles(const QString& path) {
  // QSettings writes under this lock: a temporary file is only in use
  // while its writer holds it. A lock whose process has died is taken
  // over (and goes with the unlock).
  QLockFile lock(path + ".lock");
  if (!lock.tryLock(0)) return 0;
  const QFileInfo file(path);
  QDir folder = file.absoluteDir();
  int removed = 0;
  // The replacement is written as "<name>.XXXXXX", six letters or digits,
  // then renamed over the file.
  const QStringList names =
      folder.entryList({file.fileName() + ".??????"}, QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    const QString tail = name.right(6);
    const bool temporary = std::all_of(tail.begin(), tail.end(), [](QChar c) {
      return c.unicode() < 0x80 && c.isLetterOrNumber();
    });
    if (temporary && folder.remove(name)) ++removed;
  }
  return removed;
}

SettingsStore::SettingsStore(QString path) : path_(std::move(path)) { RemoveStrayFiles(path_); }

SettingsStore::~SettingsStore() = default;

QSettings* SettingsStore::Loaded() {
  // QSettings reads the whole file as it is made.
  if (!settings_ && SettingsFileReadable(path_)) {
    settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
  }
  return settings_.get();
}

std::optional<std::string> SettingsStore::Read(const std::string& section, const std::string& key) {
  QSettings* settings = Loaded();
  if (settings == nullptr) return std::nullopt;
  return ReadStoredSetting(*settings, section, key);
}

bool SettingsStore::Write(const std::string& section, const SettingValues& values) {
  if (!SettingsFileReadable(path_)) {
    // Not read, nor written back: the file goes, and the write makes a new
    // one with what the program stores.
    settings_.reset();
    ::unlink(QFile::encodeName(path_).constData());
  }
  QSettings* settings = Loaded();
  return settings != nullptr && WriteStoredSettings(*settings, section, values);
}

namespace {

FileType TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return FileType::Regular;
  if (S_ISDIR(mode)) return FileType::Directory;
  if (S_ISFIFO(mode)) return FileType::Pipe;
  if (S_ISSOCK(mode)) return FileType::Socket;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileType::Device;
  return FileType::Other;
}

[[noreturn]] void RaiseNotAFile(FileType type) {
  Raise(ErrorKind::PathFileAccess, NotAFileReason(type));
}

}  // namespace

void MakeNotesFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0 || errno != ENOENT) return;
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return;
  QDir().mkpath(QString::fromStdString(path.substr(0, slash)));
  ::mkdir(path.c_str(), 0700);
}

int OpenAppendFile(const std::string& name) {
  // What is there and is not a file is not even opened: opening a pipe for
  // writing waits for its reader, a device may act on being opened.
  struct stat info {};
  if (::stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    RaiseNotAFile(TypeOf(info.st_mode));
  // Should the name become one of them meanwhile, the open still does not
  // wait (a pipe without a reader fails with ENXIO), and what it opened is
  // looked at before it is used.
  constexpr int kAppend = O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  // An existing file (also through a link) is opened; a missing one is
  // created with O_EXCL, which never follows a link: a link to a file that
  // is not there would otherwise create that file wherever the link points.
  int fd = ::open(name.c_str(), kAppend);
  if (fd < 0 && errno == ENOENT) fd = ::open(name.c_str(), kAppend | O_CREAT | O_EXCL, 0600);
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
  if (fd >= 0) {
    const bool known = ::fstat(fd, &info) == 0;
    if (known && S_ISREG(info.st_mode)) return fd;
    ::close(fd);
    RaiseNotAFile(known ? TypeOf(info.st_mode) : FileType::Other);
  }
  const int error = errno;
  if (error == EISDIR) RaiseNotAFile(FileType::Directory);
  // A pipe without a reader, a socket, a device without its driver.
  if ((error == ENXIO || error == ENODEV) && ::stat(name.c_str(), &info) == 0 &&
      !S_ISREG(info.st_mode)) {
    RaiseNotAFile(TypeOf(info.st_mode));
  }
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
