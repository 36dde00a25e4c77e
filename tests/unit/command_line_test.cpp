// The command line of both front ends, and the open request a start hands
// to the running Dayvane.
#include "app/command_line.h"
#include "diary/program_folder.h"

#include <gtest/gtest.h>

namespace dv {
namespace {

using Action = CommandLine::Action;
using diary::Date;
using diary::ParseIsoDate;

constexpr Date kToday{2026, 12, 8};

CommandLine Linux(const std::vector<std::string>& args) {
  return ParseCommandLine(args, kToday, false);
}
CommandLine Windows(const std::vector<std::string>& args) {
  return ParseCommandLine(args, kToday, true);
}

TEST(CommandLine, NoArgumentsStartsAsAlways) {
  const CommandLine line = Linux({});
  EXPECT_EQ(line.action, Action::kRun);
  EXPECT_FALSE(line.note);
}

TEST(CommandLine, TodayAndDateNameTheNote) {
  EXPECT_EQ(Linux({"--today"}).note, kToday);
  EXPECT_EQ(Linux({"--date", "2024-02-29"}).note, (Date{2024, 2, 29}));
  EXPECT_EQ(Linux({"--date=2024-02-29"}).note, (Date{2024, 2, 29}));
  EXPECT_EQ(Linux({"--today"}).action, Action::kRun);
}

TEST(CommandLine, WindowsTakesSlashesInAnyCaseAndDashes) {
  EXPECT_EQ(Windows({"/today"}).note, kToday);
  EXPECT_EQ(Windows({"/TODAY"}).note, kToday);
  EXPECT_EQ(Windows({"--today"}).note, kToday);
  EXPECT_EQ(Windows({"/date", "1999-12-06"}).note, (Date{1999, 12, 6}));
  EXPECT_EQ(Windows({"/?"}).action, Action::kHelp);
  EXPECT_EQ(Windows({"/Version"}).action, Action::kVersion);
  // On Linux a slash is a file name, not an option.
  EXPECT_EQ(Linux({"/today"}).action, Action::kError);
}

TEST(CommandLine, HelpAndVersionWinOverTheRest) {
  EXPECT_EQ(Linux({"--help"}).action, Action::kHelp);
  EXPECT_EQ(Linux({"-h"}).action, Action::kHelp);
  EXPECT_EQ(Linux({"--today", "--help"}).action, Action::kHelp);
  EXPECT_EQ(Linux({"--version"}).action, Action::kVersion);
  EXPECT_EQ(Linux({"--version", "--help"}).action, Action::kHelp);
  EXPECT_NE(Usage(false).find("--date YYYY-MM-DD"), std::string::npos);
  EXPECT_NE(Usage(true).find("/today"), std::string::npos);
  EXPECT_STREQ(kVersionLine, "Dayvane 2.0");
}

TEST(CommandLine, MistakesAreOneLineErrors) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--bogus"},
           {"-x"},
           {"--date"},
           {"--date", "2026-02-30"},
           {"--date", "2026-2-3"},
           {"--date", "0000-01-01"},
           {"--date=2026-13-01"},
           {"--today=yes"},
           {"--today", "--date", "2024-02-29"},
           {"notes.txt"},
       }) {
    const CommandLine line = Linux(args);
    EXPECT_EQ(line.action, Action::kError) << args[0];
    EXPECT_EQ(line.error.find('\n'), std::string::npos);
    EXPECT_EQ(line.error.rfind("dayvane: ", 0), 0U) << line.error;
  }
  EXPECT_NE(Linux({"--date", "2026-02-30"}).error.find("2026-02-30"), std::string::npos);
  // An error is an error even after --help.
  EXPECT_EQ(Linux({"--help", "--bogus"}).action, Action::kError);
}

TEST(CommandLine, QtOptionsAreLeftForQt) {
  const CommandLine line =
      Linux({"-platform", "offscreen", "--today", "-session", "abc", "-reverse"});
  EXPECT_EQ(line.action, Action::kRun);
  EXPECT_EQ(line.note, kToday);
  EXPECT_EQ(Windows({"-platform", "offscreen"}).action, Action::kError);
}

TEST(CommandLine, IsoDatesExist) {
  EXPECT_EQ(ParseIsoDate("2024-02-29"), (Date{2024, 2, 29}));
  EXPECT_FALSE(ParseIsoDate("2023-02-29"));
  EXPECT_FALSE(ParseIsoDate("2024-02-2x"));
  EXPECT_FALSE(ParseIsoDate("+024-02-20"));
  EXPECT_FALSE(ParseIsoDate("2024-02-290"));
  EXPECT_FALSE(ParseIsoDate(""));
}

TEST(CommandLine, OpenRequestIsVersionedAndStrict) {
  EXPECT_EQ(OpenNoteRequest({2024, 2, 29}), "open 2 2024-02-29\n");
  EXPECT_EQ(ParseOpenNoteRequest("open 2 2024-02-29\n"), (Date{2024, 2, 29}));
  for (const char* line : {"show\n", "open 2 2024-02-29", "open 1 2024-02-29\n",
                           "open 3 2024-02-29\n", "open 2 2024-02-30\n", "open 2 2024-02-29 \n",
                           "open  2 2024-02-29\n", "OPEN 2 2024-02-29\n", ""}) {
    EXPECT_FALSE(ParseOpenNoteRequest(line)) << line;
  }
}

}  // namespace
}  // namespace dv
