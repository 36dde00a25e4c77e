// Start-up, the main window's lifecycle and the splash hand-over, on the
// simulated toolkit.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/program.h"
#include "platform/records.h"
#include "sim/sim_toolkit.h"

namespace dv {
namespace {

using sim::SimToolkit;

// Index of the first log entry at or after `from` that starts with `prefix`.
std::size_t Find(const std::vector<std::string>& log, const std::string& prefix,
                 std::size_t from = 0) {
  for (std::size_t i = from; i < log.size(); ++i) {
    if (log[i].rfind(prefix, 0) == 0) return i;
  }
  return log.size();
}

class Lifecycle : public ::testing::Test {
 protected:
  void Start() {
    program_.Run();
    tk_.FireTimers();
  }
  sim::SimWindow& main() { return tk_.window("frmMain"); }
  SimToolkit tk_;
  Program program_{tk_};
};

TEST_F(Lifecycle, SplashArmsItsTimerAndHandsOverOnTheFirstTick) {
  program_.Run();
  ASSERT_TRUE(tk_.HasWindow("frmSplash"));
  EXPECT_TRUE(tk_.window("frmSplash").Visible());
  EXPECT_EQ(tk_.RunningTimers(), 1);
  EXPECT_FALSE(program_.main.IsLoaded());
  tk_.FireTimers();
  EXPECT_FALSE(program_.splash.IsLoaded());
  EXPECT_FALSE(tk_.HasWindow("frmSplash"));
  EXPECT_TRUE(program_.main.IsLoaded());
  EXPECT_FALSE(main().Visible());
  EXPECT_EQ(tk_.RunningTimers(), 0);
  EXPECT_FALSE(tk_.quit_code.has_value());
}

TEST_F(Lifecycle, ClickOrKeyHandsOverOnceAndTheTimerIsGone) {
  program_.Run();
  tk_.window("frmSplash").RaiseKeyPress('x');
  EXPECT_TRUE(program_.main.IsLoaded());
  EXPECT_EQ(tk_.timers.size(), 0U);
  const auto loads = std::count(tk_.log.begin(), tk_.log.end(), "Load frmMain");
  tk_.FireTimers();
  EXPECT_EQ(std::count(tk_.log.begin(), tk_.log.end(), "Load frmMain"), loads);
  EXPECT_EQ(loads, 1);
}

TEST_F(Lifecycle, LoadRunsItsEightStepsInOrder) {
  Start();
  const auto& log = tk_.log;
  std::size_t at = Find(log, "Load frmMain");
  for (const std::string step :
       {"ChDir(/opt/Dayvane)", "frmMain.Icon", "Shell_NotifyIcon(0)", "frmMain.Visible=(0)",
        "App.TaskVisible=0", "frmMain.ScaleWidth", "Calendar1.Today", "GetSystemMetrics(0)",
        "GetSystemMetrics(1)", "GetSetting(Left)", "GetSetting(Top)", "GetSetting(Width)",
        "GetSetting(Height)", "GetSetting(WindowState)", "frmMain.WindowState=(0)", "frmMain.Move4",
        "SaveSetting(WindowState", "SaveSetting(Left"}) {
    const std::size_t next = Find(log, step, at);
    ASSERT_LT(next, log.size()) << "missing or out of order: " << step;
    at = next;
  }
  EXPECT_EQ(program_.main.HorzRes, 1024.0F);
  EXPECT_EQ(program_.main.VertRes, 768.0F);
  EXPECT_EQ(tk_.current_directory, "/opt/Dayvane");
  EXPECT_FALSE(main().Visible());
  // The keeper wrote the designed placement on the first start.
  EXPECT_EQ(tk_.settings.at("Dayvane/frmMain/WindowState"), " 0");
  EXPECT_EQ(tk_.settings.at("Dayvane/frmMain/Width"), " 4995");
  EXPECT_EQ(tk_.settings.at("Dayvane/frmMain/Height"), " 3660");
}

TEST_F(Lifecycle, ResizeHidesAMinimisedWindowThenSavesThenRescales) {
  Start();
  main().Show();
  tk_.log.clear();
  main().SetWindowState(1);
  const auto& log = tk_.log;
  const std::size_t hide = Find(log, "frmMain.Visible=(0)");
  const std::size_t save = Find(log, "SaveSetting(WindowState, 1)");
  const std::size_t rescale = Find(log, "Calendar1.Move4");
  EXPECT_LT(hide, save);
  EXPECT_LT(save, rescale);
  EXPECT_LT(rescale, log.size());
}

TEST_F(Lifecycle, ShowAndMinimiseReplaceTheStoreAtMostTwiceAndRaiseNoError) {
  Start();
  const int before = tk_.store_replacements;
  const std::uint64_t errors = ToolkitErrorsRaised();
  main().Show();
  main().SetWindowState(1);
  EXPECT_LE(tk_.store_replacements - before, 2);
  // The layout passes over what the menu items and the picture box lack
  // without raising (and catching) errors.
  EXPECT_EQ(ToolkitErrorsRaised(), errors);
  EXPECT_EQ(tk_.settings.at("Dayvane/frmMain/WindowState"), " 1");
}

TEST_F(Lifecycle, UnloadDeletesTheIconBeforeTheKeepersLastSave) {
  Start();
  tk_.log.clear();
  program_.main.Unload();
  const std::size_t remove = Find(tk_.log, "Shell_NotifyIcon(2)");
  const std::size_t save = Find(tk_.log, "SaveSetting(WindowState");
  EXPECT_LT(remove, save);
  EXPECT_LT(save, tk_.log.size());
}

TEST_F(Lifecycle, TrayIconRecordIsAddedWithTheHooksHandle) {
  Start();
  ASSERT_EQ(tk_.notify_calls.size(), 1U);
  EXPECT_EQ(tk_.notify_calls[0].first, kNimAdd);
  const NotifyIconData data = NotifyIconFromBytes(tk_.notify_calls[0].second);
  EXPECT_EQ(data.cbSize, 88U);
  EXPECT_EQ(data.hWnd, main().control("hook").hWnd());
  EXPECT_EQ(data.uID, 1U);
  EXPECT_EQ(data.uFlags, 7U);
  EXPECT_EQ(data.uCallbackMessage, 512U);
  EXPECT_EQ(data.hIcon, main().Icon());
  EXPECT_EQ(TipText(data), "Double-click to start Dayvane.");
}

TEST_F(Lifecycle, MinimisingHidesAndSavesOnlyTheState) {
  Start();
  main().Show();
  main().Move(1500, 1200, 6000, 4500);
  EXPECT_EQ(tk_.settings.at("Dayvane/frmMain/Left"), " 1500");
  main().SetWindowState(1);
  EXPECT_FALSE(main().Visible());
  EXPECT_EQ(tk_.settings.at("Dayvane/frmMain/WindowState"), " 1");
  EXPECT_EQ(tk_.settings.at("Dayvane/frmMain/Width"), " 6000");
}

TEST_F(Lifecycle, WithoutATrayTheWindowIsShownAndMinimisingKeepsIt) {
  tk_.tray_available = false;
  Start();
  EXPECT_TRUE(main().Visible());
  main().SetWindowState(1);
  EXPECT_TRUE(main().Visible());
  // A tray that appears later takes over as usual.
  tk_.tray_available = true;
  main().SetWindowState(0);
  main().SetWindowState(1);
  EXPECT_FALSE(main().Visible());
}

TEST_F(Lifecycle, CloseCommandRemovesTheIconSavesAndEndsWithoutAsking) {
  Start();
  main().Show();
  main().Move(3000, 2000, 7000, 5000);
  const std::uint32_t hook = main().control("hook").hWnd();
  main().RaiseCloseRequest();
  EXPECT_EQ(tk_.notify_calls.back().first, kNimDelete);
  const NotifyIconData data = NotifyIconFromBytes(tk_.notify_calls.back().second);
  EXPECT_EQ(data.hWnd, hook);
  EXPECT_EQ(data.uID, 1U);
  EXPECT_EQ(data.cbSize, 88U);
  EXPECT_TRUE(tk_.boxes.empty());
  EXPECT_EQ(tk_.settings.at("Dayvane/frmMain/Width"), " 7000");
  EXPECT_FALSE(program_.main.keeper());
  EXPECT_EQ(tk_.quit_code, 0);
}

TEST_F(Lifecycle, OpenAboutWindowKeepsTheProgramRunningWithoutIcon) {
  Start();
  main().RaiseMenuClick("menuAbout");
  main().RaiseCloseRequest();
  EXPECT_FALSE(tk_.quit_code.has_value());
  EXPECT_EQ(tk_.notify_calls.back().first, kNimDelete);
  tk_.window("frmAbout").RaiseCloseRequest();
  EXPECT_EQ(tk_.quit_code, 0);
}

TEST_F(Lifecycle, ShutdownClosesEverythingInOrder) {
  Start();
  main().RaiseMenuClick("menuAbout");
  program_.Shutdown();
  EXPECT_FALSE(program_.main.IsLoaded());
  EXPECT_FALSE(program_.about.IsLoaded());
  EXPECT_EQ(tk_.quit_code, 0);
}

TEST_F(Lifecycle, ErrorInAHandlerShowsItAndEndsTheProgram) {
  Start();
  main().control("Calendar1").book.Fail("Month", ErrorKind::Overflow);
  EXPECT_THROW(main().RaiseDblClick(main().control("Calendar1")), ProgramEnded);
  ASSERT_FALSE(tk_.boxes.empty());
  EXPECT_EQ(tk_.boxes.back().prompt, "Run-time error '6':\n\nOverflow");
}

}  // namespace
}  // namespace dv
