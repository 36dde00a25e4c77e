// The services' shared rules, and window loading and notification delivery,
// on the simulated toolkit.
#include "runtime/services.h"
#include "platform/screen.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/errors.h"
#include "runtime/forms.h"
#include "sim/sim_toolkit.h"

namespace dv {
namespace {

using sim::SimToolkit;

TEST(AppActivate, ExactTitleFirstThenPrefixElseInvalidProcedureCall) {
  SimToolkit tk;
  tk.extra_titles = {"Dayvane v2.0 notes", "Dayvane", "Other"};
  AppActivate(tk, "Dayvane");
  EXPECT_EQ(tk.activated.back(), "Dayvane");
  AppActivate(tk, "Dayvane v");
  EXPECT_EQ(tk.activated.back(), "Dayvane v2.0 notes");
  try {
    AppActivate(tk, "dayvane");  // letter case counts
    FAIL();
  } catch (const ToolkitError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::InvalidProcedureCall);
  }
}

TEST(Settings, MissingKeyGivesTheDefaultAndTextIsKeptExactly) {
  SimToolkit tk;
  EXPECT_EQ(GetSetting(tk, "Dayvane", "frmMain", "Left", " 90"), " 90");
  SaveSetting(tk, "Dayvane", "frmMain", "Left", " 1234");
  EXPECT_EQ(GetSetting(tk, "Dayvane", "frmMain", "Left", " 90"), " 1234");
  EXPECT_EQ(GetSetting(tk, "Dayvane", "frmmain", "Left", "x"), "x");
}

TEST(MessageBox, DefaultTitleIsTheApplicationsTitle) {
  SimToolkit tk;
  MsgBox(tk, "Hello");
  MsgBox(tk, "Sure?", kMbYesNo, "Confirm Exit");
  ASSERT_EQ(tk.boxes.size(), 2U);
  EXPECT_EQ(tk.boxes[0].title, "Dayvane v2.0");
  EXPECT_EQ(tk.boxes[0].buttons, 0);
  EXPECT_EQ(tk.boxes[1].title, "Confirm Exit");
}

TEST(Files, AppendCreatesAndKeepsContentAndNumbersAreOneAtATime) {
  SimToolkit tk;
  tk.current_directory = "/notes";
  tk.files["/notes/old.txt"] = "kept";
  FileTable files(tk);
  files.OpenForAppend("old.txt", 1);
  EXPECT_THROW(files.OpenForAppend("new.txt", 1), ToolkitError);
  files.Close(1);
  files.OpenForAppend("new.txt", 1);
  files.Close(1);
  EXPECT_EQ(tk.files["/notes/old.txt"], "kept");
  EXPECT_EQ(tk.files.count("/notes/new.txt"), 1U);
}

TEST(FitOnScreen, PutsWindowsWhollyOnTheWorkArea) {
  const std::vector<Rect> one{{0, 0, 1024, 768}};
  EXPECT_EQ(FitOnScreen({100, 100, 400, 300}, one), (Rect{100, 100, 400, 300}));
  EXPECT_EQ(FitOnScreen({624, 468, 400, 300}, one), (Rect{624, 468, 400, 300}));
  // Partly off the edge (saved at a lower resolution): moved in by the least.
  EXPECT_EQ(FitOnScreen({900, 700, 400, 300}, one), (Rect{624, 468, 400, 300}));
  EXPECT_EQ(FitOnScreen({-5, 100, 400, 300}, one), (Rect{0, 100, 400, 300}));
  // On a monitor that is gone (right of the screen): moved in, size kept.
  EXPECT_EQ(FitOnScreen({2000, 100, 400, 300}, one), (Rect{624, 100, 400, 300}));
  // Saved on a larger screen: shrunk to the work area.
  EXPECT_EQ(FitOnScreen({-3000, -3000, 2000, 1000}, one), (Rect{0, 0, 1024, 768}));
  // Only a sliver visible: fitted.
  EXPECT_EQ(FitOnScreen({1010, 100, 400, 300}, one), (Rect{624, 100, 400, 300}));
  // Two monitors: the nearer one takes it.
  const std::vector<Rect> two{{0, 0, 1024, 768}, {1024, 0, 1280, 1024}};
  EXPECT_EQ(FitOnScreen({2400, 1100, 300, 200}, two), (Rect{2004, 824, 300, 200}));
  EXPECT_EQ(FitOnScreen({10, 10, 30, 30}, {}), (Rect{10, 10, 30, 30}));
}

TEST(FitOnScreen, LimitsTheSizeToTheWorkAreaItLandsOn) {
  const std::vector<Rect> one{{0, 0, 1024, 768}};
  // Visible, but larger than the screen: its title bar buttons would be off it.
  EXPECT_EQ(FitOnScreen({10, 10, 2667, 2000}, one), (Rect{0, 0, 1024, 768}));
  EXPECT_EQ(FitOnScreen({0, 100, 32769, 300}, one), (Rect{0, 100, 1024, 300}));
  // Edges beyond 32 bits do not wrap around.
  constexpr int kMax = std::numeric_limits<int>::max();
  EXPECT_EQ(FitOnScreen({0, 0, kMax, kMax}, one), (Rect{0, 0, 1024, 768}));
  EXPECT_EQ(FitOnScreen({kMax - 10, kMax - 10, 400, 300}, one), (Rect{624, 468, 400, 300}));
  EXPECT_EQ(FitOnScreen({-kMax, -kMax, kMax, kMax}, one), (Rect{0, 0, 1024, 768}));
  // Across two monitors: the one that shows most of it limits it.
  const std::vector<Rect> two{{0, 0, 1024, 768}, {1024, 0, 1280, 1024}};
  EXPECT_EQ(FitOnScreen({900, 0, 1500, 600}, two), (Rect{1024, 0, 1280, 600}));
  EXPECT_EQ(FitOnScreen({100, 0, 1100, 600}, two), (Rect{0, 0, 1024, 600}));
  EXPECT_EQ(*LandingArea({5000, 5000, 10, 10}, two), two[1]);
  EXPECT_EQ(LandingArea({0, 0, 10, 10}, {}), nullptr);
}

TEST(Units, TwipsAndPixelsFollowTheLogicalResolution) {
  EXPECT_EQ(TwipsPerPixelAt(96), 15.0F);
  EXPECT_EQ(TwipsPerPixelAt(120), 12.0F);
  EXPECT_EQ(TwipsPerPixelAt(0), 15.0F);
  EXPECT_EQ(TwipsToPixels(4875, 15), 325);
  EXPECT_EQ(PixelsToTwips(201, 15), 3015.0F);
  // The main window's designed client area at 150 % and 200 %.
  EXPECT_EQ(TwipsPerPixelAt(144), 10.0F);
  EXPECT_EQ(TwipsPerPixelAt(192), 7.5F);
  EXPECT_EQ(PixelRect(0, 0, 4875, 3015, TwipsPerPixelAt(144)), (Rect{0, 0, 488, 302}));
  EXPECT_EQ(PixelRect(0, 0, 4875, 3015, TwipsPerPixelAt(192)), (Rect{0, 0, 650, 402}));
}

// The placement keeper stores whole twips: every pixel position and size
// must come back as the same pixel, at any usual resolution.
TEST(Units, WholeTwipsBringBackEveryPixel) {
  for (const int dpi : {96, 120, 144, 168, 192, 240, 288, 384}) {
    const Single tpp = TwipsPerPixelAt(dpi);
    for (int pixels = -4000; pixels <= 8000; ++pixels) {
      const std::int32_t stored = CLng(PixelsToTwips(pixels, tpp));
      ASSERT_EQ(TwipsToPixels(static_cast<Single>(stored), tpp), pixels)
          << dpi << " dpi, " << pixels << " pixels, stored " << stored;
    }
  }
}

TEST(Units, MoveKeepsWhatItLeavesOutAndNeverGivesANegativeSize) {
  const Rect outer{10, 20, 300, 200};
  EXPECT_EQ(MovedBounds(outer, 1500, std::nullopt, std::nullopt, std::nullopt, 15),
            (Rect{100, 20, 300, 200}));
  EXPECT_EQ(MovedBounds(outer, 0, 150, std::nullopt, std::nullopt, 15), (Rect{0, 10, 300, 200}));
  EXPECT_EQ(MovedBounds(outer, -150, -150, -30, 45, 15), (Rect{-10, -10, 0, 3}));
  EXPECT_EQ(PixelRect(90, 0, 4695, -15, 15), (Rect{6, 0, 313, 0}));
  // A window on a 200 % monitor of a desktop at 100 %: the position on the
  // desktop's scale, the size on the monitor's.
  EXPECT_EQ(MovedBounds(outer, 15000, 1500, 4875, 3015, 15, 7.5F), (Rect{1000, 100, 650, 402}));
  EXPECT_EQ(MovedBounds(outer, 15000, std::nullopt, std::nullopt, 750, 15, 7.5F),
            (Rect{1000, 20, 300, 100}));
}

TEST(CodePage, LatinOneRoundTripsAndOthersBecomeQuestionMarks) {
  SimToolkit tk;
  EXPECT_EQ(tk.ToAnsi("Caf\xC3\xA9"), "Caf\xE9");
  EXPECT_EQ(tk.FromAnsi("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(tk.ToAnsi("\xE2\x82\xAC!"), "?!");
}

// A window definition whose handlers are scripted by the test.
class ScriptedForm : public Form {
 public:
  ScriptedForm(Forms& forms, const FormDesign& design) : Form(forms, design) {}
  std::function<void()> on_load, on_click;
  std::vector<std::string> calls;
  void OnLoad() override {
    calls.push_back("load");
    if (on_load) on_load();
  }
  void OnQueryUnload(int& /*cancel*/, int reason) override {
    calls.push_back("query-unload " + std::to_string(reason));
  }
  void OnUnload(int& /*cancel*/) override { calls.push_back("unload"); }
  void OnClick() override {
    if (on_click) on_click();
  }
};

FormDesign Design(const std::string& name) {
  FormDesign design;
  design.name = name;
  design.caption = name;
  design.client_width = 1500;
  design.client_height = 1500;
  return design;
}

TEST(Forms, ProgramEndsWhenTheOutermostHandlerLeavesNoWindowLoaded) {
  SimToolkit tk;
  Forms forms(tk);
  const FormDesign a_design = Design("A");
  const FormDesign b_design = Design("B");
  ScriptedForm a(forms, a_design);
  ScriptedForm b(forms, b_design);
  // A hands over to B inside its click: the moment with no window loaded is
  // not the end.
  a.on_click = [&] {
    a.Unload();
    b.Load();
  };
  forms.Run(a);
  EXPECT_TRUE(a.IsLoaded());
  tk.window("A").RaiseClick();
  EXPECT_FALSE(a.IsLoaded());
  EXPECT_TRUE(b.IsLoaded());
  EXPECT_FALSE(tk.quit_code.has_value());
  EXPECT_EQ(a.calls, (std::vector<std::string>{"load", "query-unload 1", "unload"}));
  tk.window("B").RaiseCloseRequest();
  EXPECT_EQ(b.calls.back(), "unload");
  EXPECT_EQ(tk.quit_code, 0);
}

TEST(Forms, UnhandledErrorShowsItsTextAndEndsTheProgram) {
  SimToolkit tk;
  Forms forms(tk);
  const FormDesign design = Design("A");
  ScriptedForm a(forms, design);
  a.on_click = [] { CLng(1e20); };
  forms.Run(a);
  try {
    tk.window("A").RaiseClick();
    FAIL() << "the program went on";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.exit_code, 1);
  }
  ASSERT_EQ(tk.boxes.size(), 1U);
  EXPECT_EQ(tk.boxes[0].prompt, "Run-time error '6':\n\nOverflow");
  EXPECT_EQ(tk.boxes[0].title, "Dayvane v2.0");
  EXPECT_TRUE(forms.ended());
}

TEST(Forms, ShutdownUnloadsEveryWindowAndAnOpenWindowKeepsTheProgramRunning) {
  SimToolkit tk;
  Forms forms(tk);
  const FormDesign a_design = Design("A");
  const FormDesign b_design = Design("B");
  ScriptedForm a(forms, a_design);
  ScriptedForm b(forms, b_design);
  forms.Run(a);
  forms.Deliver([&] { b.Show(); });
  forms.Deliver([&] { a.Unload(); });
  EXPECT_FALSE(tk.quit_code.has_value());
  forms.UnloadAll();
  EXPECT_EQ(b.calls.back(), "unload");
  EXPECT_EQ(b.calls[b.calls.size() - 2], "query-unload 2");
  EXPECT_EQ(tk.quit_code, 0);
}

TEST(Controls, MissingMembersFailAsLateBoundCallsDo) {
  sim::SimControl menu("mnuQuit", ControlKind::Menu);
  EXPECT_EQ(menu.Name(), "mnuQuit");
  for (const auto& call : std::vector<std::function<void()>>{
           [&] { menu.Left(); }, [&] { menu.Move(1, 2, 3, 4); }, [&] { menu.Today(); },
           [&] { menu.SetIntegralHeight(false); }, [&] { menu.X1(); }}) {
    try {
      call();
      ADD_FAILURE() << "member was there";
    } catch (const ToolkitError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::MemberNotSupported);
    }
  }
  try {
    menu.Index();
    ADD_FAILURE();
  } catch (const ToolkitError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::NotAnArray);
  }
}

TEST(Windows, StateOutsideZeroToTwoIsAnInvalidPropertyValue) {
  SimToolkit tk;
  sim::SimWindow window(tk, nullptr, "W");
  window.SetWindowState(2);
  EXPECT_EQ(window.WindowState(), 2);
  for (const int bad : {-1, 3, 7}) {
    try {
      window.SetWindowState(bad);
      ADD_FAILURE() << bad;
    } catch (const ToolkitError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::InvalidPropertyValue);
    }
  }
  EXPECT_EQ(window.WindowState(), 2);
}

}  // namespace
}  // namespace dv
