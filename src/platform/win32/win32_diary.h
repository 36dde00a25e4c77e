// The month calendar's diary on Win32: the days with notes in bold through
// the control's day states, kept current by a change notification on the
// program folder that is open only while the calendar is shown.
#pragma once

#include <string>

#include "platform/diary.h"
#include "platform/win32/win32_api.h"

namespace dv::win32 {

class Win32NoteFolder : public diary::NoteFolder {
 public:
  explicit Win32NoteFolder(std::string path) : path_(std::move(path)) {}
  std::optional<std::uint64_t> Size(const std::string& name) const override;
  std::string Head(const std::string& name, std::size_t limit) const override;
  const std::string& path() const { return path_; }

 private:
  std::wstring Wide(const std::string& name) const;
  std::string path_;
};

// Answers MCN_GETDAYSTATE: the months asked for, a bit per day with notes.
void FillDayStates(NMDAYSTATE& request, const diary::NoteFolder& folder);
// Sets the day states of the months the calendar shows now.
void RefreshDayStates(HWND calendar, const diary::NoteFolder& folder);
// A change notification on `path` for names, sizes and writes; null when
// it cannot be had.
HANDLE WatchFolder(const std::string& path);

}  // namespace dv::win32
