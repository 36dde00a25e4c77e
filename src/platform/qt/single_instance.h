// One Dayvane per user and program folder on Linux: the first start listens
// on a local socket of the user's; a later start finds it there, asks it to
// show its main window and ends.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

namespace dv::qt {

class SingleInstance {
 public:
  // `name` as InstanceName gives it; the socket lies in $XDG_RUNTIME_DIR
  // (the user's own), else in the temporary folder.
  explicit SingleInstance(const QString& name);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  ~SingleInstance();

  // True when another instance runs and took the request to show itself.
  // Otherwise this instance takes the name: a socket left behind by one
  // that was killed is replaced. `show` runs for every request from then on.
  bool ForwardOrListen(std::function<void()> show);

  const QString& socket_path() const { return path_; }

 private:
  bool Forward();

  QString path_;
  QLockFile lock_;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace dv::qt
