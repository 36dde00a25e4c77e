#include "platform/window.h"

#include "platform/errors.h"
#include "platform/toolkit.h"

namespace dv {

namespace {
[[noreturn]] void Unsupported() { Raise(ErrorKind::MemberNotSupported); }
}  // namespace

std::string Control::Name() const { Unsupported(); }
std::int32_t Control::Index() const { Unsupported(); }
Single Control::Left() const { Unsupported(); }
void Control::SetLeft(Single /*value*/) { Unsupported(); }
Single Control::Top() const { Unsupported(); }
void Control::SetTop(Single /*value*/) { Unsupported(); }
Single Control::Width() const { Unsupported(); }
void Control::SetWidth(Single /*value*/) { Unsupported(); }
Single Control::Height() const { Unsupported(); }
void Control::SetHeight(Single /*value*/) { Unsupported(); }
Single Control::X1() const { Unsupported(); }
void Control::SetX1(Single /*value*/) { Unsupported(); }
Single Control::Y1() const { Unsupported(); }
void Control::SetY1(Single /*value*/) { Unsupported(); }
Single Control::X2() const { Unsupported(); }
void Control::SetX2(Single /*value*/) { Unsupported(); }
Single Control::Y2() const { Unsupported(); }
void Control::SetY2(Single /*value*/) { Unsupported(); }
void Control::SetIntegralHeight(bool /*value*/) { Unsupported(); }
void Control::DoMove(Single /*left*/, std::optional<Single> /*top*/,
                     std::optional<Single> /*width*/, std::optional<Single> /*height*/) {
  Unsupported();
}
std::uint32_t Control::hWnd() const { Unsupported(); }
void Control::SetInterval(std::int32_t /*milliseconds*/) { Unsupported(); }
void Control::SetEnabled(bool /*value*/) { Unsupported(); }
void Control::Today() { Unsupported(); }
void Control::SelectDate(int /*year*/, int /*month*/, int /*day*/) { Unsupported(); }
double Control::Year() const { Unsupported(); }
double Control::Month() const { Unsupported(); }
double Control::Day() const { Unsupported(); }

bool Control::Has(Member /*member*/) const { return false; }

bool DesignedControl::Has(Member member) const {
  return member == Member::Index && design_.index >= 0;
}

bool PlacedControl::Has(Member member) const {
  switch (member) {
    case Member::Left:
    case Member::Top:
    case Member::Width:
    case Member::Height:
    case Member::Move:
      return true;
    default:
      return DesignedControl::Has(member);
  }
}

std::int32_t DesignedControl::Index() const {
  if (design_.index < 0) Raise(ErrorKind::NotAnArray);
  return design_.index;
}

PlacedControl::PlacedControl(ControlDesign design)
    : DesignedControl(std::move(design)),
      left_(this->design().left),
      top_(this->design().top),
      width_(this->design().width),
      height_(this->design().height) {}

void PlacedControl::DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
                           std::optional<Single> height) {
  if (width.value_or(0) < 0 || height.value_or(0) < 0) Raise(ErrorKind::InvalidPropertyValue);
  left_ = left;
  top_ = top.value_or(top_);
  width_ = width.value_or(width_);
  height_ = height.value_or(height_);
  Place();
}

namespace {

// A timer: a notification every Interval milliseconds while Enabled.
class TimerControl : public DesignedControl {
 public:
  TimerControl(ControlDesign design, Window& window, const TimerMaker& make)
      : DesignedControl(std::move(design)),
        timer_(make([this, &window] { window.RaiseTimer(*this); })) {}
  void SetInterval(std::int32_t milliseconds) override {
    if (milliseconds < 0 || milliseconds > 65535) Raise(ErrorKind::InvalidPropertyValue);
    interval_ = milliseconds;
    Update();
  }
  void SetEnabled(bool value) override {
    enabled_ = value;
    Update();
  }

 private:
  void Update() {
    if (enabled_ && interval_ > 0) {
      timer_->Start(interval_);
    } else {
      timer_->Stop();
    }
  }
  std::unique_ptr<NativeTimer> timer_;
  std::int32_t interval_ = 0;
  bool enabled_ = true;
};

// A menu item: a name and nothing else that the program addresses.
class MenuItem : public DesignedControl {
 public:
  using DesignedControl::DesignedControl;
};

}  // namespace

void Window::SetLeft(Single value) { Move(value); }
void Window::SetTop(Single value) { Move(Left(), value); }
void Window::SetWidth(Single value) { Move(Left(), Top(), value); }
void Window::SetHeight(Single value) { Move(Left(), Top(), Width(), value); }

void Window::SetWindowState(int value) {
  if (value < 0 || value > 2) Raise(ErrorKind::InvalidPropertyValue);
  DoSetWindowState(static_cast<std::int16_t>(value));
}

Control& Window::ControlNamed(const std::string& name, int index) const {
  for (const Entry& entry : controls_) {
    if (entry.name == name && (index < 0 || entry.index == index)) return *entry.control;
  }
  Raise(ErrorKind::SubscriptOutOfRange, name);
}

void Window::AddControl(std::unique_ptr<Control> control, std::string name, int index) {
  collection_.push_back(control.get());
  controls_.push_back({std::move(control), std::move(name), index});
}

void Window::AddTimer(const ControlDesign& design, const TimerMaker& make) {
  AddControl(std::make_unique<TimerControl>(design, *this, make), design.name, design.index);
}

void Window::AddTimer(const ControlDesign& design, Toolkit& toolkit) {
  AddTimer(design,
           [&toolkit](std::function<void()> tick) { return toolkit.CreateTimer(std::move(tick)); });
}

void Window::AddMenuItems(const std::vector<MenuDesign>& menus) {
  for (const MenuDesign& menu : menus) {
    ControlDesign design;
    design.name = menu.name;
    design.kind = ControlKind::Menu;
    design.caption = menu.caption;
    AddControl(std::make_unique<MenuItem>(design), design.name);
    AddMenuItems(menu.items);
  }
}

namespace {
template <class F>
void DeliverTo(WindowOwner* owner, F&& handler) {
  if (owner == nullptr) return;
  owner->Deliver([&] { handler(*owner); });
}
}  // namespace

void Window::RaiseResize() {
  DeliverTo(owner_, [](WindowOwner& form) { form.OnResize(); });
}
void Window::RaiseClick() {
  DeliverTo(owner_, [](WindowOwner& form) { form.OnClick(); });
}
void Window::RaiseKeyPress(int key_ascii) {
  DeliverTo(owner_, [key_ascii](WindowOwner& form) { form.OnKeyPress(key_ascii); });
}
void Window::RaiseMouseMove(Control& source, int button, int shift, Single x, Single y) {
  DeliverTo(owner_, [&](WindowOwner& form) { form.OnMouseMove(source, button, shift, x, y); });
}
void Window::RaiseMenuClick(const std::string& menu) {
  DeliverTo(owner_, [&menu](WindowOwner& form) { form.OnMenuClick(menu); });
}
void Window::RaiseDblClick(Control& source) {
  DeliverTo(owner_, [&source](WindowOwner& form) { form.OnDblClick(source); });
}
void Window::RaiseTimer(Control& timer) {
  DeliverTo(owner_, [&timer](WindowOwner& form) { form.OnTimer(timer); });
}
void Window::RaiseCloseRequest(int reason) {
  DeliverTo(owner_, [reason](WindowOwner& form) { form.CloseRequested(reason); });
}

}  // namespace dv
