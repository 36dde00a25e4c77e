// The calendar's knowledge of the diary: notes file names, month pages,
// marks, the next midnight and the date's tip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <random>

#include "diary/diary.h"

namespace dv::diary {
namespace {

// Checks that `text` is UTF-8 and returns its characters; fails otherwise.
std::u32string Characters(const std::string& text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int more = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : 3;
    char32_t c = more == 0 ? b : more == 1 ? b & 0x1F : more == 2 ? b & 0x0F : b & 0x07;
    EXPECT_LT(i + more, text.size() + (more == 0 ? 1 : 0));
    for (int k = 1; k <= more && i + k < text.size(); ++k) {
      EXPECT_EQ(static_cast<unsigned char>(text[i + k]) & 0xC0, 0x80);
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    out += c;
    i += more + 1;
  }
  return out;
}

TEST(DiaryNames, EveryDateHasOneNameAndTheNameGivesItBack) {
  EXPECT_EQ(NoteFileName({1999, 12, 6}), "12-6-1999.txt");
  EXPECT_EQ(NoteFileName({2000, 3, 1}), "3-1-2000.txt");
  EXPECT_EQ(NoteFileName({2000, 1, 5}), "1-5-2000.txt");
  for (Date date{1999, 1, 1}; date.year < 2002; date = AddDays(date, 1)) {
    const auto back = NoteDate(NoteFileName(date));
    ASSERT_TRUE(back.has_value()) << NoteFileName(date);
    EXPECT_EQ(*back, date);
  }
}

TEST(DiaryNames, OtherFilesAreNoNotes) {
  for (const char* name : {"notes.txt",
                           "13-1-2026.txt",
                           "0-1-2026.txt",
                           "2-30-2026.txt",
                           "2-29-2025.txt",
                           "01-5-2026.txt",
                           "1-05-2026.txt",
                           "1-5-02026.txt",
                           "1-5-2026.TXT",
                           "1-5-2026",
                           "1-5-2026.txt~",
                           ".1-5-2026.txt.swp",
                           "1-5-2026.txt.tmp",
                           "-1-5-2026.txt",
                           "+1-5-2026.txt",
                           "1--5-2026.txt",
                           "1-5-2026-1.txt",
                           "1-5-.txt",
                           "1 -5-2026.txt",
                           "1-5-20260.txt",
                           ".txt",
                           ""}) {
    EXPECT_FALSE(NoteDate(name).has_value()) << name;
  }
  EXPECT_EQ(NoteDate("2-29-2024.txt"), (Date{2024, 2, 29}));
}

TEST(DiaryNames, ConflictCopiesOfSyncProgramsNameTheirDay) {
  const Date day{2026, 12, 8};
  for (const char* name : {"12-8-2026.sync-conflict-20261208-101500-ABCDEFG.txt",
                           "12-8-2026 (conflicted copy 2026-12-08 101500).txt",
                           "12-8-2026 (Host's conflicted copy 2026-12-08).txt",
                           "12-8-2026 (Host's conflicted copy 2026-12-08 (1)).txt",
                           // as Windows' listing gives them
                           "12-8-2026.sync-conflict-20261208-101500-abcdefg.txt",
                           "12-8-2026 (host's conflicted copy 2026-12-08).txt"}) {
    EXPECT_EQ(ConflictDate(name), day) << name;
    EXPECT_EQ(FileDate(name), day) << name;
    EXPECT_FALSE(NoteDate(name).has_value()) << name;
  }
  EXPECT_EQ(FileDate("12-8-2026.txt"), day);
  EXPECT_FALSE(ConflictDate("12-8-2026.txt").has_value());
  for (const char* name :
       {"12-8-2026.sync-conflict-20261208-101500.txt",
        "12-8-2026.sync-conflict-2026128-101500-ABCDEFG.txt",
        "12-8-2026.sync-conflict-20261208-101500-ABCDEFG.txt.tmp",
        "12-8-2026.txt.sync-conflict-20261208-101500-ABCDEFG", ".syncthing.12-8-2026.txt.tmp",
        "notes.sync-conflict-20261208-101500-ABCDEFG.txt",
        "2-30-2026.sync-conflict-20261208-101500-ABCDEFG.txt",
        "12-08-2026 (conflicted copy 2026-12-08 101500).txt", "12-8-2026 (copy).txt",
        "12-8-2026 (conflicted copy).txt", "12-8-2026 (conflicted copy 2026-12-08 10150).txt",
        "12-8-2026(conflicted copy 2026-12-08 101500).txt",
        "12-8-2026 (conflicted copy 2026-12-08 101500) 2.txt",
        "12-8-2026 (Host conflicted copy 2026-12-08).txt",
        "12-8-2026 (Host's conflicted copy 2026-12-08).txt.bak"}) {
    EXPECT_FALSE(FileDate(name).has_value()) << name;
  }
}

TEST(DiaryCalendar, WeekdaysAndIsoWeeks) {
  EXPECT_EQ(DayOfWeek({1970, 1, 1}), 4);
  EXPECT_EQ(DayOfWeek({2026, 3, 1}), 7);
  EXPECT_EQ(DayOfWeek({2000, 2, 29}), 2);
  EXPECT_EQ(DayOfWeek({1600, 1, 1}), 6);
  EXPECT_EQ(AddDays({2024, 2, 28}, 1), (Date{2024, 2, 29}));
  EXPECT_EQ(AddDays({2023, 12, 31}, 1), (Date{2024, 1, 1}));
  EXPECT_EQ(AddDays({2024, 3, 1}, -1), (Date{2024, 2, 29}));
  // Weeks that belong to the year before or after.
  EXPECT_EQ(IsoWeek({2026, 1, 1}), 1);
  EXPECT_EQ(IsoWeek({2021, 1, 3}), 53);
  EXPECT_EQ(IsoWeek({2021, 1, 4}), 1);
  EXPECT_EQ(IsoWeek({2024, 12, 30}), 1);
  EXPECT_EQ(IsoWeek({2020, 12, 31}), 53);
  EXPECT_EQ(IsoWeek({2026, 3, 14}), 11);
  // Each Monday starts the next week.
  for (Date date{2019, 12, 30}; date.year < 2031; date = AddDays(date, 7)) {
    const int week = IsoWeek(date);
    EXPECT_EQ(IsoWeek(AddDays(date, 6)), week);
    const int next = IsoWeek(AddDays(date, 7));
    EXPECT_TRUE(next == week + 1 || (next == 1 && (week == 52 || week == 53))) << date.year;
  }
}

TEST(DiaryCalendar, AMonthPageIsSixWeeksAroundTheMonth) {
  // March 2026 begins on a Sunday.
  EXPECT_EQ(MonthPage(2026, 3, 1).front(), (Date{2026, 2, 23}));
  EXPECT_EQ(MonthPage(2026, 3, 7).front(), (Date{2026, 2, 22}));  // a week before
  EXPECT_EQ(MonthPage(2026, 3, 7).back(), (Date{2026, 4, 4}));
  for (int year : {1999, 2000, 2024, 2026}) {
    for (int month = 1; month <= 12; ++month) {
      for (int first = 1; first <= 7; ++first) {
        const std::vector<Date> page = MonthPage(year, month, first);
        ASSERT_EQ(page.size(), static_cast<std::size_t>(kPageDays));
        EXPECT_EQ(DayOfWeek(page.front()), first);
        for (std::size_t i = 1; i < page.size(); ++i) EXPECT_EQ(page[i], AddDays(page[i - 1], 1));
        const auto at = std::find(page.begin(), page.end(), Date{year, month, 1}) - page.begin();
        EXPECT_TRUE(at >= 1 && at <= 7) << year << "-" << month << " first day " << first;
      }
    }
  }
}

class FakeFolder : public NoteFolder {
 public:
  std::map<std::string, std::string> files;
  mutable std::size_t last_limit = 0;
  std::optional<std::uint64_t> Size(const std::string& name) const override {
    const auto found = files.find(name);
    if (found == files.end()) return std::nullopt;
    return found->second.size();
  }
  std::string Head(const std::string& name, std::size_t limit) const override {
    last_limit = limit;
    ++heads_read;
    const auto found = files.find(name);
    return found == files.end() ? std::string() : found->second.substr(0, limit);
  }
  std::vector<FolderFile> List(const std::string& pattern) const override {
    std::vector<FolderFile> listed;
    for (const auto& [name, text] : files) {
      if (GlobMatch(pattern, name)) listed.push_back({name, text.size()});
    }
    return listed;
  }
  mutable int heads_read = 0;
};

TEST(DiaryMarks, DaysWithSomethingWrittenAreMarkedAcrossThePage) {
  FakeFolder folder;
  folder.files["3-14-2026.txt"] = "x";
  folder.files["3-15-2026.txt"] = "";          // made by a double-click, nothing written yet
  folder.files["2-23-2026.txt"] = "leading";   // first cell
  folder.files["4-5-2026.txt"] = "trailing";   // last cell
  folder.files["5-1-2026.txt"] = "not shown";  // another page
  folder.files["13-1-2026.txt"] = "not a note";
  folder.files["3-16-2026 (conflicted copy 2026-03-16 101500).txt"] = "";  // its note is missing
  folder.files["5-2-2026 (Host's conflicted copy 2026-05-02).txt"] = "x";  // another page
  const std::vector<Date> page = MonthPage(2026, 3, 1);
  const std::vector<bool> marks = Marks(folder, page);
  std::vector<Date> marked;
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (marks[i]) marked.push_back(page[i]);
  }
  EXPECT_EQ(marked, (std::vector<Date>{{2026, 2, 23}, {2026, 3, 14}, {2026, 3, 16}, {2026, 4, 5}}));

