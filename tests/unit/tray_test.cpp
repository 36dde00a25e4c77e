// The tray callback: decoding the message from hook's mouse-move X, and the
// dispatch with its busy flag.
#include <gtest/gtest.h>

#include "app/program.h"
#include "sim/sim_toolkit.h"

namespace dv {
namespace {

using sim::SimToolkit;

class Tray : public ::testing::Test {
 protected:
  void SetUp() override {
    program_.Run();
    tk_.FireTimers();
  }
  sim::SimWindow& main() { return tk_.window("frmMain"); }
  void Callback(double message) {
    main().RaiseMouseMove(main().control("hook"), 0, 0,
                          static_cast<Single>(message * tk_.twips_per_pixel), 0);
  }
  SimToolkit tk_;
  Program program_{tk_};
};

TEST_F(Tray, DoubleClickShowsAndActivatesTheHiddenWindow) {
  Callback(515);
  EXPECT_EQ(program_.main.TrayMessage, 515);
  EXPECT_TRUE(main().Visible());
  ASSERT_EQ(tk_.activated.size(), 1U);
  EXPECT_EQ(tk_.activated[0], "Dayvane v2.0");  // found by the title's beginning
  EXPECT_EQ(program_.main.TrayBusy, 0);
}

TEST_F(Tray, DoubleClickRestoresAMinimisedWindowFirst) {
  main().Show();
  main().SetWindowState(1);
  ASSERT_FALSE(main().Visible());
  Callback(515);
  EXPECT_EQ(main().WindowState(), 0);
  EXPECT_TRUE(main().Visible());
  EXPECT_EQ(tk_.activated.size(), 1U);
}

TEST_F(Tray, RightButtonUpPopsUpTheQuitMenuAndOtherMessagesDoNothing) {
  for (const int message : {512, 513, 514, 516}) Callback(message);
  EXPECT_TRUE(main().popups.empty());
  EXPECT_FALSE(main().Visible());
  Callback(517);
  EXPECT_EQ(main().popups, (std::vector<std::string>{"mnuQuit"}));
}

TEST_F(Tray, MiddleButtonUpOpensTodaysNoteAsADoubleClickOnTheDateDoes) {
  main().control("Calendar1").props["Year"] = 1999;
  Callback(520);
  EXPECT_EQ(tk_.files.at("/opt/Dayvane/12-7-2026.txt"), "");
  ASSERT_EQ(tk_.processes.size(), 1U);
  EXPECT_EQ(tk_.processes[0].command_line, "notepad.exe 12-7-2026.txt");
  EXPECT_EQ(tk_.processes[0].directory, "/opt/Dayvane");
  // The hidden window neither shows nor moves.
  EXPECT_FALSE(main().Visible());
  EXPECT_EQ(main().control("Calendar1").props["Year"], 1999);
  EXPECT_EQ(program_.main.TrayBusy, 0);
  // A note with something in it stays as it is.
  tk_.files["/opt/Dayvane/12-7-2026.txt"] = "dear diary";
  Callback(520);
  EXPECT_EQ(tk_.files.at("/opt/Dayvane/12-7-2026.txt"), "dear diary");
  EXPECT_EQ(tk_.processes.size(), 2U);
}

TEST_F(Tray, NoteRequestedFromOutsideMovesTheShownCalendarAndOpensTheNote) {
  ASSERT_TRUE(tk_.NoteRequested);
  main().Show();
  tk_.NoteRequested({2024, 2, 29});
  sim::SimControl& calendar = main().control("Calendar1");
  EXPECT_EQ(calendar.props["Year"], 2024);
  EXPECT_EQ(calendar.props["Month"], 2);
  EXPECT_EQ(calendar.props["Day"], 29);
  EXPECT_EQ(tk_.files.at("/opt/Dayvane/2-29-2024.txt"), "");
  ASSERT_EQ(tk_.processes.size(), 1U);
  EXPECT_EQ(tk_.processes[0].command_line, "notepad.exe 2-29-2024.txt");
  program_.Shutdown();
  EXPECT_FALSE(tk_.NoteRequested);
}

TEST_F(Tray, CallbackArrivingWhileBusyIsDecodedButTurnedAway) {
  // While the pop-up menu is open a double-click arrives.
  main().on_popup = [this](const std::string&) {
    Callback(515);
    EXPECT_EQ(program_.main.TrayMessage, 515);
    EXPECT_EQ(program_.main.TrayBusy, -1);
  };
  Callback(517);
  EXPECT_FALSE(main().Visible());
  EXPECT_TRUE(tk_.activated.empty());
  EXPECT_EQ(program_.main.TrayBusy, 0);
  EXPECT_EQ(main().popups.size(), 1U);
}

TEST_F(Tray, DecodingRoundsHalfEvenAndFailsBeforeTheFlag) {
  tk_.twips_per_pixel = 12;  // 120 dots per inch
  Callback(515);
  EXPECT_EQ(program_.main.TrayMessage, 515);
  main().RaiseMouseMove(main().control("hook"), 0, 0, 514.5F * 12, 0);
  EXPECT_EQ(program_.main.TrayMessage, 514);
  main().RaiseMouseMove(main().control("hook"), 0, 0, 515.5F * 12, 0);
  EXPECT_EQ(program_.main.TrayMessage, 516);
  tk_.twips_per_pixel = 1e-38F;
  EXPECT_THROW(main().RaiseMouseMove(main().control("hook"), 0, 0, 3e38F, 0), ProgramEnded);
  EXPECT_EQ(program_.main.TrayBusy, 0);
  EXPECT_EQ(tk_.boxes.back().prompt, "Run-time error '6':\n\nOverflow");
}

TEST_F(Tray, LosingTheTrayShowsAHiddenWindowAndAReturningTrayLeavesItShown) {
  ASSERT_TRUE(tk_.TrayChanged);
  tk_.TrayChanged(true);
  EXPECT_FALSE(main().Visible());
  // Minimised, and so hidden: the window comes back in normal state.
  main().Show();
  main().SetWindowState(1);
  ASSERT_FALSE(main().Visible());
  tk_.tray_available = false;
  tk_.TrayChanged(false);
  EXPECT_TRUE(main().Visible());
  EXPECT_EQ(main().WindowState(), 0);
  // Minimising without a tray keeps it on screen; a tray back changes
  // nothing until the user minimises it again.
  main().SetWindowState(1);
  EXPECT_TRUE(main().Visible());
  tk_.tray_available = true;
  tk_.TrayChanged(true);
  EXPECT_TRUE(main().Visible());
  main().SetWindowState(0);
  main().SetWindowState(1);
  EXPECT_FALSE(main().Visible());
}

TEST_F(Tray, MouseMovesOfOtherControlsAreNotTrayMessages) {
  main().RaiseMouseMove(main().control("Calendar1"), 0, 0, 515 * 15, 0);
  EXPECT_FALSE(main().Visible());
  EXPECT_EQ(program_.main.TrayMessage, 0);
}

}  // namespace
}  // namespace dv
