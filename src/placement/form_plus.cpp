#include "placement/form_plus.h"

#include <exception>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/services.h"

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

  form.SetWindowState(SavedWindowState);
  form.Move(static_cast<Single>(SavedLeft), static_cast<Single>(SavedTop),
            static_cast<Single>(SavedWidth), static_cast<Single>(SavedHeight));
}

void FormPlus::SavePlacement() {
  if (!Bound()) return;
  const std::string app = toolkit_.App().EXEName;
  Window& form = *BoundForm;
  SaveSetting(toolkit_, app, form.Name(), "WindowState",
              Str(static_cast<Single>(form.WindowState())));
  if (form.WindowState() != 0) return;
  SaveSetting(toolkit_, app, form.Name(), "Left", Str(form.Left()));
  SaveSetting(toolkit_, app, form.Name(), "Top", Str(form.Top()));
  SaveSetting(toolkit_, app, form.Name(), "Width", Str(form.Width()));
  SaveSetting(toolkit_, app, form.Name(), "Height", Str(form.Height()));
}

}  // namespace dv
