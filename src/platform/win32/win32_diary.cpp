#include "platform/win32/win32_diary.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <set>
#include <string_view>

#include "platform/win32/win32_text.h"

namespace dv::win32 {

namespace {

// UTF-8, with the ASCII letters in lower case: the folder's names ignore
// case, the notes' names are ASCII.
std::string Name(const wchar_t* wide, int length) {
  std::string name = Narrow(std::wstring_view(wide, static_cast<std::size_t>(length)));
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

// Whether `name` may be the short (8.3) form of a longer one, such as
// "12-16-~1.txt": Windows may name a changed file either way.
bool MayBeShortName(const std::string& name) {
  const std::size_t tilde = name.find('~');
  if (tilde == std::string::npos || tilde == 0 || tilde > 6) return false;
  const std::size_t dot = name.find('.', tilde);
  const std::size_t end = dot == std::string::npos ? name.size() : dot;
  if (end == tilde + 1 || end > 8) return false;
  for (std::size_t i = tilde + 1; i < end; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return dot == std::string::npos || name.size() - dot - 1 <= 3;
}

constexpr DWORD kWatched =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr std::size_t kBufferBytes = 64 * 1024;  // the most a network folder takes

// A part of the notes that a thread of its own reads.
struct NotesPart {
  const diary::NoteFolder* folder = nullptr;
  std::vector<diary::FolderFile> files;
  diary::NoteIndex index;
};

DWORD WINAPI ReadPart(void* data) {
  auto* part = static_cast<NotesPart*>(data);
  part->index = diary::NoteIndex(*part->folder, part->files);
  return 0;
}

}  // namespace

std::wstring Win32NoteFolder::Wide(const std::string& name) const {
  return Widen(path_ + "\\" + name);
}

std::optional<std::uint64_t> Win32NoteFolder::Size(const std::string& name) const {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExW(Wide(name).c_str(), GetFileExInfoStandard, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

std::string Win32NoteFolder::Head(const std::string& name, std::size_t limit) const {
  // Shared with the editor that may be writing it.
  HANDLE file = CreateFileW(Wide(name).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(limit, '\0');
  DWORD got = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(limit), &got, nullptr)) got = 0;
  CloseHandle(file);
  bytes.resize(got);
  return bytes;
}

std::vector<diary::FolderFile> Win32NoteFolder::List(const std::string& pattern) const {
  return List(pattern, diary::kListLimit);
}

std::vector<diary::FolderFile> Win32NoteFolder::List(const std::string& pattern,
                                                     std::size_t limit) const {
  std::vector<diary::FolderFile> files;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileExW(Wide(pattern).c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return files;  // none, or no folder
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    files.push_back({Name(found.cFileName, static_cast<int>(std::wcslen(found.cFileName))),
                     (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
  } while (files.size() < limit && FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

std::vector<diary::FolderFile> Win32NoteFolder::NoteFiles(
    const std::vector<diary::Date>& dates) const {
  std::set<int> years;
  for (const diary::Date& date : dates) years.insert(date.year);
  std::vector<diary::FolderFile> files;
  for (const int year : years) {
    for (diary::FolderFile& file : List("*-*-" + std::to_string(year) + "*.txt")) {
      files.push_back(std::move(file));
    }
  }
  return files;
}

std::unique_ptr<diary::NoteIndex> Win32NoteFolder::ReadAll() const {
  // Under Wine each listing goes through the whole folder: one, however
  // many files it gives.
  std::vector<diary::FolderFile> files = List("*.txt", SIZE_MAX);
  // Opening a file costs more than reading it: a thread a processor (of
  // up to four) opens its share of the files at once.
  constexpr std::size_t kOneReader = 1000;
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  const std::size_t count =
      files.size() < kOneReader ? 1 : std::clamp<std::size_t>(system.dwNumberOfProcessors, 1, 4);
  std::vector<NotesPart> parts(count);
  for (std::size_t i = 0; i < files.size(); ++i) {
    parts[i % count].files.push_back(std::move(files[i]));
  }
  std::vector<HANDLE> threads;
  for (NotesPart& part : parts) {
    part.folder = this;
    if (&part == &parts.front()) continue;
    HANDLE thread = CreateThread(nullptr, 0, ReadPart, &part, 0, nullptr);
    if (thread == nullptr) {
      ReadPart(&part);
    } else {
      threads.push_back(thread);
    }
  }
  ReadPart(&parts.front());
  if (!threads.empty()) {
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
  }
  for (HANDLE thread : threads) CloseHandle(thread);
  auto index = std::make_unique<diary::NoteIndex>(std::move(parts.front().index));
  for (std::size_t i = 1; i < parts.size(); ++i) index->Add(std::move(parts[i].index));
  return index;
}

FolderWatch::FolderWatch(const std::string& path) : buffer_(kBufferBytes / sizeof(DWORD)) {
  folder_ = CreateFileW(Widen(path).c_str(), FILE_LIST_DIRECTORY,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (folder_ == INVALID_HANDLE_VALUE) return;
  // Manual reset: it stays signalled from a completion until the next read
  // is asked for.
  event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event_ == nullptr) return;
  watching_ = Arm();
}

FolderWatch::~FolderWatch() {
  if (watching_) {
    // The system writes to the buffer until the read is cancelled.
    CancelIo(folder_);
    DWORD bytes = 0;
    GetOverlappedResult(folder_, &overlapped_, &bytes, TRUE);
  }
  if (event_ != nullptr) CloseHandle(event_);
  if (folder_ != INVALID_HANDLE_VALUE) CloseHandle(folder_);
}

bool FolderWatch::Arm() {
  ResetEvent(event_);
  overlapped_ = OVERLAPPED{};
  overlapped_.hEvent = event_;
  return ReadDirectoryChangesW(folder_, buffer_.data(), static_cast<DWORD>(kBufferBytes), FALSE,
                               kWatched, nullptr, &overlapped_, nullptr) != FALSE;
}

std::optional<std::vector<diary::FolderChange>> FolderWatch::Take() {
  if (!watching_) return std::vector<diary::FolderChange>{};
  DWORD bytes = 0;
  if (!GetOverlappedResult(folder_, &overlapped_, &bytes, FALSE) &&
      GetLastError() == ERROR_IO_INCOMPLETE) {
    return std::vector<diary::FolderChange>{};  // not yet
  }
  // Nothing named (the changes overflowed the buffer) or a failed read:
  // the caller reads the folder afresh.
  std::optional<std::vector<diary::FolderChange>> changes;
  if (bytes != 0) {
    changes.emplace();
    const auto* at = reinterpret_cast<const std::uint8_t*>(buffer_.data());
    for (;;) {
      FILE_NOTIFY_INFORMATION record{};
      std::memcpy(&record, at, offsetof(FILE_NOTIFY_INFORMATION, FileName));
      std::wstring name(record.FileNameLength / sizeof(wchar_t), L'\0');
      std::memcpy(name.data(), at + offsetof(FILE_NOTIFY_INFORMATION, FileName),
                  record.FileNameLength);
      diary::FolderChange change{
          Name(name.data(), static_cast<int>(name.size())),
          record.Action == FILE_ACTION_REMOVED || record.Action == FILE_ACTION_RENAMED_OLD_NAME};
      if (MayBeShortName(change.name)) {
        changes.reset();
        break;
      }
      changes->push_back(std::move(change));
      if (record.NextEntryOffset == 0) break;
      at += record.NextEntryOffset;
    }
  }
  if (!Arm()) {
    // The folder went away: no more changes, and no waking for ever.
    ResetEvent(event_);
    CancelIo(folder_);
    watching_ = false;
    return std::nullopt;
  }
  return changes;
}

}  // namespace dv::win32
