// What the calendar knows of the diary: which dates have notes, which dates a
// month page shows, when the day changes, and what a date's tip says. Both
// front ends only watch the folder and the clock and draw what this decides.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dv::diary {

struct Date {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to the month's length
  // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy takes the 0 it compares with for a pointer
  auto operator<=>(const Date&) const = default;
};

int DaysInMonth(int year, int month);
bool IsValid(const Date& date);
// 1 Monday to 7 Sunday.
int DayOfWeek(const Date& date);
Date AddDays(const Date& date, int days);
// The ISO 8601 week number, 1 to 53.
int IsoWeek(const Date& date);

// The notes file of a date, in the program folder: "M-D-YYYY.txt", without
// leading zeros (6 December 1999: "12-6-1999.txt").
std::string NoteFileName(const Date& date);
// The date whose notes file `name` is; none for any other name ("notes.txt",
// "13-1-2026.txt", "01-5-2026.txt").
std::optional<Date> NoteDate(std::string_view name);
// The date whose conflict copy `name` is: the copy of a note that a sync
// program keeps beside it when the note was changed on two machines, as
// Syncthing ("12-8-2026.sync-conflict-20261208-101500-ABCDEFG.txt"),
// Nextcloud ("12-8-2026 (conflicted copy 2026-12-08 101500).txt") and
// Dropbox ("12-8-2026 (Host's conflicted copy 2026-12-08).txt") name it,
// its words in any case (Windows' names come in lower case). None for any
// other name, the note's own included. The program only reads them.
std::optional<Date> ConflictDate(std::string_view name);
// The date that a file of that name is about: a note's or a conflict
// copy's; none for any other name.
std::optional<Date> FileDate(std::string_view name);
// Whether `name` matches `pattern`, where '*' stands for any run of
// characters and everything else for itself.
bool GlobMatch(std::string_view pattern, std::string_view name);
// A notes file is an entry once it holds something: the program creates
// them empty.
constexpr bool IsEntry(std::uint64_t size) { return size > 0; }

// The 42 dates of a month page, six weeks from the first day of the week
// (1 Monday to 7 Sunday): the month's first lies in the first week unless
// it falls on the week's first day, when a whole week of the month before
// comes first. Row by row, left to right.
constexpr int kPageDays = 42;
std::vector<Date> MonthPage(int year, int month, int first_day_of_week);

// A file of the diary folder and its size.
struct FolderFile {
  std::string name;
  std::uint64_t size = 0;
  bool operator==(const FolderFile&) const = default;
};

// The most files one listing of the folder gives.
constexpr std::size_t kListLimit = 4096;

// The files of the diary folder, as far as the marks need them.
class NoteFolder {
 public:
  virtual ~NoteFolder() = default;
  // The size of the named file; none when it is missing or not a file.
  virtual std::optional<std::uint64_t> Size(const std::string& name) const = 0;
  // Up to `limit` bytes from the start of the named file; empty when it
  // cannot be read.
  virtual std::string Head(const std::string& name, std::size_t limit) const = 0;
  // One listing of the folder: the files whose names match `pattern`
  // (GlobMatch; Windows also matches short names, and ignores case), at
  // most kListLimit of them, in any order. None when it cannot be listed.
  virtual std::vector<FolderFile> List(const std::string& pattern) const = 0;
  // The files that may be the notes or conflict copies of `dates`, in any
  // order: at least each of their notes files and conflict copies that is
  // there, and any others a listing brings along (FileDate and IsEntry
  // sort them out). By default each date's note is asked for by name and
  // the conflict copies are listed, once for each year of the dates; a
  // folder where a missing name costs a search (Wine's case-insensitive
  // lookup) lists itself instead.
  virtual std::vector<FolderFile> NoteFiles(const std::vector<Date>& dates) const;
};

// The conflict copies of `dates` in the folder: one listing for each year
// of the dates.
std::vector<FolderFile> ConflictFiles(const NoteFolder& folder, const std::vector<Date>& dates);
// Which of `dates` have an entry or a conflict copy (one flag per date).
std::vector<bool> Marks(const NoteFolder& folder, const std::vector<Date>& dates);
// Whether a change of the named file (a note or a conflict copy) can
// change the marks of `dates`.
bool Concerns(std::string_view name, const std::vector<Date>& dates);

// A file that changed in the folder, as a watch names it: `gone` when the
// change took it away (deleted, or renamed to another name).
struct FolderChange {
  std::string name;
  bool gone = false;
};
// Brings `marks` (one per date of `dates`) up to date after `changes`, in
// the order they happened: a note that was written or came is asked for
// its size; a day that was not marked loses no mark with its note; other
// days with a change (a conflict copy's among them) are read afresh, with
// one listing. False when no change concerned `dates`: nothing was read.
bool UpdateMarks(const NoteFolder& folder, const std::vector<Date>& dates,
                 const std::vector<FolderChange>& changes, std::vector<bool>& marks);

// The local midnight after `now`: the start of the next day (on a day that
// the clock skips midnight, the day's first moment).
std::time_t NextMidnight(std::time_t now);
// Today's local date at `now`.
Date LocalDate(std::time_t now);

// The text of a note's bytes: UTF-8 (a sequence cut off at the end left
// out), UTF-16 with its byte-order mark, any other bytes as Windows-1252.
std::u32string DecodeText(std::string_view bytes);
// Appends the UTF-8 of `c` to `out`.
void AppendUtf8(std::string& out, char32_t c);

// The first line of a note that holds more than blanks, as readable text:
// UTF-8 (or UTF-16 with its byte-order mark; any other bytes as
// Windows-1252), tabs and other control characters as blanks, trimmed, at
// most kPreviewChars characters (longer lines end in "..."). Empty when the
// note has no such line.
constexpr std::size_t kPreviewBytes = 4096;
constexpr std::size_t kPreviewChars = 80;
std::string PreviewLine(std::string_view bytes);

// The tip of a date: its long form in the user's language, its week and,
// when the day has a note, the note's first line.
std::string DayTip(const std::string& long_date, const Date& date, const std::string& preview);
// The tip of a date, read from the folder with one listing of the day's
// names: its week; its note's first line ("(blank)" for a note of blanks
// alone); how many conflict copies it has, with the first line of each;
// and on this day in earlier years, newest first, each year with its
// note's first line. At most kTipLines conflict copies and earlier notes
// each are read (kPreviewBytes of each), the rest are counted.
constexpr std::size_t kTipLines = 5;
std::string DayTip(const NoteFolder& folder, const std::string& long_date, const Date& date);

// What a screen reader says of a date after its name: "Today" for today,
// and for a day with a note "Note: " with its first line ("Note" alone for
// a note of blanks), joined by ". "; empty for any other day. The note is
// read as the tip reads it (at most kPreviewBytes).
std::string DayDescription(const NoteFolder& folder, const Date& date, bool today);
// The names a screen reader gives the calendar's month arrows.
constexpr const char* kPreviousMonthName = "Previous month";
constexpr const char* kNextMonthName = "Next month";

// "YYYY-MM-DD" of a date that exists; none for anything else.
std::optional<Date> ParseIsoDate(std::string_view text);

}  // namespace dv::diary
