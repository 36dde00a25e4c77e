// The layout registry and proportional resizing on simulated windows.
#include "form_resize/form_resize.h"

#include <gtest/gtest.h>

#include "sim/sim_toolkit.h"

namespace dv {
namespace {

using sim::SimControl;
using sim::SimToolkit;
using sim::SimWindow;

class Layout : public ::testing::Test {
 protected:
  // A window whose client area is `scale_width` x `scale_height`.
  std::unique_ptr<SimWindow> MakeWindow(const std::string& name, Single scale_width = 480,
                                        Single scale_height = 360) {
    auto window = std::make_unique<SimWindow>(tk_, nullptr, name);
    window->frame_width = 0;
    window->frame_height = 0;
    window->props["Left"] = 1000;
    window->props["Top"] = 2000;
    window->props["Width"] = scale_width;
    window->props["Height"] = scale_height;
    return window;
  }
  void SetScale(SimWindow& window, Single width, Single height) {
    window.props["Width"] = width;
    window.props["Height"] = height;
  }
  SimToolkit tk_;
  FormResizeModule m_;
};

TEST(NormalizeLeft, ParkedControlsKeepTheirTruePosition) {
  EXPECT_EQ(NormalizeLeft(0), 0);
  EXPECT_EQ(NormalizeLeft(120), 120);
  EXPECT_EQ(NormalizeLeft(-75000 + 120), 120);
  EXPECT_EQ(NormalizeLeft(-100), 75000 - 100);
}

TEST_F(Layout, RecordsWindowAndControlsRoundedHalfEven) {
  auto w = MakeWindow("frmMain", 480.5F, 360);
  w->props["Left"] = -300;
  w->Add(SimControl::Placed("a", 120.5F, 121.5F, 10, 20));
  w->Add(SimControl::Placed("parked", -75000 + 120, 5, 10, 20));
  w->Add(SimControl::Placed("neg", -100, 5, 10, 20));
  w->Add(SimControl::Line("line", -75000 + 100, 300, 200, 900));
  w->Add(SimControl::MenuItem("mnuQuit"));
  EXPECT_EQ(m_.FindForm(*w), -1);
  EXPECT_EQ(w->book.count("Name"), 0);  // empty table: the window is not read
  EXPECT_EQ(m_.AddForm(*w), 0);
  const LayoutRecord& form = m_.FormTable[0];
  EXPECT_EQ(form.Name, "frmMain");
  EXPECT_EQ(form.Left, -300);  // a window's Left is not normalised
  EXPECT_EQ(form.ScaleWidth, 480);
  EXPECT_EQ(form.Index, 0);
  EXPECT_EQ(form.FormName, "");
  ASSERT_EQ(m_.ControlCount, 5);
  const auto& t = m_.ControlTable;
  EXPECT_EQ(t[0].Left, 120);
  EXPECT_EQ(t[0].Top, 122);
  EXPECT_EQ(t[0].FormName, "frmMain");
  EXPECT_EQ(t[1].Left, 120);
  EXPECT_EQ(t[2].Left, 74900);
  EXPECT_EQ(t[3].Left, 100);
  EXPECT_EQ(t[3].Top, 300);
  EXPECT_EQ(t[3].Width, 200);
  EXPECT_EQ(t[3].Height, 900);
  EXPECT_EQ(t[4].Name, "mnuQuit");
  EXPECT_EQ(t[4].Left, 0);
  EXPECT_EQ(t[4].Width, 0);
  // IntegralHeight is set where a control has it; the others are passed
  // over without a failing call.
  EXPECT_EQ(w->control("a").book.count("IntegralHeight="), 0);
  auto list = MakeWindow("frmList");
  list->Add(SimControl::Placed("lst", 0, 0, 10, 20));
  list->control("lst").members.insert("IntegralHeight");
  list->control("lst").props["IntegralHeight"] = -1;
  const std::uint64_t before = ToolkitErrorsRaised();
  m_.AddForm(*list);
  EXPECT_EQ(list->control("lst").props["IntegralHeight"], 0);
  EXPECT_EQ(ToolkitErrorsRaised(), before);
}

TEST_F(Layout, NamesAreCaseSensitiveAndSharedNamesShareOneRecord) {
  auto first = MakeWindow("frmMain");
  first->Add(SimControl::Placed("Calendar1", 0, 0, 10, 10));
  m_.AddForm(*first);
  auto twin = MakeWindow("frmMain");
  twin->Add(SimControl::Placed("Calendar1", 5, 5, 10, 10));
  EXPECT_EQ(m_.FindForm(*twin), 0);
  auto other_case = MakeWindow("FRMMAIN");
  EXPECT_EQ(m_.FindForm(*other_case), -1);
  SimControl upper("CALENDAR1", ControlKind::PictureBox);
  EXPECT_EQ(m_.FindControl(upper, "frmMain"), -1);
  EXPECT_EQ(m_.FindControl(twin->control("Calendar1"), "frmMain"), 0);
  EXPECT_EQ(m_.FindControl(twin->control("Calendar1"), "frmmain"), -1);
}

TEST_F(Layout, ControlArrayMembersAreToldApartByIndex) {
  auto w = MakeWindow("frmAbout");
  for (int i = 0; i < 3; ++i) w->Add(SimControl::Placed("Label2", 100.0F * i, 0, 50, 50, i));
  w->Add(SimControl::Placed("Label1", 1, 1, 1, 1));
  m_.AddForm(*w);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(m_.FindControl(w->control("Label2", i), "frmAbout"), i);
    EXPECT_EQ(m_.ControlTable[static_cast<std::size_t>(i)].Index, i);
  }
  EXPECT_EQ(m_.ControlTable[3].Index, 0);  // not an array member
  EXPECT_EQ(m_.FindControl(w->control("Label1"), "frmAbout"), 3);
}

TEST_F(Layout, FailedReadsLeaveZeroAndTheNextStepRuns) {
  auto w = MakeWindow("frmMain");
  SimControl& c = w->Add(SimControl::Placed("c", 10, 20, 30, 40));
  c.book.Fail("Left");
  c.book.Fail("Height", ErrorKind::Overflow);
  c.book.Fail("IntegralHeight=");
  m_.AddForm(*w);
  const LayoutRecord& r = m_.ControlTable[0];
  EXPECT_EQ(r.Left, 0);
  EXPECT_EQ(r.Top, 20);
  EXPECT_EQ(r.Height, 0);
  EXPECT_EQ(r.Width, 30);
}

TEST_F(Layout, PercentagesAreTruncatedAndAZeroRecordFailsTheDivision) {
  auto w = MakeWindow("frmMain", 480, 360);
  w->Add(SimControl::Placed("c", 0, 0, 1, 1));
  EXPECT_EQ(m_.WidthPercent(*w), 100);
  SetScale(*w, 720, 359);
  EXPECT_EQ(m_.WidthPercent(*w), 150);
  EXPECT_EQ(m_.HeightPercent(*w), 99);
  SetScale(*w, 479, 360);
  EXPECT_EQ(m_.WidthPercent(*w), 99);
  auto flat = MakeWindow("flat", 0, 360);
  flat->Add(SimControl::Placed("c", 0, 0, 1, 1));
  EXPECT_THROW(m_.WidthPercent(*flat), ToolkitError);
}

TEST_F(Layout, ResizeMovesEachControlThreeTimesFromItsRecord) {
  auto w = MakeWindow("frmMain", 480, 360);
  SimControl& c = w->Add(SimControl::Placed("c", 120, 240, 456, 312));
  SimControl& parked = w->Add(SimControl::Placed("parked", -75000 + 120, 240, 456, 312));
  m_.ResizeForm(*w);
  EXPECT_EQ(m_.FormCount, 1);
  SetScale(*w, 720, 540);
  tk_.log.clear();
  m_.ResizeForm(*w);
  EXPECT_EQ(c.props["Left"], 180);
  EXPECT_EQ(c.props["Width"], 684);
  EXPECT_EQ(c.props["Height"], 468);
  std::vector<std::string> moves;
  for (const auto& entry : tk_.log) {
    if (entry.rfind("c.Move", 0) == 0) moves.push_back(entry);
  }
  EXPECT_EQ(moves, (std::vector<std::string>{"c.Move4(180,360,684,468)", "c.Move3(180,360,684)",
                                             "c.Move2(180,360)"}));
  EXPECT_EQ(parked.props["Left"], 180 - 75000);
  // Back on screen, the next rescaling puts it at its scaled Left.
  parked.props["Left"] = 5;
  m_.ResizeForm(*w);
  EXPECT_EQ(parked.props["Left"], 180);
}

TEST_F(Layout, FailingMoveStillGetsTheShorterMoves) {
  auto w = MakeWindow("frmMain");
  SimControl& c = w->Add(SimControl::Placed("c", 100, 100, 100, 100));
  m_.ResizeForm(*w);
  c.book.Fail("Move4");
  SetScale(*w, 960, 720);
  m_.ResizeForm(*w);
  EXPECT_EQ(c.book.count("Move4"), 2);
  EXPECT_EQ(c.book.count("Move3"), 2);
  EXPECT_EQ(c.book.count("Move2"), 2);
  EXPECT_EQ(c.props["Width"], 200);  // from the three-argument move
  EXPECT_EQ(c.props["Height"], 100);
}

TEST_F(Layout, LinesGetTheirEndPointsInOrderAndNeverMove) {
  auto w = MakeWindow("frmMain");
  SimControl& line = w->Add(SimControl::Line("l", -75000 + 100, 300, 200, 900));
  m_.ResizeForm(*w);
  SetScale(*w, 960, 720);
  tk_.log.clear();
  m_.ResizeForm(*w);
  std::vector<std::string> writes;
  for (const auto& entry : tk_.log) {
    if (entry.rfind("l.", 0) == 0 && entry.find('=') != std::string::npos) writes.push_back(entry);
  }
  EXPECT_EQ(writes,
            (std::vector<std::string>{"l.X1=(-74800)", "l.Y1=(600)", "l.X2=(400)", "l.Y2=(1800)"}));
  EXPECT_EQ(line.book.count("Move4"), 0);
}

TEST_F(Layout, ZeroClientWidthCollapsesControlsInThatDirection) {
  auto w = MakeWindow("frmMain");
  SimControl& c = w->Add(SimControl::Placed("c", 100, 100, 100, 100));
  SimControl& parked = w->Add(SimControl::Placed("p", -75000 + 100, 100, 100, 100));
  m_.ResizeForm(*w);
  SetScale(*w, 0, 360);
  m_.ResizeForm(*w);
  EXPECT_EQ(c.props["Left"], 0);
  EXPECT_EQ(c.props["Width"], 0);
  EXPECT_EQ(c.props["Top"], 100);
  EXPECT_EQ(parked.props["Left"], -75000);
}

TEST_F(Layout, WindowAtTop30000OrBelowIsLeftAlone) {
  auto w = MakeWindow("frmMain");
  w->Add(SimControl::Placed("c", 100, 100, 100, 100));
  w->props["Top"] = 30000;
  m_.ResizeForm(*w);
  EXPECT_EQ(m_.FormCount, 0);
  EXPECT_FALSE(m_.Resizing);
  w->props["Top"] = 29999.5F;
  m_.ResizeForm(*w);
  EXPECT_EQ(m_.FormCount, 1);
}

// A control whose Move resizes its window again, as a toolkit may do while
// ResizeForm runs.
class ReentrantControl : public SimControl {
 public:
  ReentrantControl(FormResizeModule& module, SimWindow& window)
      : SimControl("r", ControlKind::PictureBox), module_(module), window_(window) {
    props = {{"Left", 0}, {"Top", 0}, {"Width", 10}, {"Height", 10}};
  }
  void DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
              std::optional<Single> height) override {
    flag_seen = module_.Resizing;
    module_.ResizeForm(window_);
    SimControl::DoMove(left, top, width, height);
  }
  bool flag_seen = false;

