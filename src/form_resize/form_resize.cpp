#include "form_resize/form_resize.h"

#include <limits>

#include "platform/convert.h"
#include "platform/errors.h"

namespace dv {

namespace {

constexpr std::int32_t kParkOffset = 75000;
constexpr Single kOffScreenTop = 30000;

// The next entry of a table, zeroed; a half-filled entry left by a failed
// addition is written over.
LayoutRecord& NewEntry(std::vector<LayoutRecord>& table, std::int32_t count) {
  if (count == std::numeric_limits<std::int32_t>::max()) Raise(ErrorKind::Overflow);
  const auto index = static_cast<std::size_t>(count);
  if (table.size() <= index) table.resize(index + 1);
  table[index] = LayoutRecord{};
  return table[index];
}

// (recorded × percent) div 100, moved off-screen again when `parked`.
std::int32_t Scaled(std::int32_t recorded, std::int32_t percent, bool parked = false) {
  const std::int32_t value = IntDiv(MulLong(recorded, percent), 100);
  return parked ? CLng(static_cast<double>(value) - kParkOffset) : value;
}

// An error-tolerant step on one member of `control`: skipped at once when
// the control has no such member, skipped when it fails.
template <class F>
bool TryMember(const Control& control, Member member, F&& step) {
  return control.Has(member) && Try(std::forward<F>(step));
}

std::int32_t Percent(Single current, std::int32_t recorded) {
  const Single hundredfold = current * 100.0F;
  return IntDiv(CLng(hundredfold), recorded);
}

}  // namespace

std::int32_t NormalizeLeft(std::int32_t value) { return value >= 0 ? value : value + kParkOffset; }

std::int32_t FormResizeModule::FindForm(const Window& window) {
  if (FormCount <= 0) return -1;
  const std::int32_t count = FormCount;
  for (std::int32_t i = 0; i < count; ++i) {
    if (window.Name() == FormTable[static_cast<std::size_t>(i)].Name) return i;
  }
  return -1;
}

std::int32_t FormResizeModule::AddForm(const Window& window) {
  LayoutRecord& entry = NewEntry(FormTable, FormCount);
  entry.Name = window.Name();
  entry.Top = CLng(window.Top());
  entry.Left = CLng(window.Left());
  entry.Height = CLng(window.Height());
  entry.Width = CLng(window.Width());
  entry.ScaleHeight = CLng(window.ScaleHeight());
  entry.ScaleWidth = CLng(window.ScaleWidth());
  const std::int32_t n = FormCount;
  ++FormCount;
  for (Control* control : window.Controls()) {
    if (FindControl(*control, window.Name()) < 0) AddControl(*control, window.Name());
  }
  return n;
}

std::int32_t FormResizeModule::FindControl(const Control& control, const std::string& window_name) {
  const std::int32_t count = ControlCount;
  for (std::int32_t i = 0; i < count; ++i) {
    const LayoutRecord& entry = ControlTable[static_cast<std::size_t>(i)];
    if (window_name != entry.FormName) continue;
    if (control.Name() != entry.Name) continue;
    // Not an array member: the first record with its names.
    if (!control.Has(Member::Index)) return i;
    try {
      if (control.Index() == entry.Index) return i;
    } catch (const ToolkitError&) {
      return i;  // not an array member: the first record with its names
    }
  }
  return -1;
}

std::int32_t FormResizeModule::AddControl(Control& control, const std::string& window_name) {
  LayoutRecord& entry = NewEntry(ControlTable, ControlCount);
  Try([&] { entry.Name = control.Name(); });
  TryMember(control, Member::Index, [&] { entry.Index = control.Index(); });
  entry.FormName = window_name;
  if (control.IsLine()) {
    TryMember(control, Member::Y1, [&] { entry.Top = CLng(control.Y1()); });
    TryMember(control, Member::X1, [&] { entry.Left = NormalizeLeft(CLng(control.X1())); });
    TryMember(control, Member::Y2, [&] { entry.Height = CLng(control.Y2()); });
    TryMember(control, Member::X2, [&] { entry.Width = NormalizeLeft(CLng(control.X2())); });
  } else {
    TryMember(control, Member::Top, [&] { entry.Top = CLng(control.Top()); });
    TryMember(control, Member::Left, [&] { entry.Left = NormalizeLeft(CLng(control.Left())); });
    TryMember(control, Member::Height, [&] { entry.Height = CLng(control.Height()); });
    TryMember(control, Member::Width, [&] { entry.Width = CLng(control.Width()); });
  }
  TryMember(control, Member::IntegralHeight, [&] { control.SetIntegralHeight(false); });
  const std::int32_t n = ControlCount;
  ++ControlCount;
  return n;
}

std::int32_t FormResizeModule::WidthPercent(const Window& window) {
  std::int32_t i = FindForm(window);
  if (i < 0) i = AddForm(window);
  return Percent(window.ScaleWidth(), FormTable[static_cast<std::size_t>(i)].ScaleWidth);
}

std::int32_t FormResizeModule::HeightPercent(const Window& window) {
  std::int32_t i = FindForm(window);
  if (i < 0) i = AddForm(window);
  return Percent(window.ScaleHeight(), FormTable[static_cast<std::size_t>(i)].ScaleHeight);
}

void FormResizeModule::ResizeControl(Control& control, const Window& window) {
  std::int32_t h = 0;
  std::int32_t w = 0;
  std::int32_t index = -1;
  Try([&] { h = HeightPercent(window); });
  Try([&] { w = WidthPercent(window); });
  Try([&] { index = FindControl(control, window.Name()); });
  // A control loaded after its window was recorded has no record: it keeps
  // the geometry it has.
  if (index < 0) return;
  const LayoutRecord r = ControlTable[static_cast<std::size_t>(index)];
  if (control.IsLine()) {
    TryMember(control, Member::X1,
              [&] { control.SetX1(static_cast<Single>(Scaled(r.Left, w, control.X1() < 0))); });
    TryMember(control, Member::Y1, [&] { control.SetY1(static_cast<Single>(Scaled(r.Top, h))); });
    TryMember(control, Member::X2,
              [&] { control.SetX2(static_cast<Single>(Scaled(r.Width, w, control.X2() < 0))); });
    TryMember(control, Member::Y2,
              [&] { control.SetY2(static_cast<Single>(Scaled(r.Height, h))); });
    return;
  }
  std::int32_t new_left = 0;
  std::int32_t new_top = 0;
  std::int32_t new_width = 0;
  std::int32_t new_height = 0;
  TryMember(control, Member::Left, [&] { new_left = Scaled(r.Left, w, control.Left() < 0); });
  Try([&] { new_top = Scaled(r.Top, h); });
  Try([&] { new_width = Scaled(r.Width, w); });
  Try([&] { new_height = Scaled(r.Height, h); });
  const auto left = static_cast<Single>(new_left);
  const auto top = static_cast<Single>(new_top);
  const auto width = static_cast<Single>(new_width);
  const auto height = static_cast<Single>(new_height);
  TryMember(control, Member::Move, [&] { control.Move(left, top, width, height); });
  TryMember(control, Member::Move, [&] { control.Move(left, top, width); });
  TryMember(control, Member::Move, [&] { control.Move(left, top); });
}

void FormResizeModule::ResizeForm(Window& window) {
  if (Resizing) return;
  Resizing = true;
  // Cleared on every way out, so that one failure cannot stop all later
  // rescaling.
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{Resizing};

  const bool first_time = FindForm(window) < 0;
  if (window.Top() >= kOffScreenTop) return;
  const bool visible = window.Visible();

  bool fitting = false;
  Single saved_height = 0;
  Single saved_width = 0;
  Try([&] { fitting = window.MDIChild() && first_time; });
  if (fitting) {
    Try([&] { saved_height = window.Height(); });
    Try([&] { saved_width = window.Width(); });
    Single width_extent = 0;
    std::int32_t height_extent = 0;
    const auto widen = [&](Single candidate) {
      if (candidate > width_extent) width_extent = candidate;
    };
    const auto heighten = [&](Single candidate) {
      if (candidate > static_cast<Single>(height_extent)) height_extent = CLng(candidate);
    };
    for (Control* control : window.Controls()) {
      Try([&] { widen(control->Left() + control->Width() + 200); });
      Try([&] { heighten(control->Top() + control->Height() + 500); });
      Try([&] { widen(control->X1() + 200); });
      Try([&] { heighten(control->Y1() + 500); });
      Try([&] { widen(control->X2() + 200); });
      Try([&] { heighten(control->Y2() + 500); });
    }
    window.SetHeight(static_cast<Single>(height_extent));
    window.SetWidth(width_extent);
  }

  for (Control* control : window.Controls()) ResizeControl(*control, window);

  bool mdi_child = false;
  Try([&] { mdi_child = window.MDIChild(); });
  if (!mdi_child) {
    window.SetVisible(visible);
  } else if (first_time) {
    Try([&] { window.SetHeight(saved_height); });
    Try([&] { window.SetWidth(saved_width); });
    for (Control* control : window.Controls()) ResizeControl(*control, window);
  }
}

FormResizeModule& Form_Resize() {
  static FormResizeModule module;
  return module;
}

}  // namespace dv
