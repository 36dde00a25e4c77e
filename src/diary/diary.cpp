#include "diary/diary.h"

#include <algorithm>
#include <charconv>

namespace dv::diary {

namespace {

// Days since 1 January 1970 in the proleptic Gregorian calendar, and back.
std::int64_t DaysFromCivil(const Date& date) {
  const std::int64_t y = date.month <= 2 ? date.year - 1 : date.year;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (date.month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Date CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A decimal number without sign or leading zero.
std::optional<int> Number(std::string_view text) {
  if (text.empty() || text.size() > 4 || text.front() == '0') return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool Digits(std::string_view text, std::size_t count) {
  return text.size() >= count &&
         std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count),
                     [](char c) { return c >= '0' && c <= '9'; });
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Where `word` (in lower case) is in `text`, whatever the case of its
// letters there.
std::size_t FindWord(std::string_view text, std::string_view word, std::size_t from = 0) {
  for (std::size_t at = from; at + word.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < word.size() && Lower(text[at + i]) == word[i]) ++i;
    if (i == word.size()) return at;
  }
  return std::string_view::npos;
}

// The date of the note whose name without ".txt" is `stem`.
std::optional<Date> StemDate(std::string_view stem) { return NoteDate(std::string(stem) + ".txt"); }

// Syncthing: STEM.sync-conflict-YYYYMMDD-HHMMSS-DEVICE, DEVICE the first
// seven characters of the other side's ID.
std::optional<Date> SyncthingConflict(std::string_view name) {
  constexpr std::string_view kWord = ".sync-conflict-";
  const std::size_t at = FindWord(name, kWord);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view tail = name.substr(at + kWord.size());
  if (tail.size() != 8 + 1 + 6 + 1 + 7 || !Digits(tail, 8) || tail[8] != '-' ||
      !Digits(tail.substr(9), 6) || tail[15] != '-') {
    return std::nullopt;
  }
  for (const char c : tail.substr(16)) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
      return std::nullopt;
    }
  }
  return StemDate(name.substr(0, at));
}

// Nextcloud: STEM (conflicted copy YYYY-MM-DD HHMMSS); Dropbox:
// STEM (OWNER's conflicted copy YYYY-MM-DD), and " (N)" after the date
// for the second copy of a day.
std::optional<Date> ConflictedCopy(std::string_view name) {
  const std::size_t open = name.find(" (");
  if (open == std::string_view::npos || !name.ends_with(')')) return std::nullopt;
  std::string_view inner = name.substr(open + 2, name.size() - open - 3);
  constexpr std::string_view kWord = "conflicted copy ";
  const std::size_t at = FindWord(inner, kWord);
  if (at == std::string_view::npos) return std::nullopt;
  if (at != 0) {
    const std::string_view owner = inner.substr(0, at);
    if (!(owner.size() > 3 && owner.ends_with("'s ")) &&
        !(owner.size() > 5 && owner.ends_with("\xE2\x80\x99s "))) {
      return std::nullopt;
    }
  }
  inner.remove_prefix(at + kWord.size());
  if (!Digits(inner, 4) || inner.size() < 10 || inner[4] != '-' || !Digits(inner.substr(5), 2) ||
      inner[7] != '-' || !Digits(inner.substr(8), 2)) {
    return std::nullopt;
  }
  inner.remove_prefix(10);
  if (inner.size() >= 7 && inner[0] == ' ' && Digits(inner.substr(1), 6)) inner.remove_prefix(7);
  if (inner.size() >= 4 && inner.starts_with(" (") && inner.ends_with(')')) {
    const std::string_view number = inner.substr(2, inner.size() - 3);
    if (Digits(number, number.size()) && !number.empty()) inner = {};
  }
  if (!inner.empty()) return std::nullopt;
  return StemDate(name.substr(0, open));
}

std::tm LocalTime(std::time_t when) {
  std::tm local{};
#ifdef _WIN32
  _tzset();
  localtime_s(&local, &when);
#else
  tzset();  // the zone may have changed since the last call
  localtime_r(&when, &local);
#endif
  return local;
}

// Text decoding for the preview: code points in, UTF-8 out.
constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

namespace {

// Strict UTF-8. A sequence cut off by the end of the bytes read is left
// out; anything else that is not UTF-8 makes the whole text fail.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
  std::u32string out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    int more = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b < 0x80) {
      out += static_cast<char32_t>(b);
      ++i;
      continue;
    }
    if ((b & 0xE0) == 0xC0) {
      more = 1, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      more = 2, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      more = 3, c = b & 0x07, min = 0x10000;
    } else {
      return std::nullopt;
    }
    for (int k = 1; k <= more; ++k) {
      if (i + k >= bytes.size()) return out;  // cut off at the end
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    out += c;
    i += static_cast<std::size_t>(more) + 1;
  }
  return out;
}

