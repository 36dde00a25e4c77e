// Fuzz target: the placement keeper bound to a simulated main window whose
// store holds five arbitrary texts. The input is four bytes that choose the
// screens, the pixel size and the window's own size, then the texts of
// WindowState, Left, Top, Width and Height separated by NUL bytes (a text
// left out is a missing key).
//   - binding raises nothing but the designed errors (Overflow, an invalid
//     property value);
//   - a bound window ends up no smaller than its design (or the screen, if
//     that is smaller) and no larger than the work area;
//   - every text saved reads back to the window's value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "form_plus/form_plus.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "runtime/forms.h"
#include "sim/sim_toolkit.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

const dv::FormDesign& Design() {
  static const dv::FormDesign design = [] {
    dv::FormDesign d;
    d.name = "frmMain";
    d.client_width = 4875;
    d.client_height = 3015;
    return d;
  }();
  return design;
}

class Owner : public dv::Form {
 public:
  explicit Owner(dv::Forms& forms) : Form(forms, Design()) {}
  void OnResize() override {
    if (keeper) keeper->Resize();
  }
  std::shared_ptr<dv::FormPlus> keeper;
};

const char* const kKeys[] = {"WindowState", "Left", "Top", "Width", "Height"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  dv::sim::SimToolkit tk;
  static const dv::Single kPixel[] = {15, 12, 7.5F, 20};
  tk.twips_per_pixel = kPixel[data[0] & 3];
  const int width = 160 + data[1] * 8;
  const int height = 120 + data[2] * 6;
  tk.work_areas = {{0, 0, width, height}};
  if ((data[0] & 4) != 0) tk.work_areas.push_back({width, -100, 1920, 1080});
  std::vector<std::string> texts(1);
  for (std::size_t i = 4; i < size; ++i) {
    if (data[i] == 0) {
      texts.emplace_back();
    } else {
      texts.back() += static_cast<char>(data[i]);
    }
  }
  for (std::size_t i = 0; i < texts.size() && i < 5; ++i) {
    tk.settings[std::string("Dayvane/frmMain/") + kKeys[i]] = texts[i];
  }

  dv::Forms forms(tk);
  Owner owner(forms);
  owner.Load();
  dv::sim::SimWindow& window = tk.window("frmMain");
  const dv::Single design_width = window.Width();
  const dv::Single design_height = window.Height();
  // The window's own size before binding: as designed, or something odd
  // (still larger than its frame, which the keeper measures the minimum by).
  if ((data[3] & 1) != 0) {
    window.Move(0, 0, static_cast<dv::Single>(150 + data[3] * 97),
                static_cast<dv::Single>(700 + data[3] * 61));
  }
  auto keeper = std::make_shared<dv::FormPlus>(tk);
  owner.keeper = keeper;
  try {
    keeper->SetForm(&window);
  } catch (const dv::ToolkitError& error) {
    Check(error.kind() == dv::ErrorKind::Overflow ||
          error.kind() == dv::ErrorKind::InvalidPropertyValue);
    owner.keeper.reset();
    return 0;
  }

  // Usable: the design's size, unless no screen is that large; never more
  // than the largest work area.
  double widest = 0;
  double tallest = 0;
  double narrowest = 1e18;
  double lowest = 1e18;
  for (const dv::Rect& area : tk.work_areas) {
    widest = std::max(widest, area.width * double{tk.twips_per_pixel});
    tallest = std::max(tallest, area.height * double{tk.twips_per_pixel});
    narrowest = std::min(narrowest, area.width * double{tk.twips_per_pixel});
    lowest = std::min(lowest, area.height * double{tk.twips_per_pixel});
  }
  Check(window.Width() <= widest && window.Height() <= tallest);
  Check(window.Width() >= std::min<double>(design_width, std::floor(narrowest)));
  Check(window.Height() >= std::min<double>(design_height, std::floor(lowest)));

  // What was saved reads back to the window's values.
  const auto stored = [&](const char* key) {
    return tk.settings.at(std::string("Dayvane/frmMain/") + key);
  };
  Check(dv::CInt(dv::Val(stored("WindowState"))) == window.WindowState());
  if (window.WindowState() == 0) {
    Check(static_cast<dv::Single>(dv::Val(stored("Left"))) == window.Left());
    Check(static_cast<dv::Single>(dv::Val(stored("Top"))) == window.Top());
    Check(static_cast<dv::Single>(dv::Val(stored("Width"))) == window.Width());
    Check(static_cast<dv::Single>(dv::Val(stored("Height"))) == window.Height());
  }
  owner.keeper.reset();
  dv::FormPlus::Release(keeper);
  return 0;
}
