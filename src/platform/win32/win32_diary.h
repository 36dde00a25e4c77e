// The month calendar's diary on Win32: the notes folder, read one listing
// at a time, and a watch that names the files that change in it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diary/diary.h"
#include "diary/find.h"
#include "platform/win32/win32_api.h"

namespace dv::win32 {

class Win32NoteFolder : public diary::NoteFolder {
 public:
  explicit Win32NoteFolder(std::string path) : path_(std::move(path)) {}
  std::optional<std::uint64_t> Size(const std::string& name) const override;
  std::string Head(const std::string& name, std::size_t limit) const override;
  std::vector<diary::FolderFile> List(const std::string& pattern) const override;
  // One listing per year that `dates` fall in ("*-*-2026*.txt", the notes
  // and their conflict copies): under Wine
  // a name that is missing costs a search through the whole folder, as
  // does a listing, so a page of mostly empty days is read at the cost of
  // one name. Names come in lower case, as Windows compares them.
  std::vector<diary::FolderFile> NoteFiles(const std::vector<diary::Date>& dates) const override;
  // Every note and conflict copy, for a find: from one listing of the
  // whole folder, a large one read in parts at once.
  std::unique_ptr<diary::NoteIndex> ReadAll() const;
  const std::string& path() const { return path_; }

 private:
  std::wstring Wide(const std::string& name) const;
  std::vector<diary::FolderFile> List(const std::string& pattern, std::size_t limit) const;
  std::string path_;
};

// The files that change in a folder, by name (ReadDirectoryChangesW,
// overlapped): event() is signalled when changes are there to Take.
class FolderWatch {
 public:
  explicit FolderWatch(const std::string& path);
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Null when the folder cannot be watched.
  HANDLE event() const { return watching_ ? event_ : nullptr; }
  // After event() was signalled: the changes since the last call, in their
  // order, names in lower case; none when they could not all be named (too
  // many at once, or a short name that may stand for a note's): the
  // folder has to be read afresh. Watches on.
  std::optional<std::vector<diary::FolderChange>> Take();

 private:
  bool Arm();

  HANDLE folder_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
  OVERLAPPED overlapped_{};
  std::vector<DWORD> buffer_;  // FILE_NOTIFY_INFORMATION records, DWORD-aligned
  bool watching_ = false;
};

}  // namespace dv::win32