  EXPECT_TRUE(Concerns("3-15-2026.txt", page));
  EXPECT_TRUE(Concerns("3-9-2026.sync-conflict-20260309-080000-Z7Q2XYA.txt", page));
  EXPECT_TRUE(Concerns("2-23-2026.txt", page));
  EXPECT_FALSE(Concerns("5-1-2026.txt", page));
  EXPECT_FALSE(Concerns("notes.txt", page));
  EXPECT_FALSE(Concerns(".3-14-2026.txt.swp", page));
}

// A folder that answers with a listing of all its files, as one read of
// the folder does.
class ListingFolder : public FakeFolder {
 public:
  mutable int sizes_asked = 0;
  std::optional<std::uint64_t> Size(const std::string& name) const override {
    ++sizes_asked;
    return FakeFolder::Size(name);
  }
  std::vector<FolderFile> NoteFiles(const std::vector<Date>& /*dates*/) const override {
    std::vector<FolderFile> all;
    for (const auto& [name, text] : files) all.push_back({name, text.size()});
    return all;
  }
};

TEST(DiaryMarks, AListingMarksOnlyTheNotesOfTheDates) {
  ListingFolder folder;
  folder.files = {{"3-14-2026.txt", "x"},  {"3-15-2026.txt", ""}, {"5-1-2026.txt", "x"},
                  {"03-16-2026.txt", "x"}, {"notes.txt", "x"},    {"3-17-2026.txt.bak", "x"},
                  {"3-18-2026.txt", "x"}};
  const std::vector<Date> page = MonthPage(2026, 3, 1);
  const std::vector<bool> marks = Marks(folder, page);
  std::vector<Date> marked;
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (marks[i]) marked.push_back(page[i]);
  }
  EXPECT_EQ(marked, (std::vector<Date>{{2026, 3, 14}, {2026, 3, 18}}));
  EXPECT_EQ(folder.sizes_asked, 0);
}