 private:
  FormResizeModule& module_;
  SimWindow& window_;
};

TEST_F(Layout, NestedCallIsTurnedAwayWhileTheFlagStaysSet) {
  auto w = MakeWindow("frmMain");
  SimControl& c = w->Add(SimControl::Placed("c", 100, 100, 100, 100));
  auto& reentrant =
      static_cast<ReentrantControl&>(w->Add(std::make_unique<ReentrantControl>(m_, *w)));
  m_.ResizeForm(*w);
  EXPECT_TRUE(reentrant.flag_seen);
  EXPECT_FALSE(m_.Resizing);
  // Each outer call moves every control three times, nested calls add none.
  EXPECT_EQ(c.book.count("Move4"), 1);
  EXPECT_EQ(reentrant.book.count("Move4"), 1);
  SetScale(*w, 960, 720);
  m_.ResizeForm(*w);
  EXPECT_EQ(c.book.count("Move4"), 2);
  EXPECT_EQ(c.props["Left"], 200);
}

TEST_F(Layout, FailurePassingOutStillClearsTheFlag) {
  auto w = MakeWindow("frmMain");
  w->Add(SimControl::Placed("c", 100, 100, 100, 100));
  w->book.Fail("Top");
  EXPECT_THROW(m_.ResizeForm(*w), ToolkitError);
  EXPECT_FALSE(m_.Resizing);
}

