// The menu commands and the day notes on the simulated toolkit.
#include <gtest/gtest.h>

#include "app/program.h"
#include "runtime/services.h"
#include "sim/sim_toolkit.h"

namespace dv {
namespace {

using sim::SimToolkit;

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    program_.Run();
    tk_.FireTimers();
  }
  sim::SimWindow& main() { return tk_.window("frmMain"); }
  sim::SimControl& calendar() { return main().control("Calendar1"); }
  void DoubleClick(int year, int month, int day) {
    calendar().props["Year"] = year;
    calendar().props["Month"] = month;
    calendar().props["Day"] = day;
    main().RaiseDblClick(calendar());
  }
  SimToolkit tk_;
  Program program_{tk_};
};

TEST_F(Commands, TodaySelectsTheCurrentDateAndTouchesNoFile) {
  calendar().props["Year"] = 1999;
  main().RaiseMenuClick("menuToday");
  EXPECT_EQ(calendar().props["Year"], 2026);
  EXPECT_EQ(calendar().props["Day"], 7);
  EXPECT_TRUE(tk_.files.empty());
}

TEST_F(Commands, AboutTwiceLeavesOneAboutWindow) {
  main().RaiseMenuClick("menuAbout");
  sim::SimWindow* first = &tk_.window("frmAbout");
  main().RaiseMenuClick("menuAbout");
  EXPECT_EQ(&tk_.window("frmAbout"), first);
  EXPECT_TRUE(first->Visible());
  EXPECT_EQ(std::count(tk_.log.begin(), tk_.log.end(), "Load frmAbout"), 1);
}

TEST_F(Commands, QuitAsksAndYesEndsTheProgram) {
  tk_.answers = {kIdYes};
  main().RaiseMenuClick("mnuQuitApp");
  ASSERT_EQ(tk_.boxes.size(), 1U);
  EXPECT_EQ(tk_.boxes[0].prompt, "Are you sure you want to exit?");
  EXPECT_EQ(tk_.boxes[0].title, "Confirm Exit");
  EXPECT_EQ(tk_.boxes[0].buttons, 4);
  EXPECT_EQ(tk_.notify_calls.back().first, kNimDelete);
  EXPECT_EQ(tk_.quit_code, 0);
}

TEST_F(Commands, EndingWhileConfirmExitIsOpenEndsWithoutAnAnswerAndNothingComesBack) {
  // The window minimised, as when Quit is chosen from the tray menu: a "No"
  // would bring it back.
  main().Show();
  main().SetWindowState(1);
  tk_.answers = {kIdNo};
  tk_.while_box_open = [this] { program_.Shutdown(); };
  main().RaiseMenuClick("mnuQuitApp");
  EXPECT_EQ(tk_.notify_calls.back().first, kNimDelete);
  EXPECT_EQ(tk_.settings["Dayvane/frmMain/WindowState"], " 1");
  EXPECT_FALSE(program_.main.IsLoaded());
  EXPECT_FALSE(tk_.TrayChanged);
  EXPECT_EQ(tk_.quit_code, 0);
  EXPECT_EQ(tk_.answers.size(), 1U);  // the box got no answer
}

TEST_F(Commands, QuitNoBringsBackOnlyAMinimisedWindow) {
  // Hidden but not minimised (never shown since the start): nothing happens.
  tk_.answers = {kIdNo};
  main().RaiseMenuClick("mnuQuitApp");
  EXPECT_FALSE(main().Visible());
  // From the tray menu while minimised: back in normal state and shown.
  main().Show();
  main().SetWindowState(1);
  ASSERT_FALSE(main().Visible());
  tk_.answers = {kIdNo};
  main().on_popup = [this](const std::string&) { main().RaiseMenuClick("mnuQuitApp"); };
  main().RaiseMouseMove(main().control("hook"), 0, 0, 517 * 15, 0);
  EXPECT_EQ(main().WindowState(), 0);
  EXPECT_TRUE(main().Visible());
  EXPECT_FALSE(tk_.quit_code.has_value());
}

TEST_F(Commands, DoubleClickOnADateCreatesItsNotesFileAndStartsTheEditor) {
  DoubleClick(1999, 12, 6);
  EXPECT_EQ(tk_.files.at("/opt/Dayvane/12-6-1999.txt"), "");
  ASSERT_EQ(tk_.processes.size(), 1U);
  const sim::ProcessCall& call = tk_.processes[0];
  EXPECT_EQ(call.command_line, "notepad.exe 12-6-1999.txt");
  EXPECT_EQ(call.directory, "/opt/Dayvane");
  EXPECT_EQ(call.startup.cb, 68U);
  EXPECT_EQ(call.startup.dwX, 0U);
  EXPECT_EQ(call.startup.dwY, 0U);
  EXPECT_EQ(call.startup.dwXSize, 341U);
  EXPECT_EQ(call.startup.dwYSize, 307U);
  EXPECT_EQ(call.startup.dwFlags, 14U);
  // Again: the content stays and a second editor starts.
  tk_.files["/opt/Dayvane/12-6-1999.txt"] = "dear diary";
  DoubleClick(1999, 12, 6);
  EXPECT_EQ(tk_.files.at("/opt/Dayvane/12-6-1999.txt"), "dear diary");
  EXPECT_EQ(tk_.processes.size(), 2U);
  DoubleClick(2000, 1, 5);
  EXPECT_EQ(tk_.processes.back().command_line, "notepad.exe 1-5-2000.txt");
}

