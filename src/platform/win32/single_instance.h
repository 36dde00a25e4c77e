// One Dayvane per user and program folder on Windows: a named mutex of the
// session marks the running one; a later start finds the running one's
// hidden toolkit window (titled with the same name), asks it to show its
// main window and ends.
#pragma once

#include <optional>
#include <string>

#include "diary/diary.h"
#include "platform/win32/win32_api.h"

namespace dv::win32 {

// The message a later start posts to the running one's toolkit window.
UINT ShowRequestMessage();
// The message a later start posts to have a day's notes opened: its lParam
// is the date as YYYYMMDD (a date that does not exist is dropped). The
// message's name carries its version.
UINT OpenNoteMessage();
LPARAM PackDate(const diary::Date& date);
std::optional<diary::Date> UnpackDate(LPARAM packed);

class SingleInstance {
 public:
  // `name` as InstanceName gives it.
  explicit SingleInstance(std::string name);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  ~SingleInstance();

  const std::string& name() const { return name_; }
  // True when another instance holds the name: it has been asked to show
  // its main window (and allowed to come to the front), or with `note` to
  // open that day's notes.
  bool ForwardToRunning(const std::optional<diary::Date>& note = std::nullopt) const;

 private:
  std::string name_;
  HANDLE mutex_ = nullptr;
  bool running_ = false;
};

}  // namespace dv::win32
