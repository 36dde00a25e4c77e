// One Dayvane per user and program folder on Windows: a named mutex of the
// session marks the running one; a later start finds the running one's
// hidden toolkit window (titled with the same name), asks it to show its
// main window and ends.
#pragma once

#include <string>

#include "platform/win32/win32_api.h"

namespace dv::win32 {

// The message a later start posts to the running one's toolkit window.
UINT ShowRequestMessage();

class SingleInstance {
 public:
  // `name` as InstanceName gives it.
  explicit SingleInstance(std::string name);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  ~SingleInstance();

  const std::string& name() const { return name_; }
  // True when another instance holds the name: it has been asked to show
  // its main window (and allowed to come to the front).
  bool ForwardToRunning() const;

 private:
  std::string name_;
  HANDLE mutex_ = nullptr;
  bool running_ = false;
};

}  // namespace dv::win32
