// One Dayvane per user and program folder on Linux: the first start holds a
// lock and listens on a local socket in a folder only the user can write
// to; a later start finds it there, asks it to show its main window and
// ends.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "diary/diary.h"

namespace dv::qt {

class SingleInstance {
 public:
  // `name` as InstanceName gives it. The socket and its lock lie in
  // $XDG_RUNTIME_DIR (the user's own), else in a folder of the user's in the
  // temporary folder (dayvane-UID, mode 0700); when that folder is not the
  // user's alone, the program runs without the check.
  explicit SingleInstance(const QString& name);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  ~SingleInstance();

  // True when another instance runs: it took the request to show itself,
  // or it cannot be reached and this start says so on stderr rather than
  // run a second copy. Otherwise this instance takes the name for its whole
  // life: a socket left behind by one that was killed is replaced, and
  // `show` runs for every request from then on.
  bool ForwardOrListen(std::function<void()> show);
  // The same, for a start that asks for a day's notes: with `note` the
  // running one is asked to open them instead of showing itself, and once
  // listening `open` runs for every such request.
  bool ForwardOrListen(std::function<void()> show,
                       std::function<void(const diary::Date& date)> open,
                       const std::optional<diary::Date>& note);

  // Empty when no private folder was found.
  const QString& socket_path() const { return path_; }

 private:
  void Listen(const std::string& path, bool owner, std::function<void()> show,
              std::function<void(const diary::Date& date)> open);
  class Listener;

  QString path_;
  std::string folder_problem_;  // why there is no socket path
  int lock_fd_ = -1;
  std::unique_ptr<Listener> listener_;
};

}  // namespace dv::qt
