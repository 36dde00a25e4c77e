// The placement keeper on a simulated window whose moves and state changes
// raise nested resize notifications into the keeper's owner.
#include "form_plus/form_plus.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "runtime/forms.h"
#include "sim/sim_toolkit.h"

namespace dv {
namespace {

using sim::SimToolkit;
using sim::SimWindow;

FormDesign KeeperDesign() {
  FormDesign design;
  design.name = "frmMain";
  design.client_width = 4875;
  design.client_height = 3015;
  return design;
}

// An owner that answers every resize with the keeper's Resize, as the main
// window does.
class Owner : public Form {
 public:
  Owner(Forms& forms, const FormDesign& design) : Form(forms, design) {}
  void OnResize() override {
    ++resizes;
    if (keeper) keeper->Resize();
  }
  std::shared_ptr<FormPlus> keeper;
  int resizes = 0;
};

class Keeper : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_.Load();
    keeper_ = std::make_shared<FormPlus>(tk_);
    keeper_->ErrorMessage = [this](std::string& message) {
      messages_.push_back(message);
      message = "changed";
    };
    owner_.keeper = keeper_;
  }
  SimWindow& window() { return tk_.window("frmMain"); }
  std::string& Stored(const std::string& key) { return tk_.settings["Dayvane/frmMain/" + key]; }
  void Bind() {
    forms_.Deliver([this] { keeper_->SetForm(&window()); });
  }

  SimToolkit tk_;
  Forms forms_{tk_};
  const FormDesign design_ = KeeperDesign();
  Owner owner_{forms_, design_};
  std::shared_ptr<FormPlus> keeper_;
  std::vector<std::string> messages_;
};

TEST_F(Keeper, FirstRunKeepsTheDesignAndWritesAllFiveKeys) {
  // Centred at half a twip: the restore rounds it to the even neighbour.
  ASSERT_EQ(window().Left(), 5182.5F);
  Bind();
  EXPECT_EQ(window().Left(), 5182);
  EXPECT_EQ(Stored("WindowState"), " 0");
  EXPECT_EQ(Stored("Left"), " 5182");
  EXPECT_EQ(Stored("Width"), " 4995");
  EXPECT_EQ(Stored("Height"), " 3360");
  EXPECT_EQ(keeper_->Form(), &window());
}

TEST_F(Keeper, RestoresStateBeforeMoveAndSavesWhatTheNestedResizesSee) {
  Stored("Left") = " 150";
  Stored("Top") = "-300";
  Stored("Width") = "  5.1e3";
  Stored("Height") = "4000.5";
  Stored("WindowState") = " 0";
  tk_.log.clear();
  Bind();
  EXPECT_EQ(window().Left(), 150);
  EXPECT_EQ(window().Top(), -300);
  EXPECT_EQ(window().Width(), 5100);
  EXPECT_EQ(window().Height(), 4000);  // .5 to the even neighbour
  EXPECT_EQ(Stored("Top"), "-300");
  EXPECT_EQ(Stored("Height"), " 4000");
  // The move resized the window: the owner saved inside the restore.
  EXPECT_GE(owner_.resizes, 1);
  const auto state = std::find(tk_.log.begin(), tk_.log.end(), "frmMain.WindowState=(0)");
  const auto move = std::find(tk_.log.begin(), tk_.log.end(), "frmMain.Move4(150,-300,5100,4000)");
  EXPECT_LT(state, move);
}

TEST_F(Keeper, MinimisedStateKeepsTheNormalBoundsSavedEarlier) {
  Stored("Left") = " 600";
  Stored("Top") = " 700";
  Stored("Width") = " 5000";
  Stored("Height") = " 4000";
  Stored("WindowState") = " 1";
  Bind();
  EXPECT_EQ(window().WindowState(), 1);
  EXPECT_EQ(window().Width(), 5000);
  window().Move(0, 0, 100, 100);
  keeper_->Resize();
  EXPECT_EQ(Stored("WindowState"), " 1");
  EXPECT_EQ(Stored("Width"), " 5000");
}

