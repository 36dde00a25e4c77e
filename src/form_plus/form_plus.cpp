#include "form_plus/form_plus.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/screen.h"
#include "runtime/forms.h"
#include "runtime/services.h"

namespace dv {

namespace {

// A stored value the keeper cannot use (outside its field's range) counts as
// missing: the window's current value stands.
template <class Int, class Round>
Int ParseOr(const std::string& text, Single current, Round round) {
  try {
    return round(Val(text));
  } catch (const ToolkitError& error) {
    if (error.kind() != ErrorKind::Overflow) throw;
    return round(current);
  }
}

}  // namespace

FormPlus::~FormPlus() {
  try {
    Terminate();
  } catch (const ToolkitError&) {  // NOLINT(bugprone-empty-catch): nobody is left to tell
  }
}

void FormPlus::Release(std::shared_ptr<FormPlus>& keeper) {
  std::shared_ptr<FormPlus> last = std::move(keeper);
  if (!last || last.use_count() > 1) return;
  std::exception_ptr failure;
  try {
    last->Terminate();
  } catch (const ToolkitError&) {
    failure = std::current_exception();
  }
  last.reset();
  if (failure) std::rethrow_exception(failure);
}

void FormPlus::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  struct Unbind {
    Window*& form;
    ~Unbind() { form = nullptr; }
  } unbind{BoundForm};
  SavePlacement();
}

void FormPlus::Resize() { SavePlacement(); }

void FormPlus::SetForm(Window* vNewValue) {
  BoundForm = vNewValue;
  LoadPlacement();
  Resize();
}

bool FormPlus::Bound() {
  if (BoundForm != nullptr && !BoundForm->Name().empty()) return true;
  std::string message = kNotBound;
  if (ErrorMessage) ErrorMessage(message);
  return false;
}

void FormPlus::LoadPlacement() {
  if (!Bound()) return;
  const std::string app = toolkit_.App().EXEName;
  Window& form = *BoundForm;
  const auto read_bound = [&](const char* key, Single current) {
    const std::string text = GetSetting(toolkit_, app, form.Name(), key, Str(current));
    return ParseOr<std::int32_t>(text, current, [](double v) { return CLng(v); });
  };
  SavedLeft = read_bound("Left", form.Left());
  SavedTop = read_bound("Top", form.Top());
  SavedWidth = read_bound("Width", form.Width());
  SavedHeight = read_bound("Height", form.Height());

  const auto current_state = static_cast<Single>(form.WindowState());
  const std::string state_text =
      GetSetting(toolkit_, app, form.Name(), "WindowState", Str(current_state));
  std::int16_t state =
      ParseOr<std::int16_t>(state_text, current_state, [](double v) { return CInt(v); });
  // A state the window does not accept counts as missing as well.
  if (state < 0 || state > 2) state = CInt(current_state);
  SavedWindowState = state;
  KeepUsableSize(form);

  form.SetWindowState(SavedWindowState);
  form.Move(static_cast<Single>(SavedLeft), static_cast<Single>(SavedTop),
            static_cast<Single>(SavedWidth), static_cast<Single>(SavedHeight));
}

SizeLimits FormPlus::UsableSizes(Window& form, std::int32_t left, std::int32_t top,
                                 std::int32_t width, std::int32_t height) {
  const double tpp_x = toolkit_.TwipsPerPixelX();
  const double tpp_y = toolkit_.TwipsPerPixelY();
  SizeLimits limits;
  limits.min_width = kMinimumPixels * tpp_x;
  limits.min_height = kMinimumPixels * tpp_y;
  if (form.owner() != nullptr) {
    // The designed client area with the window's frame around it: all of
    // the calendar shows.
    // The frame is the outer size less the client area; a window smaller
    // than its frame shows no client area to measure it by, and the frame
    // measured at an earlier binding stands.
    const FormDesign& design = form.owner()->design();
    const Single client_width = form.ScaleWidth();
    const Single client_height = form.ScaleHeight();
    if (client_width > 0) frame_width_ = std::max(0.0, double{form.Width()} - client_width);
    if (client_height > 0) frame_height_ = std::max(0.0, double{form.Height()} - client_height);
    limits.min_width = std::max(limits.min_width, design.client_width + frame_width_);
    limits.min_height = std::max(limits.min_height, design.client_height + frame_height_);
  }
  const std::vector<Rect> areas = toolkit_.WorkAreas();
  const auto pixel_size = [](double twips, double min, double tpp) {
    return static_cast<Single>(std::max(twips, min) / tpp);
  };
  // Where the window lands, at least at the minimum size.
  const Rect wanted{static_cast<int>(std::lround(left / tpp_x)),
                    static_cast<int>(std::lround(top / tpp_y)),
                    static_cast<int>(pixel_size(width, limits.min_width, tpp_x)),
                    static_cast<int>(pixel_size(height, limits.min_height, tpp_y))};
  if (const Rect* area = LandingArea(wanted, areas)) {
    limits.max_width = area->width * tpp_x;
    limits.max_height = area->height * tpp_y;
  }
  // On a screen smaller than the design, the screen wins.
  limits.min_width = std::min(limits.min_width, limits.max_width);
  limits.min_height = std::min(limits.min_height, limits.max_height);
  return limits;
}

void FormPlus::KeepUsableSize(Window& form) {
  const SizeLimits limits = UsableSizes(form, SavedLeft, SavedTop, SavedWidth, SavedHeight);
  // A stored size outside the limits counts as missing, as an unreadable
  // one does: the window's own size stands, itself brought into the limits.
  const auto usable = [](double value, double min, double max) {
    return value >= min && value <= max;
  };
  const auto fit = [](double value, double min, double max) {
    return static_cast<std::int32_t>(std::clamp(value, std::ceil(min), std::floor(max)));
  };
  if (!usable(SavedWidth, limits.min_width, limits.max_width)) {
    SavedWidth = fit(form.Width(), limits.min_width, limits.max_width);
  }
  if (!usable(SavedHeight, limits.min_height, limits.max_height)) {
    SavedHeight = fit(form.Height(), limits.min_height, limits.max_height);
  }
}

void FormPlus::SavePlacement() {
  if (!Bound()) return;
  const std::string app = toolkit_.App().EXEName;
  Window& form = *BoundForm;
  // One update of the store: an interruption leaves the old placement or
  // the new one, never a mix.
  SettingValues values{{"WindowState", Str(static_cast<Single>(form.WindowState()))}};
  if (form.WindowState() == 0) {
    values.emplace_back("Left", Str(form.Left()));
    values.emplace_back("Top", Str(form.Top()));
    values.emplace_back("Width", Str(form.Width()));
    values.emplace_back("Height", Str(form.Height()));
  }
  SaveSettings(toolkit_, app, form.Name(), values);
}

}  // namespace dv