TEST(DiaryMarks, ChangesUpdateOnlyTheirDaysAndAskOnlyForFilesThatAreThere) {
  ListingFolder folder;
  folder.files = {{"3-14-2026.txt", "x"}, {"3-16-2026.txt", "x"}};
  const std::vector<Date> page = MonthPage(2026, 3, 1);
  std::vector<bool> marks = Marks(folder, page);
  const auto marked = [&](int day) {
    const auto at = std::find(page.begin(), page.end(), Date{2026, 3, day});
    return marks[static_cast<std::size_t>(at - page.begin())];
  };
  // Unrelated files: nothing read.
  EXPECT_FALSE(UpdateMarks(folder, page, {{"notes.txt"}, {"5-1-2026.txt"}, {"~16.tmp"}}, marks));
  EXPECT_EQ(folder.sizes_asked, 0);
  // An editor's save through a rename, a deletion, a note written then
  // deleted, one deleted then written again: the last change decides.
  folder.files.erase("3-14-2026.txt");
  folder.files.erase("3-16-2026.txt");
  folder.files["3-15-2026.txt"] = "new";
  folder.files["3-20-2026.txt"] = "again";
  EXPECT_TRUE(UpdateMarks(folder, page,
                          {{"~15.tmp", true},
                           {"3-15-2026.txt"},
                           {"3-14-2026.txt", true},
                           {"3-16-2026.txt"},
                           {"3-16-2026.txt", true},
                           {"3-20-2026.txt", true},
                           {"3-20-2026.txt"}},
                          marks));
  EXPECT_FALSE(marked(14));
  EXPECT_TRUE(marked(15));
  EXPECT_FALSE(marked(16));
  EXPECT_TRUE(marked(20));
  EXPECT_EQ(folder.sizes_asked, 2);  // 3-15 and 3-20

  // A conflict copy marks its day, with or without the note, until it goes.
  const std::string copy = "3-22-2026.sync-conflict-20260322-101500-ABCDEFG.txt";
  folder.files[copy] = "";
  EXPECT_TRUE(UpdateMarks(folder, page, {{copy}}, marks));
  EXPECT_TRUE(marked(22));
  EXPECT_TRUE(UpdateMarks(folder, page, {{"3-22-2026.txt", true}}, marks));
  EXPECT_TRUE(marked(22));
  folder.files.erase(copy);
  EXPECT_TRUE(UpdateMarks(folder, page, {{copy, true}}, marks));
  EXPECT_FALSE(marked(22));
}