TEST_F(Keeper, TrailingJunkIsIgnoredAndTextWithoutNumberReadsZero) {
  Stored("Left") = "150abc";
  Stored("Top") = "abc";
  Stored("WindowState") = " 2 ";
  Bind();
  EXPECT_EQ(window().Left(), 150);
  EXPECT_EQ(window().Top(), 0);
  EXPECT_EQ(window().WindowState(), 2);
}

TEST_F(Keeper, UnusableStoredValuesCountAsMissingAndTheRestStillApply) {
  const Single width = window().Width();
  const std::int16_t state = window().WindowState();
  Stored("Left") = " 150";
  Stored("Width") = "99999999999";
  Stored("Height") = "1e400";
  Stored("WindowState") = "7";
  Bind();
  EXPECT_EQ(window().Left(), 150);
  EXPECT_EQ(window().Width(), width);
  EXPECT_EQ(window().WindowState(), state);
  EXPECT_EQ(Stored("Width"), Str(width));
  EXPECT_EQ(Stored("WindowState"), " 0");
  Stored("WindowState") = "40000";
  Bind();
  EXPECT_EQ(window().WindowState(), state);
  Stored("WindowState") = "-1";
  Bind();
  EXPECT_EQ(window().WindowState(), state);
}

// The main window's usable sizes on the simulated 1024 x 768 screen at 15
// twips a pixel: at least the designed client area 4875 x 3015 with the
// frame around it, at most the work area of 15360 x 11520.
TEST_F(Keeper, UnusableStoredSizesGiveAFittingSizeThatIsNeverSavedBack) {
  const Single design_width = window().Width();
  const Single design_height = window().Height();
  const SizeLimits limits = keeper_->UsableSizes(window(), 0, 0, 0, 0);
  EXPECT_EQ(limits.min_width, design_width);
  EXPECT_EQ(limits.min_height, design_height);
  EXPECT_EQ(limits.max_width, 15360);
  EXPECT_EQ(limits.max_height, 11520);
  for (const std::string bad : {" 0", "-4995", " 15" /* 1 px */, "1", "3359", "nan", "inf", "-inf",
                                "NaN(0x1)", "1e400", " 40000", " 15361", "&H7FFFFFFF", "&HFFFFFFFF",
                                "99999999999", "-2147483648", "\xff\xfe\x80", "\xc3(", ""}) {
    SCOPED_TRACE("stored size \"" + bad + "\"");
    Stored("WindowState") = " 0";
    Stored("Left") = " 300";
    Stored("Top") = " 450";
    Stored("Width") = bad;
    Stored("Height") = bad;
    tk_.log.clear();
    Bind();
    EXPECT_EQ(window().Width(), design_width);
    EXPECT_EQ(window().Height(), design_height);
    EXPECT_EQ(window().Left(), 300);
    EXPECT_EQ(Stored("Width"), Str(design_width));
    EXPECT_EQ(Stored("Height"), Str(design_height));
    for (const std::string& entry : tk_.log) {
      EXPECT_NE(entry, "SaveSetting(Width," + bad + ")");
      EXPECT_NE(entry, "SaveSetting(Height," + bad + ")");
    }
  }
  // One bad value: the other one still applies.
  Stored("Width") = " 6000";
  Stored("Height") = "0";
  Bind();
  EXPECT_EQ(window().Width(), 6000);
  EXPECT_EQ(window().Height(), design_height);
  Stored("Width") = " 4994";  // a twip narrower than the design: the window keeps its own
  Stored("Height") = " 4000";
  Bind();
  EXPECT_EQ(window().Width(), 6000);
  EXPECT_EQ(window().Height(), 4000);
  // Exactly the work area is usable.
  Stored("Width") = " 15360";
  Stored("Height") = " 11520";
  Bind();
  EXPECT_EQ(window().Width(), 15360);
  EXPECT_EQ(window().Height(), 11520);
}