std::u32string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u32string out;
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto lo = static_cast<unsigned char>(bytes[i + (big_endian ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(bytes[i + (big_endian ? 0 : 1)]);
    return static_cast<char32_t>(hi << 8 | lo);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out += static_cast<char32_t>(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    out += (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c;
  }
  return out;
}

std::u32string DecodeWindows1252(std::string_view bytes) {
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::u32string out;
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    out += (b >= 0x80 && b < 0xA0) ? static_cast<char32_t>(kHigh[b - 0x80]) : b;
  }
  return out;
}

}  // namespace

std::u32string DecodeText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (auto text = DecodeUtf8(bytes)) return *text;
  return DecodeWindows1252(bytes);
}

namespace {

bool IsLineEnd(char32_t c) { return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029; }

// Characters that would not show as themselves: control characters, and
// the marks that turn the direction of the text that follows them.
bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0xFEFF;
}

bool IsBlank(char32_t c) { return c == ' ' || c == 0xA0 || c == 0x3000; }

}  // namespace

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValid(const Date& date) {
  return date.year >= 1 && date.year <= 9999 && date.day >= 1 &&
         date.day <= DaysInMonth(date.year, date.month);
}

int DayOfWeek(const Date& date) {
  // 1 January 1970 was a Thursday.
  const std::int64_t days = DaysFromCivil(date);
  return static_cast<int>(((days + 3) % 7 + 7) % 7) + 1;
}

Date AddDays(const Date& date, int days) { return CivilFromDays(DaysFromCivil(date) + days); }

int IsoWeek(const Date& date) {
  // The week's Thursday decides its year.
  const Date thursday = AddDays(date, 4 - DayOfWeek(date));
  const int ordinal =
      static_cast<int>(DaysFromCivil(thursday) - DaysFromCivil({thursday.year, 1, 1}));
  return ordinal / 7 + 1;
}

std::string NoteFileName(const Date& date) {
  return std::to_string(date.month) + "-" + std::to_string(date.day) + "-" +
         std::to_string(date.year) + ".txt";
}

