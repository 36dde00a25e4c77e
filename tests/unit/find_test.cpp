#include "diary/find.h"

#include "platform/find_session.h"

#include <gtest/gtest.h>

#include <map>

namespace dv::diary {
namespace {

using dv::FindKey;
using dv::FindSession;

using namespace std::string_literals;

// Files in memory.
class MemoryFolder : public NoteFolder {
 public:
  std::map<std::string, std::string> files;
  std::optional<std::uint64_t> Size(const std::string& name) const override {
    const auto found = files.find(name);
    if (found == files.end()) return std::nullopt;
    return found->second.size();
  }
  std::string Head(const std::string& name, std::size_t limit) const override {
    const auto found = files.find(name);
    return found == files.end() ? std::string() : found->second.substr(0, limit);
  }
  std::vector<FolderFile> List(const std::string& pattern) const override {
    std::vector<FolderFile> listed;
    for (const auto& [name, text] : files) {
      if (GlobMatch(pattern, name) && listed.size() < kListLimit) {
        listed.push_back({name, text.size()});
      }
    }
    return listed;
  }
};

TEST(Find, FoldsCaseInEveryEncodingANoteComesIn) {
  EXPECT_EQ(FoldText("Tea WITH Ann"), "tea with ann");
  EXPECT_EQ(FoldText("ÀÉÎÕÜ×Þ Straße"), "àéîõü×þ straße");
  EXPECT_EQ(FoldText("ĀĞİŁŒŽŸ"), "āğiłœžÿ");
  EXPECT_EQ(FoldText("ΣΟΦΊΑ Σοφός ПРИВЕТ ЁЖ"), "σοφία σοφόσ привет ёж");
  EXPECT_EQ(FoldText("\xC9t\xC9 \x8C"), "été œ");  // Windows-1252
  EXPECT_EQ(FoldText("\xFF\xFE"
                     "C\0\xC9\0\0\0"s),
            "cé ");  // UTF-16 LE, a NUL as a blank
  EXPECT_EQ(FoldText("a\0B"s), "a b");
}

TEST(Find, FindsTheDaysOfAWordInAnyCaseAcrossMonthsAndYears) {
  MemoryFolder folder;
  folder.files = {
      {"3-14-2026.txt", "Saw a grey HERON today"},
      {"12-31-2025.txt", "Herons again"},
      {"3-2-2026.txt", "heronry"},
      {"3-14-2026 (conflicted copy 2026-03-14 101500).txt", "a heron, twice"},
      {"4-1-2026.txt", "\xFF\xFEH\0\xC9\0R\0O\0N\0"s},  // UTF-16: "HÉRON"
      {"5-1-2026.txt", "h\xE9ron"},                     // Windows-1252
      {"6-1-2026.txt", ""},
      {"7-1-2026.txt", "her\non"},
      {"notes.txt", "heron"},
      {"13-1-2026.txt", "heron"},
      {"8-1-2026.txt", std::string(kFindFileLimit, 'x') + " heron"},
  };
  NoteIndex index(folder, folder.List("*.txt"));
  EXPECT_EQ(index.files(), 7U);
  EXPECT_EQ(index.Find("HeRoN"), (std::vector<Date>{{2025, 12, 31}, {2026, 3, 2}, {2026, 3, 14}}));
  EXPECT_EQ(index.Find("heronr"), (std::vector<Date>{{2026, 3, 2}}));
  EXPECT_EQ(
      index.Find("h"),
      (std::vector<Date>{
          {2025, 12, 31}, {2026, 3, 2}, {2026, 3, 14}, {2026, 4, 1}, {2026, 5, 1}, {2026, 7, 1}}));
  EXPECT_EQ(index.Find("HÉRON"), (std::vector<Date>{{2026, 4, 1}, {2026, 5, 1}}));
  EXPECT_EQ(index.Find("héron"), (std::vector<Date>{{2026, 4, 1}, {2026, 5, 1}}));
  EXPECT_EQ(index.Find("twice"), (std::vector<Date>{{2026, 3, 14}}));
  EXPECT_TRUE(index.Find("").empty());
  EXPECT_TRUE(index.Find("again heronry").empty());  // never across two notes
  EXPECT_TRUE(index.Find("herons!").empty());

  // Read in two parts (as a front end may, at once), the same days.
  std::vector<FolderFile> files = folder.List("*.txt");
  NoteIndex parts(folder, std::vector<FolderFile>(files.begin() + 4, files.end()));
  files.resize(4);
  parts.Add(NoteIndex(folder, files));
  EXPECT_EQ(parts.files(), 7U);
  EXPECT_EQ(parts.Find("h"), index.Find("h"));
  EXPECT_EQ(parts.Find("hé"), index.Find("hé"));
}

TEST(Find, KeepsTextOfMoreThanOneBlock) {
  NoteIndex index;
  for (int year = 1; year <= 400; ++year) {
    for (int day = 1; day <= 12; ++day) {
      // Over 1 MB in all: the index's text takes more than one block.
      index.Add({year, 1, day}, std::string(300, 'y') + (year % 100 == 0 ? "Needle" : "hay"));
    }
  }
  EXPECT_EQ(index.files(), 4800U);
  EXPECT_EQ(index.Find("needle").size(), 48U);
}

TEST(Find, NextAndPreviousGoRoundTheMatches) {
  const std::vector<Date> matches = {{2025, 12, 31}, {2026, 3, 14}, {2026, 4, 1}};
  EXPECT_EQ(NextMatch(matches, {2026, 3, 1}, true), (Date{2026, 3, 14}));
  EXPECT_EQ(NextMatch(matches, {2026, 3, 14}, true), (Date{2026, 4, 1}));
  EXPECT_EQ(NextMatch(matches, {2026, 4, 1}, true), (Date{2025, 12, 31}));
  EXPECT_EQ(NextMatch(matches, {2026, 3, 14}, false), (Date{2025, 12, 31}));
  EXPECT_EQ(NextMatch(matches, {2025, 12, 31}, false), (Date{2026, 4, 1}));
  EXPECT_EQ(NextMatch(matches, {2030, 1, 1}, false), (Date{2026, 4, 1}));
  EXPECT_EQ(NextMatch({}, {2026, 3, 1}, true), std::nullopt);
}

FindKey Text(const std::string& text, bool letter = true) {
  FindKey key;
  key.kind = FindKey::Kind::kText;
  key.text = text;
  key.letter = letter;
  return key;
}

FindKey Pressed(FindKey::Kind kind) {
  FindKey key;
  key.kind = kind;
  return key;
}

TEST(Find, TheCalendarKeepsItsKeysUntilALetterStartsAFind) {
  MemoryFolder folder;
  folder.files = {{"3-14-2026.txt", "Heron"}, {"4-1-2026.txt", "h\xE9ron 2"}};
  int reads = 0;
  std::string reading;
  FindSession find([&] {
    ++reads;
    reading = find.tip();
    return std::make_unique<NoteIndex>(folder, folder.List("*.txt"));
  });
  const FindKey next = Pressed(FindKey::Kind::kNext);
  FindKey control_h = Text("h");
  control_h.command = true;
  for (const FindKey& key : {Text("2", false), Text(" ", false), next, control_h,
                             Pressed(FindKey::Kind::kEscape), Pressed(FindKey::Kind::kBackspace)}) {
    EXPECT_FALSE(find.Takes(key));
  }
  ASSERT_TRUE(find.Takes(Text("H")));
  EXPECT_EQ(find.Key(Text("H"), {2026, 1, 1}), FindSession::Step::kMarks);
  EXPECT_EQ(reading, "Find: H\nReading the notes...");
  EXPECT_EQ(find.tip(), "Find: H\n2 days");
  EXPECT_TRUE(find.Takes(Text("2", false)) && find.Takes(next) && !find.Takes(control_h));
  find.Key(Text("\xC3\x89", true), {2026, 1, 1});  // É
  EXPECT_EQ(find.tip(), "Find: H\xC3\x89\n1 day");
  EXPECT_EQ(find.matches(), (std::vector<Date>{{2026, 4, 1}}));
  find.Key(Pressed(FindKey::Kind::kBackspace), {2026, 1, 1});
  EXPECT_EQ(find.tip(), "Find: H\n2 days");
  find.Key(Text("x"), {2026, 1, 1});
  EXPECT_EQ(find.tip(), "Find: Hx\nNo day");
  EXPECT_EQ(find.Key(next, {2026, 1, 1}), FindSession::Step::kNothing);
  find.Key(Pressed(FindKey::Kind::kBackspace), {2026, 1, 1});

  // Enter goes round the matches, Shift+Enter back; the tip counts.
  EXPECT_EQ(find.Key(next, {2026, 3, 14}), FindSession::Step::kSelect);
  EXPECT_EQ(find.selection(), (Date{2026, 4, 1}));
  EXPECT_EQ(find.tip(), "Find: H\nDay 2 of 2");
  FindKey back = next;
  back.shift = true;
  find.Key(back, {2026, 3, 14});
  EXPECT_EQ(find.selection(), (Date{2026, 4, 1}));
  EXPECT_EQ(find.Key(Pressed(FindKey::Kind::kEscape), {2026, 4, 1}), FindSession::Step::kEnded);
  EXPECT_FALSE(find.active() || find.Matches({2026, 4, 1}) || find.Takes(next));
  EXPECT_EQ(find.tip(), "");
  // A new find reads the folder again.
  find.Key(Text("r"), {2026, 1, 1});
  EXPECT_EQ(find.tip(), "Find: r\n2 days");
  EXPECT_EQ(reads, 2);
}

}  // namespace
}  // namespace dv::diary