TEST_F(Keeper, AWindowWithAnUnusableSizeOfItsOwnGetsOneThatFits) {
  // Too small itself and nothing usable stored: the smallest usable size.
  const SizeLimits limits = keeper_->UsableSizes(window(), 0, 0, 0, 0);
  Bind();
  window().Move(0, 0, 15, 15);
  Stored("Width") = " 0";
  Bind();
  EXPECT_EQ(window().Width(), limits.min_width);
  EXPECT_EQ(window().Height(), limits.min_height);
  // Too large itself: the work area.
  window().Move(0, 0, 99999, 99999);
  tk_.settings.clear();
  Bind();
  EXPECT_EQ(window().Width(), 15360);
  EXPECT_EQ(window().Height(), 11520);
  EXPECT_EQ(Stored("Width"), " 15360");
  // A screen smaller than the design: the screen wins.
  tk_.work_areas = {{0, 0, 200, 150}};
  Bind();
  EXPECT_EQ(window().Width(), 3000);
  EXPECT_EQ(window().Height(), 2250);
}

TEST_F(Keeper, TheScreenTheWindowLandsOnLimitsItsSize) {
  tk_.work_areas = {{0, 0, 1024, 768}, {1024, 0, 1920, 1080}};
  // 1500 x 1000 px fits the second screen, where it lands...
  Stored("Left") = " 16500";
  Stored("Top") = " 0";
  Stored("Width") = " 22500";
  Stored("Height") = " 15000";
  Bind();
  EXPECT_EQ(window().Width(), 22500);
  EXPECT_EQ(window().Height(), 15000);
  // ...but not the first one.
  Stored("Left") = " 0";
  Bind();
  EXPECT_NE(window().Width(), 22500);
  EXPECT_LE(window().Width(), 15360);
  EXPECT_LE(window().Height(), 11520);
}

TEST_F(Keeper, EachSaveIsOneUpdateOfTheStore) {
  Bind();
  const int updates = tk_.settings_updates;
  tk_.log.clear();
  keeper_->Resize();
  EXPECT_EQ(tk_.settings_updates, updates + 1);
  EXPECT_EQ(std::count(tk_.log.begin(), tk_.log.end(), "SaveSettings(frmMain)"), 1);
  // Nothing changed: a store that compares has nothing to replace.
  const int replacements = tk_.store_replacements;
  keeper_->Resize();
  EXPECT_EQ(tk_.store_replacements, replacements);
  window().Move(0, 0, 6000, 4000);
  EXPECT_EQ(tk_.store_replacements, replacements + 1);
}

TEST_F(Keeper, UnboundKeeperReportsAndWritesNothing) {
  keeper_->Resize();
  EXPECT_EQ(messages_, (std::vector<std::string>{"You must set the form object!"}));
  EXPECT_TRUE(tk_.settings.empty());
  forms_.Deliver([this] { keeper_->SetForm(nullptr); });
  EXPECT_EQ(messages_.size(), 3U);  // once from the restore, once from the save
  EXPECT_EQ(messages_.back(), "You must set the form object!");
  EXPECT_TRUE(tk_.settings.empty());
  owner_.keeper.reset();
  FormPlus::Release(keeper_);
  EXPECT_EQ(messages_.size(), 4U);
}

TEST_F(Keeper, ReleaseSavesOnceMoreAndPassesAFailureOn) {
  Bind();
  owner_.keeper.reset();
  window().Move(111, 222, 3333, 4444);
  FormPlus::Release(keeper_);
  EXPECT_FALSE(keeper_);
  EXPECT_EQ(Stored("Left"), " 111");

  auto failing = std::make_shared<FormPlus>(tk_);
  forms_.Deliver([&] { failing->SetForm(&window()); });
  window().book.Fail("WindowState");
  EXPECT_THROW(FormPlus::Release(failing), ToolkitError);
  EXPECT_FALSE(failing);
}

TEST_F(Keeper, StoreFailurePassesToTheCallerAndTheWindowStaysBound) {
  window().book.Fail("Move4", ErrorKind::InvalidPropertyValue);
  EXPECT_THROW(keeper_->SetForm(&window()), ToolkitError);
  EXPECT_EQ(keeper_->Form(), &window());
  EXPECT_TRUE(tk_.settings.empty());  // the final save did not run
}

}  // namespace
}  // namespace dv