#ifndef _WIN32
// The local zone for one test.
class Zone {
 public:
  explicit Zone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
  }
  ~Zone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
  }

 private:
  std::optional<std::string> old_;
};

TEST(DiaryClock, NextMidnightIsTheNextLocalDayStart) {
  {
    Zone utc("UTC0");
    EXPECT_EQ(NextMidnight(1767311999), 1767312000);  // 2026-01-01 23:59:59 -> 01-02 00:00
    EXPECT_EQ(NextMidnight(1767312000), 1767398400);  // at midnight: the next one
    EXPECT_EQ(LocalDate(1767311999), (Date{2026, 1, 1}));
    EXPECT_EQ(LocalDate(1767312000), (Date{2026, 1, 2}));
  }
  if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin")) {
    GTEST_SKIP() << "no time zone data";
  }
  {
    // A 23-hour day: the clocks go forward on 29 March 2026.
    Zone berlin("Europe/Berlin");
    EXPECT_EQ(NextMidnight(1774652400), 1774738800);  // 28 Mar 00:00 CET -> 29 Mar 00:00 CET
    EXPECT_EQ(NextMidnight(1774738800), 1774821600);  // -> 30 Mar 00:00 CEST, 23 h later
    // A 25-hour day: back on 25 October 2026.
    EXPECT_EQ(NextMidnight(1792879200), 1792969200);  // 25 Oct 00:00 CEST -> 26 Oct 00:00 CET
    EXPECT_EQ(LocalDate(1774738799), (Date{2026, 3, 28}));
  }
  {
    // Clocks that skipped midnight: São Paulo, 4 November 2018, 00:00 -> 01:00.
    Zone sao_paulo("America/Sao_Paulo");
    EXPECT_EQ(NextMidnight(1541257200), 1541300400);  // 3 Nov 12:00 -03 -> 4 Nov 01:00 -02
  }
}
#endif  // zones by name are a POSIX feature