TEST_F(Layout, MdiChildIsFittedRecordedAndGivenItsSizeBack) {
  auto w = MakeWindow("child", 3000, 2000);
  w->mdi_child = true;
  w->Add(SimControl::Placed("c", 100, 100, 100, 50));
  tk_.log.clear();
  m_.ResizeForm(*w);
  std::vector<std::string> size_writes;
  for (const auto& entry : tk_.log) {
    if (entry.rfind("child.Move", 0) == 0) size_writes.push_back(entry);
  }
  // Height 650 then Width 400, then the size from before.
  ASSERT_GE(size_writes.size(), 4U);
  EXPECT_EQ(size_writes[0], "child.Move4(1000,2000,3000,650)");
  EXPECT_EQ(size_writes[1], "child.Move3(1000,2000,400)");
  EXPECT_EQ(m_.FormTable[0].ScaleWidth, 400);
  EXPECT_EQ(m_.FormTable[0].ScaleHeight, 650);
  EXPECT_EQ(w->props["Width"], 3000);
  EXPECT_EQ(w->props["Height"], 2000);
  // Rescaled to the size it got back: 750% by 307%.
  EXPECT_EQ(w->control("c").props["Left"], 750);
  EXPECT_EQ(w->control("c").props["Top"], 307);
  EXPECT_EQ(w->book.count("Visible="), 0);  // an MDI child keeps its Visible
}

TEST_F(Layout, FirstCallRecordsAtTheCurrentSizeAndRestoresVisible) {
  auto w = MakeWindow("frmMain");
  w->Add(SimControl::Placed("c", 100.4F, 99.6F, 10, 10));
  m_.ResizeForm(*w);
  EXPECT_EQ(w->control("c").props["Left"], 100);
  EXPECT_EQ(w->control("c").props["Top"], 100);
  EXPECT_EQ(w->book.count("Visible="), 1);
  EXPECT_EQ(w->props["Visible"], 0);
}

TEST_F(Layout, ControlWithoutRecordKeepsItsGeometry) {
  auto w = MakeWindow("frmMain");
  w->Add(SimControl::Placed("c", 100, 100, 100, 100));
  m_.ResizeForm(*w);
  SimControl& late = w->Add(SimControl::Placed("late", 7, 8, 9, 10));
  SetScale(*w, 960, 720);
  m_.ResizeForm(*w);
  EXPECT_EQ(late.book.count("Move4"), 0);
  EXPECT_EQ(late.props["Left"], 7);
}

}  // namespace
}  // namespace dv