std::optional<Date> NoteDate(std::string_view name) {
  if (!name.ends_with(".txt")) return std::nullopt;
  name.remove_suffix(4);
  const std::size_t first = name.find('-');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = name.find('-', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  const auto month = Number(name.substr(0, first));
  const auto day = Number(name.substr(first + 1, second - first - 1));
  const auto year = Number(name.substr(second + 1));
  if (!month || !day || !year) return std::nullopt;
  const Date date{*year, *month, *day};
  if (!IsValid(date)) return std::nullopt;
  return date;
}

std::optional<Date> ConflictDate(std::string_view name) {
  if (!name.ends_with(".txt")) return std::nullopt;
  name.remove_suffix(4);
  if (auto date = SyncthingConflict(name)) return date;
  return ConflictedCopy(name);
}

std::optional<Date> FileDate(std::string_view name) {
  if (auto date = NoteDate(name)) return date;
  return ConflictDate(name);
}

bool GlobMatch(std::string_view pattern, std::string_view name) {
  // The last '*' met takes one character more whenever the rest fails.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;
  std::size_t star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p, ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<Date> MonthPage(int year, int month, int first_day_of_week) {
  const Date first{year, month, 1};
  int before = (DayOfWeek(first) - first_day_of_week + 7) % 7;
  if (before == 0) before = 7;
  std::vector<Date> page;
  page.reserve(kPageDays);
  const Date start = AddDays(first, -before);
  for (int i = 0; i < kPageDays; ++i) page.push_back(AddDays(start, i));
  return page;
}

std::vector<FolderFile> NoteFolder::NoteFiles(const std::vector<Date>& dates) const {
  std::vector<FolderFile> files = ConflictFiles(*this, dates);
  for (const Date& date : dates) {
    std::string name = NoteFileName(date);
    if (const auto size = Size(name)) files.push_back({std::move(name), *size});
  }
  return files;
}

std::vector<FolderFile> ConflictFiles(const NoteFolder& folder, const std::vector<Date>& dates) {
  std::vector<int> years;
  for (const Date& date : dates) {
    if (std::find(years.begin(), years.end(), date.year) == years.end()) years.push_back(date.year);
  }
  std::vector<FolderFile> conflicts;
  for (const int year : years) {
    for (FolderFile& file : folder.List("*-*-" + std::to_string(year) + "*.txt")) {
      const auto date = ConflictDate(file.name);
      if (date && std::find(dates.begin(), dates.end(), *date) != dates.end()) {
        conflicts.push_back(std::move(file));
      }
    }
  }
  return conflicts;
}

std::vector<bool> Marks(const NoteFolder& folder, const std::vector<Date>& dates) {
  std::vector<bool> marks(dates.size(), false);
  for (const FolderFile& file : folder.NoteFiles(dates)) {
    auto date = NoteDate(file.name);
    if (date ? !IsEntry(file.size) : !(date = ConflictDate(file.name))) continue;
    const auto found = std::find(dates.begin(), dates.end(), *date);
    if (found != dates.end()) marks[static_cast<std::size_t>(found - dates.begin())] = true;
  }
  return marks;
}

bool Concerns(std::string_view name, const std::vector<Date>& dates) {
  const auto date = FileDate(name);
  return date && std::find(dates.begin(), dates.end(), *date) != dates.end();
}

bool UpdateMarks(const NoteFolder& folder, const std::vector<Date>& dates,
                 const std::vector<FolderChange>& changes, std::vector<bool>& marks) {
  marks.resize(dates.size(), false);
  // The last change of each date's files decides, unless a conflict copy
  // changed too.
  std::vector<const FolderChange*> last(dates.size(), nullptr);
  std::vector<bool> conflict(dates.size(), false);
  bool concerned = false;
  for (const FolderChange& change : changes) {
    const auto date = FileDate(change.name);
    if (!date) continue;
    const auto found = std::find(dates.begin(), dates.end(), *date);
    if (found == dates.end()) continue;
    const auto i = static_cast<std::size_t>(found - dates.begin());
    last[i] = &change;
    if (!NoteDate(change.name)) conflict[i] = true;
    concerned = true;
  }
  for (std::size_t i = 0; i < dates.size(); ++i) {
    if (last[i] == nullptr) continue;
    if (!conflict[i] && !last[i]->gone) {
      const auto size = folder.Size(last[i]->name);
      if (size && IsEntry(*size)) {
        marks[i] = true;
        continue;
      }
    }
    // Without a note: a mark only from a conflict copy, which a day that
    // had no mark and saw none come does not have.
    if (conflict[i] || marks[i]) marks[i] = Marks(folder, {dates[i]}).front();
  }
  return concerned;
}

std::time_t NextMidnight(std::time_t now) {
  std::tm next = LocalTime(now);
  next.tm_mday += 1;
  next.tm_hour = 0;
  next.tm_min = 0;
  next.tm_sec = 0;
  next.tm_isdst = -1;
  const std::time_t midnight = std::mktime(&next);
  // Never now or earlier, whatever the zone's rules do.
  return midnight > now ? midnight : now + 1;
}

Date LocalDate(std::time_t now) {
  const std::tm local = LocalTime(now);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string PreviewLine(std::string_view bytes) {
  const std::u32string text = DecodeText(bytes.substr(0, kPreviewBytes));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    std::u32string line;
    for (std::size_t i = start; i < end; ++i) {
      const char32_t c = text[i];
      if (c == '\t' || c == '\f' || c == '\v') {
        line += ' ';
      } else if (!IsControl(c)) {
        line += c;
      }
    }
    const auto first = std::find_if_not(line.begin(), line.end(), IsBlank);
    const auto last = std::find_if_not(line.rbegin(), line.rend(), IsBlank).base();
    if (first < last) {
      std::u32string shown(first, last);
      if (shown.size() > kPreviewChars) {
        shown.resize(kPreviewChars - 3);
        while (!shown.empty() && IsBlank(shown.back())) shown.pop_back();
        shown += U"...";
      }
      std::string out;
      for (const char32_t c : shown) AppendUtf8(out, c);
      return out;
    }
    start = end + 1;
  }
  return {};
}

std::string DayTip(const std::string& long_date, const Date& date, const std::string& preview) {
  std::string tip = long_date + "\nWeek " + std::to_string(IsoWeek(date));
  if (!preview.empty()) tip += "\n" + preview;
  return tip;
}

std::string DayTip(const NoteFolder& folder, const std::string& long_date, const Date& date) {
  // All the names of the day: "12-8-*.txt" holds its note, its conflict
  // copies, and the notes of 8 December in every year.
  const std::vector<FolderFile> files =
      folder.List(std::to_string(date.month) + "-" + std::to_string(date.day) + "-*.txt");
  const auto first_line = [&folder](const FolderFile& file) {
    if (!IsEntry(file.size)) return std::string("(empty)");
    std::string line = PreviewLine(folder.Head(file.name, kPreviewBytes));
    return line.empty() ? std::string("(blank)") : line;
  };
  const std::string own = NoteFileName(date);
  std::string preview;
  std::vector<const FolderFile*> conflicts;
  std::vector<std::pair<int, const FolderFile*>> earlier;
  for (const FolderFile& file : files) {
    if (file.name == own) {
      if (IsEntry(file.size)) preview = first_line(file);
    } else if (const auto note = NoteDate(file.name)) {
      if (note->year < date.year && note->month == date.month && note->day == date.day &&
          IsEntry(file.size)) {
        earlier.emplace_back(note->year, &file);
      }
    } else if (ConflictDate(file.name) == date) {
      conflicts.push_back(&file);
    }
  }
  std::string tip = DayTip(long_date, date, preview);
  const auto more = [&tip](std::size_t count) {
    if (count > kTipLines) tip += "\nand " + std::to_string(count - kTipLines) + " more";
  };
  if (!conflicts.empty()) {
    std::sort(conflicts.begin(), conflicts.end(),
              [](const FolderFile* a, const FolderFile* b) { return a->name < b->name; });
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) about
    // "\n" + std::to_string(...) in an optimised build.
    tip += '\n';
    tip += std::to_string(conflicts.size());
    tip += conflicts.size() == 1 ? " conflicting copy:" : " conflicting copies:";
    for (std::size_t i = 0; i < conflicts.size() && i < kTipLines; ++i) {
      tip += "\n- " + first_line(*conflicts[i]);
    }
    more(conflicts.size());
  }
  if (!earlier.empty()) {
    std::sort(earlier.begin(), earlier.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    tip += "\nOn this day:";
    for (std::size_t i = 0; i < earlier.size() && i < kTipLines; ++i) {
      tip += '\n';
      tip += std::to_string(earlier[i].first);
      tip += ": " + first_line(*earlier[i].second);
    }
    more(earlier.size());
  }
  return tip;
}

std::string DayDescription(const NoteFolder& folder, const Date& date, bool today) {
  std::string text = today ? "Today" : "";
  const std::string name = NoteFileName(date);
  const auto size = folder.Size(name);
  if (!size || !IsEntry(*size)) return text;
  if (!text.empty()) text += ". ";
  const std::string line = PreviewLine(folder.Head(name, kPreviewBytes));
  text += line.empty() ? "Note" : "Note: " + line;
  return text;
}

std::optional<Date> ParseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto number = [text](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  const Date date{number(0, 4), number(5, 2), number(8, 2)};
  if (date.year < 1 || date.month < 1 || date.day < 1 || !IsValid(date)) {
    return std::nullopt;
  }
  return date;
}

}  // namespace dv::diary