TEST(DiaryPreview, TheFirstLineWithTextTrimmed) {
  EXPECT_EQ(PreviewLine(""), "");
  EXPECT_EQ(PreviewLine(" \n\t\r\n   \n"), "");
  EXPECT_EQ(PreviewLine("\n\n  Dear diary,  \nsecond line"), "Dear diary,");
  EXPECT_EQ(PreviewLine("\r\n\r\nWindows\r\nline"), "Windows");
  EXPECT_EQ(PreviewLine("old Mac\rline"), "old Mac");
  EXPECT_EQ(PreviewLine("a\tb\x01"
                        "c\x7f"),
            "a bc");
  EXPECT_EQ(PreviewLine(std::string("\0\0\nnul\0byte", 12)), "nulbyte");
  // Direction overrides would turn the rest of the tip around.
  EXPECT_EQ(PreviewLine("abc\xE2\x80\xAE"
                        "def"),
            "abcdef");
}

TEST(DiaryPreview, LongLinesAreCutToEightyCharacters) {
  EXPECT_EQ(PreviewLine(std::string(80, 'a')), std::string(80, 'a'));
  EXPECT_EQ(PreviewLine(std::string(81, 'a')), std::string(77, 'a') + "...");
  std::string umlauts;
  for (int i = 0; i < 100; ++i) umlauts += "\xC3\xA4";
  const std::u32string shown = Characters(PreviewLine(umlauts));
  EXPECT_EQ(shown.size(), kPreviewChars);
  EXPECT_EQ(shown.substr(0, 77), std::u32string(77, U'\u00E4'));
  // A character cut off by the 4 KB read is left out, not a reason to read
  // the rest as another encoding.
  const std::string cut = std::string(kPreviewBytes - 1, 'a') + "\xC3\xA4";
  EXPECT_EQ(PreviewLine(cut), std::string(77, 'a') + "...");
  // Only the first 4 KB count.
  EXPECT_EQ(PreviewLine(std::string(kPreviewBytes, '\n') + "late"), "");
}