TEST_F(Commands, EditorSizeFollowsTheScreen) {
  struct Case {
    int width, height;
    std::uint32_t x_size, y_size;
  };
  for (const Case c :
       {Case{1024, 768, 341, 307}, Case{800, 600, 267, 240}, Case{1280, 1024, 427, 410}}) {
    program_.main.HorzRes = static_cast<Single>(c.width);
    program_.main.VertRes = static_cast<Single>(c.height);
    DoubleClick(2000, 3, 1);
    EXPECT_EQ(tk_.processes.back().startup.dwXSize, c.x_size);
    EXPECT_EQ(tk_.processes.back().startup.dwYSize, c.y_size);
  }
}

TEST_F(Commands, NoteThatCannotBeCreatedIsReportedAndNoEditorStarts) {
  tk_.file_failures["/opt/Dayvane/3-1-2000.txt"] = ErrorKind::PermissionDenied;
  DoubleClick(2000, 3, 1);
  EXPECT_TRUE(tk_.processes.empty());
  ASSERT_EQ(tk_.boxes.size(), 1U);
  const std::string& prompt = tk_.boxes[0].prompt;
  EXPECT_NE(prompt.find("3-1-2000.txt"), std::string::npos);
  EXPECT_NE(prompt.find("/opt/Dayvane"), std::string::npos);
  // What failed, where, why (once) and what to do.
  const auto reason = prompt.find("Permission denied");
  ASSERT_NE(reason, std::string::npos);
  EXPECT_EQ(prompt.find("Permission denied", reason + 1), std::string::npos) << prompt;
  EXPECT_NE(prompt.find("double-click the date again"), std::string::npos);
  EXPECT_FALSE(tk_.quit_code.has_value());
  // The file number is free again: the next date works.
  DoubleClick(2000, 3, 2);
  EXPECT_EQ(tk_.processes.size(), 1U);
}

TEST_F(Commands, ANoteThatIsNotAFileIsClosedAtOnceAndReportedAsSuch) {
  // A named pipe with a reader opens; only a file is kept, and nothing is
  // written or started.
  tk_.file_types["/opt/Dayvane/12-10-2026.txt"] = FileType::Pipe;
  DoubleClick(2026, 12, 10);
  EXPECT_TRUE(tk_.processes.empty());
  ASSERT_EQ(tk_.boxes.size(), 1U);
  const std::string& prompt = tk_.boxes[0].prompt;
  EXPECT_NE(
      prompt.find("\"12-10-2026.txt\" in the folder \"/opt/Dayvane\": it is a named pipe, not a "
                  "file.\n\nMake sure the name is a file you can write to"),
      std::string::npos)
      << prompt;
  EXPECT_EQ(tk_.files.count("/opt/Dayvane/12-10-2026.txt"), 0U);
  // The file number is free again: the next date works.
  DoubleClick(2026, 12, 11);
  EXPECT_EQ(tk_.processes.size(), 1U);
}

TEST_F(Commands, EachNoteIsCreatedInTheFolderByItsPath) {
  // Something moved the current directory away (the folder renamed): the
  // note still goes into the program folder, and the editor starts there.
  tk_.ChangeDirectory("/opt/Dayvane.old");
  DoubleClick(2000, 3, 1);
  EXPECT_EQ(tk_.files.count("/opt/Dayvane/3-1-2000.txt"), 1U);
  EXPECT_EQ(tk_.files.count("/opt/Dayvane.old/3-1-2000.txt"), 0U);
  ASSERT_EQ(tk_.processes.size(), 1U);
  EXPECT_EQ(tk_.processes[0].directory, "/opt/Dayvane");
}

TEST_F(Commands, EditorThatCannotStartIsReportedAndTheNoteStays) {
  tk_.process_result = false;
  DoubleClick(2000, 3, 1);
  EXPECT_EQ(tk_.files.count("/opt/Dayvane/3-1-2000.txt"), 1U);
  ASSERT_EQ(tk_.boxes.size(), 1U);
  EXPECT_NE(tk_.boxes[0].prompt.find("could not start the text editor"), std::string::npos);
  EXPECT_FALSE(tk_.quit_code.has_value());
}

TEST_F(Commands, DatePartsAreRoundedIntoSixteenBits) {
  calendar().props["Year"] = 2000;
  calendar().props["Month"] = 2.5;
  calendar().props["Day"] = 3.5;
  EXPECT_EQ(program_.main.NoteFileName(), "2-4-2000.txt");
}

}  // namespace
}  // namespace dv
