// Windows and controls as the program sees them. Controls are addressed by
// member name at run time: every member of Control fails with "member not
// supported" unless the control's kind provides it, which is what a failed
// late-bound call does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/convert.h"
#include "platform/design.h"

namespace dv {

// Members that a caller may ask a control about before using them.
enum class Member { Index, Left, Top, Width, Height, X1, Y1, X2, Y2, Move, IntegralHeight };

class Toolkit;

class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  virtual ControlKind Kind() const = 0;
  bool IsLine() const { return Kind() == ControlKind::Line; }
  // Whether the control has `member`: each class that provides a member
  // says so. An error-tolerant caller asks first and skips a member the
  // control lacks without a failing call; a call to it still fails.
  virtual bool Has(Member member) const;

  virtual std::string Name() const;
  virtual std::int32_t Index() const;
  virtual Single Left() const;
  virtual void SetLeft(Single value);
  virtual Single Top() const;
  virtual void SetTop(Single value);
  virtual Single Width() const;
  virtual void SetWidth(Single value);
  virtual Single Height() const;
  virtual void SetHeight(Single value);
  virtual Single X1() const;
  virtual void SetX1(Single value);
  virtual Single Y1() const;
  virtual void SetY1(Single value);
  virtual Single X2() const;
  virtual void SetX2(Single value);
  virtual Single Y2() const;
  virtual void SetY2(Single value);
  virtual void SetIntegralHeight(bool value);
  // Left, then optionally Top, Width and Height.
  void Move(Single left, std::optional<Single> top = std::nullopt,
            std::optional<Single> width = std::nullopt,
            std::optional<Single> height = std::nullopt) {
    DoMove(left, top, width, height);
  }
  virtual std::uint32_t hWnd() const;
  // Timer members.
  virtual void SetInterval(std::int32_t milliseconds);
  virtual void SetEnabled(bool value);
  // The calendar's members: Today selects the current date, SelectDate the
  // given one (and shows its month); Year, Month and Day read the selected
  // date.
  virtual void Today();
  virtual void SelectDate(int year, int month, int day);
  virtual double Year() const;
  virtual double Month() const;
  virtual double Day() const;

 protected:
  virtual void DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
                      std::optional<Single> height);
};

// A control built from a design: Name and Index come from the design.
class DesignedControl : public Control {
 public:
  explicit DesignedControl(ControlDesign design) : design_(std::move(design)) {}
  ControlKind Kind() const override { return design_.kind; }
  std::string Name() const override { return design_.name; }
  std::int32_t Index() const override;
  bool Has(Member member) const override;
  const ControlDesign& design() const { return design_; }

 private:
  ControlDesign design_;
};

// A control laid out in its window's client area: Left, Top, Width, Height
// and Move act on a rectangle in twips; the front end places the native
// control whenever the rectangle changes.
class PlacedControl : public DesignedControl {
 public:
  explicit PlacedControl(ControlDesign design);
  bool Has(Member member) const override;
  Single Left() const override { return left_; }
  void SetLeft(Single value) override { Move(value); }
  Single Top() const override { return top_; }
  void SetTop(Single value) override { Move(left_, value); }
  Single Width() const override { return width_; }
  void SetWidth(Single value) override { Move(left_, top_, value); }
  Single Height() const override { return height_; }
  void SetHeight(Single value) override { Move(left_, top_, width_, value); }

 protected:
  void DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
              std::optional<Single> height) override;
  // Called after every change of the rectangle.
  virtual void Place() = 0;

 private:
  Single left_, top_, width_, height_;
};

// The window's notifications. Handlers run on the user-interface thread; the
// toolkit may run them nested inside an operation that raised them.
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  virtual void OnLoad() {}
  virtual void OnResize() {}
  virtual void OnQueryUnload(int& /*cancel*/, int /*reason*/) {}
  virtual void OnUnload(int& /*cancel*/) {}
  virtual void OnClick() {}
  virtual void OnKeyPress(int /*key_ascii*/) {}
  virtual void OnMouseMove(Control& /*source*/, int /*button*/, int /*shift*/, Single /*x*/,
                           Single /*y*/) {}
  virtual void OnMenuClick(const std::string& /*menu*/) {}
  virtual void OnDblClick(Control& /*source*/) {}
  virtual void OnTimer(Control& /*timer*/) {}
};

// Unload reasons, as the close query receives them.
enum UnloadReason : int { kFormControlMenu = 0, kFormCode = 1, kAppWindows = 2 };