TEST(DiaryPreview, AnyEncodingIsShownAsText) {
  EXPECT_EQ(PreviewLine("\xEF\xBB\xBF"
                        "caf\xC3\xA9"),
            "caf\xC3\xA9");
  // Not UTF-8: the Windows code page.
  EXPECT_EQ(PreviewLine("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(PreviewLine("\xC0\xAF overlong"), "\xC3\x80\xC2\xAF overlong");
  EXPECT_EQ(PreviewLine("\xED\xA0\x80 surrogate"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC surrogate");
  // UTF-16 with its byte-order mark, as Windows' editor saves "Unicode".
  EXPECT_EQ(PreviewLine(std::string("\xFF\xFEH\0i\0\n\0x\0", 10)), "Hi");
  EXPECT_EQ(PreviewLine(std::string("\xFE\xFF\0H\0i", 6)), "Hi");
  EXPECT_EQ(PreviewLine(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6)), "\xF0\x9F\x98\x80");
  EXPECT_EQ(PreviewLine(std::string("\xFF\xFE\x00\xD8x\0", 6)), "\xEF\xBF\xBDx");

  // Whatever the bytes: UTF-8 out, one line of at most 80 characters
  // without control characters.
  std::mt19937 random(11);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 300, '\0');
    for (char& b : bytes) b = static_cast<char>(random() % 256);
    if (round % 3 == 0) bytes.insert(0, round % 2 == 0 ? "\xFF\xFE" : "\xFE\xFF");
    const std::u32string shown = Characters(PreviewLine(bytes));
    EXPECT_LE(shown.size(), kPreviewChars);
    for (const char32_t c : shown) {
      EXPECT_FALSE(c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x202E) << round;
      EXPECT_FALSE(c >= 0xD800 && c <= 0xDFFF) << round;
    }
  }
}

TEST(DiaryTip, DateWeekAndTheNotesFirstLine) {
  FakeFolder folder;
  folder.files["3-14-2026.txt"] = "\nPi day\nmore";
  folder.files["3-15-2026.txt"] = "";
  EXPECT_EQ(DayTip(folder, "Saturday, 14 March 2026", {2026, 3, 14}),
            "Saturday, 14 March 2026\nWeek 11\nPi day");
  EXPECT_EQ(folder.last_limit, kPreviewBytes);
  EXPECT_EQ(DayTip(folder, "Sunday, 15 March 2026", {2026, 3, 15}),
            "Sunday, 15 March 2026\nWeek 11");
  EXPECT_EQ(DayTip(folder, "Monday, 16 March 2026", {2026, 3, 16}),
            "Monday, 16 March 2026\nWeek 12");
  // Written, but blanks alone.
  folder.files["3-15-2026.txt"] = " \r\n\t\n";
  EXPECT_EQ(DayTip(folder, "Sunday, 15 March 2026", {2026, 3, 15}),
            "Sunday, 15 March 2026\nWeek 11\n(blank)");
  // A screen reader's description: today, and the note's first line.
  EXPECT_EQ(DayDescription(folder, {2026, 3, 14}, true), "Today. Note: Pi day");
  EXPECT_EQ(DayDescription(folder, {2026, 3, 15}, false), "Note");
  EXPECT_EQ(DayDescription(folder, {2026, 3, 16}, true), "Today");
  EXPECT_EQ(DayDescription(folder, {2026, 3, 16}, false), "");
}

TEST(DiaryTip, ConflictCopiesAreCountedWithTheirFirstLines) {
  FakeFolder folder;
  folder.files["12-8-2026.sync-conflict-20261208-101500-ABCDEFG.txt"] = "Lunch with Ana\n";
  folder.files["12-8-2026 (conflicted copy 2026-12-08 101500).txt"] = "";
  folder.files["12-8-2025.sync-conflict-20251208-101500-ABCDEFG.txt"] = "last year's";
  const std::string before = folder.files.begin()->second;
  EXPECT_EQ(DayTip(folder, "8 December 2026", {2026, 12, 8}),
            "8 December 2026\nWeek 50\n2 conflicting copies:\n- (empty)\n- Lunch with Ana");
  for (int i = 0; i < 6; ++i) {
    folder.files["12-9-2026 (Host's conflicted copy 2026-12-09 (" + std::to_string(i) + ")).txt"] =
        "copy " + std::to_string(i);
  }
  folder.files["12-9-2026.txt"] = "mine";
  folder.heads_read = 0;
  EXPECT_EQ(DayTip(folder, "9 December 2026", {2026, 12, 9}),
            "9 December 2026\nWeek 50\nmine\n6 conflicting copies:\n- copy 0\n- copy 1\n"
            "- copy 2\n- copy 3\n- copy 4\nand 1 more");
  EXPECT_EQ(folder.heads_read, 6);
}

TEST(DiaryTip, OnThisDayInEarlierYearsNewestFirst) {
  FakeFolder folder;
  for (const int year : {2019, 2020, 2021, 2022, 2023, 2024, 2025}) {
    folder.files["3-1-" + std::to_string(year) + ".txt"] = "spring " + std::to_string(year);
  }
  folder.files["3-1-2018.txt"] = "";        // made, never written
  folder.files["3-1-2017.txt"] = "\n  \n";  // blanks
  folder.files["3-1-2027.txt"] = "later";
  folder.files["3-11-2020.txt"] = "another day";
  folder.heads_read = 0;
  EXPECT_EQ(DayTip(folder, "1 March 2026", {2026, 3, 1}),
            "1 March 2026\nWeek 9\nOn this day:\n2025: spring 2025\n2024: spring 2024\n"
            "2023: spring 2023\n2022: spring 2022\n2021: spring 2021\nand 3 more");
  EXPECT_EQ(folder.heads_read, 5);
  EXPECT_EQ(DayTip(folder, "1 March 2020", {2020, 3, 1}),
            "1 March 2020\nWeek 9\nspring 2020\nOn this day:\n2019: spring 2019\n"
            "2017: (blank)");

  // 29 February only in leap years, and only on its own day.
  folder.files = {{"2-29-2020.txt", "leap 2020"},
                  {"2-29-2016.txt", "leap 2016"},
                  {"2-28-2023.txt", "28th"},
                  {"2-29-2023.txt", "no such day"}};
  EXPECT_EQ(DayTip(folder, "28 February 2025", {2025, 2, 28}),
            "28 February 2025\nWeek 9\nOn this day:\n2023: 28th");
  EXPECT_EQ(DayTip(folder, "29 February 2024", {2024, 2, 29}),
            "29 February 2024\nWeek 9\nOn this day:\n2020: leap 2020\n2016: leap 2016");
}

}  // namespace
}  // namespace dv::diary
