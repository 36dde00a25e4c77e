// What the program relies on of a toolkit, stated once and run against each
// toolkit: the simulated one, Qt (in Xvfb with a window manager) and Win32
// (under Wine). A backend supplies the toolkit and the few things a test
// needs to do around it:
//
//   Toolkit& tk();
//   bool WaitFor(const std::function<bool()>& done, int ms);  // runs the loop
//   void Settle();               // what the desktop sends back has arrived
//   void AnswerNextBox(int id);  // the next message box gets that button
//   std::string ActiveTitle();   // the title of the active window
//   void WriteFile(const std::string& name, const std::string& text);
//   std::string ReadFile(const std::string& name);
//   std::string TempName(const std::string& leaf);  // a path for a file
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "platform/errors.h"
#include "platform/toolkit.h"
#include "runtime/forms.h"
#include "runtime/services.h"

namespace dv::contract {

// Files on the real file system, for the real toolkits' backends.
inline void WriteTextFile(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}
inline std::string ReadTextFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A window that counts its resize notifications.
class Probe : public Form {
 public:
  Probe(Forms& forms, const FormDesign& design) : Form(forms, design) {}
  void OnResize() override { ++resizes; }
  int resizes = 0;
};

inline FormDesign ProbeDesign(const std::string& name, const std::string& caption) {
  FormDesign design;
  design.name = name;
  design.caption = caption;
  design.client_width = 4875;
  design.client_height = 3015;
  design.centred = true;
  ControlDesign picture;
  picture.name = "pic";
  picture.kind = ControlKind::PictureBox;
  picture.left = 150;
  picture.top = 150;
  picture.width = 1500;
  picture.height = 900;
  ControlDesign timer;
  timer.name = "tmr";
  timer.kind = ControlKind::Timer;
  design.controls = {picture, timer};
  return design;
}

template <class Backend>
class Contract : public ::testing::Test {
 protected:
  Toolkit& tk() { return backend_.tk(); }
  bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    return backend_.WaitFor(done, ms);
  }
  // The window's bounds, in whole pixels.
  static std::string Bounds(const Window& w, Single tpp) {
    const auto px = [tpp](Single twips) { return std::to_string(std::lround(twips / tpp)); };
    return px(w.Left()) + "," + px(w.Top()) + " " + px(w.Width()) + "x" + px(w.Height());
  }

  Backend backend_;
  Forms forms_{backend_.tk()};
  const FormDesign design_ = ProbeDesign("frmProbe", "Dayvane v2.0");
  const FormDesign other_design_ = ProbeDesign("frmOther", "Dayvane");
  Probe probe_{forms_, design_};
  Probe other_{forms_, other_design_};
};

TYPED_TEST_SUITE_P(Contract);

// A resize notification comes when a window is shown for the first time and
// whenever its state or size changes; hiding it, or showing it again as it
// was, raises none.
TYPED_TEST_P(Contract, ResizeNotificationsFollowFirstShowStateAndSize) {
  Window& w = this->probe_.window();
  int& resizes = this->probe_.resizes;
  this->backend_.Settle();
  EXPECT_EQ(resizes, 0) << "loading raised a resize";
  w.Show();
  EXPECT_TRUE(this->WaitFor([&] { return resizes >= 1; })) << "the first show raised none";
  this->backend_.Settle();
  const int shown = resizes;
  w.Hide();
  this->backend_.Settle();
  EXPECT_EQ(resizes, shown) << "hiding raised a resize";
  w.Show();
  this->backend_.Settle();
  EXPECT_EQ(resizes, shown) << "showing again at the same size and state raised a resize";
  for (const int state : {1, 0, 2, 0}) {
    const int before = resizes;
    w.SetWindowState(state);
    EXPECT_TRUE(this->WaitFor([&] { return resizes > before; }))
        << "the change to state " << state << " raised none";
    EXPECT_EQ(w.WindowState(), state);
    this->backend_.Settle();
  }
  const int before = resizes;
  w.Move(w.Left(), w.Top(), w.Width() + 30 * this->tk().TwipsPerPixelX(), w.Height());
  EXPECT_TRUE(this->WaitFor([&] { return resizes > before; })) << "a new size raised none";
  EXPECT_THROW(w.SetWindowState(3), ToolkitError);
}