// Who receives a window's notifications (the form that owns it).
class WindowOwner : public FormEvents {
 public:
  // Runs one notification's handler, with the handling of an error that no
  // handler catches.
  virtual void Deliver(const std::function<void()>& handler) = 0;
  // The window's own close command (or the desktop asking it to close).
  virtual void CloseRequested(int reason) = 0;
  virtual const FormDesign& design() const = 0;
};

// A timer of the toolkit's.
class NativeTimer {
 public:
  virtual ~NativeTimer() = default;
  virtual void Start(std::int32_t milliseconds) = 0;
  virtual void Stop() = 0;
};
// Makes a timer that runs `tick` each interval (Toolkit::CreateTimer).
using TimerMaker = std::function<std::unique_ptr<NativeTimer>(std::function<void()> tick)>;

class Window {
 public:
  // The form whose handlers receive this window's notifications; may be null
  // for a window that is only measured and moved.
  explicit Window(WindowOwner* owner = nullptr) : owner_(owner) {}
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window() = default;

  virtual std::string Name() const = 0;
  virtual Single Left() const = 0;
  virtual void SetLeft(Single value);
  virtual Single Top() const = 0;
  virtual void SetTop(Single value);
  virtual Single Width() const = 0;
  virtual void SetWidth(Single value);
  virtual Single Height() const = 0;
  virtual void SetHeight(Single value);
  virtual Single ScaleWidth() const = 0;
  virtual Single ScaleHeight() const = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool value) = 0;
  virtual bool MDIChild() const { return false; }
  // 0 normal, 1 minimised, 2 maximised; other values: invalid property value.
  virtual std::int16_t WindowState() const = 0;
  void SetWindowState(int value);
  // Left, then optionally Top, Width and Height; never fails on a window.
  void Move(Single left, std::optional<Single> top = std::nullopt,
            std::optional<Single> width = std::nullopt,
            std::optional<Single> height = std::nullopt) {
    DoMove(left, top, width, height);
  }
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  virtual std::uint32_t hWnd() const = 0;
  virtual std::uint32_t Icon() const = 0;
  virtual std::string Caption() const = 0;
  // Shows the named menu of the window's menu tree at the mouse pointer and
  // returns when it closes (a chosen item's click has been delivered).
  virtual void PopupMenu(const std::string& menu) = 0;

  // The controls collection, in its order: the designed controls, then the
  // menu items of the menu tree, depth first.
  const std::vector<Control*>& Controls() const { return collection_; }
  // The named control (array member `index` when 0 or more); subscript out
  // of range when there is none.
  Control& ControlNamed(const std::string& name, int index = -1) const;

  WindowOwner* owner() const { return owner_; }
  // After its unload the window delivers no further notifications.
  void Detach() { owner_ = nullptr; }
  // A window built ahead delivers them from its load on.
  void Attach(WindowOwner* owner) { owner_ = owner; }
  // Notifications, raised by the toolkit; each runs the owner's handler with
  // the toolkit's default handling of an error that no handler catches.
  void RaiseResize();
  void RaiseClick();
  void RaiseKeyPress(int key_ascii);
  void RaiseMouseMove(Control& source, int button, int shift, Single x, Single y);
  void RaiseMenuClick(const std::string& menu);
  void RaiseDblClick(Control& source);
  void RaiseTimer(Control& timer);
  // The window's own close command (or the desktop asking it to close).
  void RaiseCloseRequest(int reason = kFormControlMenu);

 protected:
  virtual void DoSetWindowState(std::int16_t value) = 0;
  virtual void DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
                      std::optional<Single> height) = 0;
  // Adds a control to the collection under its design name and index.
  void AddControl(std::unique_ptr<Control> control, std::string name, int index = -1);
  // Adds a timer control whose timer `make` makes.
  void AddTimer(const ControlDesign& design, const TimerMaker& make);
  // Adds a timer control on the toolkit's timers.
  void AddTimer(const ControlDesign& design, Toolkit& toolkit);
  // Adds the menu tree's items to the collection, depth first.
  void AddMenuItems(const std::vector<MenuDesign>& menus);

 private:
  struct Entry {
    std::unique_ptr<Control> control;
    std::string name;
    int index;
  };
  std::vector<Entry> controls_;
  std::vector<Control*> collection_;
  WindowOwner* owner_;
};

}  // namespace dv