// Move never fails, whatever the state; the bounds it sets are those the
// window has (or returns to) in normal state.
TYPED_TEST_P(Contract, MoveWorksInEveryStateAndSetsTheNormalBounds) {
  Window& w = this->probe_.window();
  const Single tpp = this->tk().TwipsPerPixelX();
  struct Case {
    bool shown;
    int state;
    int left;
  };
  for (const Case c : {Case{false, 0, 100}, Case{true, 0, 120}, Case{true, 1, 140},
                       Case{true, 2, 160}, Case{false, 1, 180}}) {
    if (c.shown) {
      w.SetWindowState(0);
      w.Show();
      this->backend_.Settle();
      w.SetWindowState(c.state);
    } else {
      w.Hide();
      w.SetWindowState(c.state);
    }
    this->backend_.Settle();
    const Single left = static_cast<Single>(c.left) * tpp;
    const Single top = 90 * tpp;
    const Single width = 400 * tpp;
    const Single height = 300 * tpp;
    EXPECT_NO_THROW(w.Move(left, top, width, height)) << "state " << c.state;
    w.SetWindowState(0);
    w.Show();
    // (A window manager may put a window back from maximised a pixel off.)
    const std::string want = std::to_string(c.left) + ",90 400x300";
    const std::string off = std::to_string(c.left - 1) + ",89 400x300";
    EXPECT_TRUE(this->WaitFor([&] {
      return this->Bounds(w, tpp) == want || (c.state == 2 && this->Bounds(w, tpp) == off);
    })) << "moved while "
        << (c.shown ? "shown" : "hidden") << " in state " << c.state << ": " << this->Bounds(w, tpp)
        << " instead of " << want;
    this->backend_.Settle();
  }
}

TYPED_TEST_P(Contract, SettingsRoundTripAsTextAndMissingKeysAreMissing) {
  Toolkit& tk = this->tk();
  const std::string app = "DayvaneContract";
  const SettingValues values = {
      {"Left", " 1065"}, {"Top", "-15"}, {"Odd", "a = b; [c] \"d\" 1.5e3 "}, {"Empty", ""}};
  tk.WriteSettings(app, "frmProbe", values);
  for (const auto& [key, value] : values) {
    EXPECT_EQ(tk.ReadSetting(app, "frmProbe", key), std::optional<std::string>(value)) << key;
  }
  EXPECT_EQ(tk.ReadSetting(app, "frmProbe", "Missing"), std::nullopt);
  EXPECT_EQ(tk.ReadSetting(app, "frmOther", "Left"), std::nullopt);
  tk.WriteSettings(app, "frmProbe", {{"Left", " 7"}});
  EXPECT_EQ(tk.ReadSetting(app, "frmProbe", "Left"), std::optional<std::string>(" 7"));
  EXPECT_EQ(tk.ReadSetting(app, "frmProbe", "Top"), std::optional<std::string>("-15"));
}

TYPED_TEST_P(Contract, OpenForAppendCreatesAndNeverTruncates) {
  const std::string kept = this->backend_.TempName("kept.txt");
  this->backend_.WriteFile(kept, "dear diary\n");
  this->tk().OpenForAppend(kept).reset();
  EXPECT_EQ(this->backend_.ReadFile(kept), "dear diary\n");
  const std::string created = this->backend_.TempName("created.txt");
  this->tk().OpenForAppend(created).reset();
  EXPECT_EQ(this->backend_.ReadFile(created), "");
  EXPECT_THROW(this->tk().OpenForAppend(this->backend_.TempName("no-such-folder/x.txt")),
               ToolkitError);
}

// Activation by title: the window titled exactly so, else the first whose
// title begins with it; only shown windows count.
TYPED_TEST_P(Contract, ActivationFindsTheExactTitleThenAPrefix) {
  Window& first = this->probe_.window();
  Window& second = this->other_.window();
  first.Show();
  second.Show();
  this->backend_.Settle();
  AppActivate(this->tk(), "Dayvane");
  EXPECT_TRUE(this->WaitFor([&] { return this->backend_.ActiveTitle() == "Dayvane"; }))
      << "active: " << this->backend_.ActiveTitle();
  AppActivate(this->tk(), "Dayvane v");
  EXPECT_TRUE(this->WaitFor([&] { return this->backend_.ActiveTitle() == "Dayvane v2.0"; }))
      << "active: " << this->backend_.ActiveTitle();
  second.Hide();
  this->backend_.Settle();
  AppActivate(this->tk(), "Dayvane");
  EXPECT_TRUE(this->WaitFor([&] { return this->backend_.ActiveTitle() == "Dayvane v2.0"; }));
  EXPECT_THROW(AppActivate(this->tk(), "Nothing like it"), ToolkitError);
}

TYPED_TEST_P(Contract, MessageBoxesReturnTheButtonChosen) {
  this->backend_.AnswerNextBox(kIdYes);
  EXPECT_EQ(MsgBox(this->tk(), "Yes?", kMbYesNo, "Confirm Exit"), kIdYes);
  this->backend_.AnswerNextBox(kIdNo);
  EXPECT_EQ(MsgBox(this->tk(), "No?", kMbYesNo, "Confirm Exit"), kIdNo);
  this->backend_.AnswerNextBox(kIdOk);
  EXPECT_EQ(MsgBox(this->tk(), "OK."), kIdOk);
}

TYPED_TEST_P(Contract, TimersTickWhileStartedAndNotAfterStop) {
  int ticks = 0;
  auto timer = this->tk().CreateTimer([&ticks] { ++ticks; });
  timer->Start(50);
  EXPECT_TRUE(this->WaitFor([&] { return ticks >= 2; }));
  timer->Stop();
  const int stopped = ticks;
  EXPECT_FALSE(this->WaitFor([&] { return ticks > stopped; }, 300)) << "ticked after Stop";
}

// A member that a control's kind lacks fails, as a late-bound call does, and
// the control says beforehand that it lacks it.
TYPED_TEST_P(Contract, MembersAKindLacksFailAndAreReportedMissing) {
  Window& w = this->probe_.window();
  Control& picture = w.ControlNamed("pic");
  Control& timer = w.ControlNamed("tmr");
  EXPECT_TRUE(picture.Has(Member::Move));
  EXPECT_NO_THROW(picture.Move(300, 300, 600, 600));
  EXPECT_EQ(picture.Left(), 300);
  EXPECT_FALSE(timer.Has(Member::Move));
  EXPECT_THROW(timer.Move(0), ToolkitError);
  EXPECT_THROW(static_cast<void>(timer.Left()), ToolkitError);
  EXPECT_FALSE(picture.Has(Member::Index));
  EXPECT_THROW(static_cast<void>(picture.Index()), ToolkitError);
  EXPECT_THROW(static_cast<void>(picture.X1()), ToolkitError);
  EXPECT_THROW(w.ControlNamed("nothing"), ToolkitError);
}

REGISTER_TYPED_TEST_SUITE_P(Contract, ResizeNotificationsFollowFirstShowStateAndSize,
                            MoveWorksInEveryStateAndSetsTheNormalBounds,
                            SettingsRoundTripAsTextAndMissingKeysAreMissing,
                            OpenForAppendCreatesAndNeverTruncates,
                            ActivationFindsTheExactTitleThenAPrefix,
                            MessageBoxesReturnTheButtonChosen,
                            TimersTickWhileStartedAndNotAfterStop,
                            MembersAKindLacksFailAndAreReportedMissing);

}  // namespace dv::contract
