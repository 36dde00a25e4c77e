// Windows and controls on Qt Widgets. A window's bounds are its outer frame
// in twips, its scale area the client area below the menu bar.
#pragma once

#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/window.h"

class QCalendarWidget;
class QMenu;
class QMenuBar;
class QTimer;

namespace dv::qt {

class QtToolkit;

class QtWindow;

// The top-level widget; forwards its events to the QtWindow.
class FormWidget : public QWidget {
 public:
  FormWidget(QtWindow* owner, Qt::WindowFlags flags);
  QtWindow* owner = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

class QtControl : public PlacedControl {
 public:
  QtControl(QtWindow& window, const ControlDesign& design, QWidget* native);
  ~QtControl() override;
  std::uint32_t hWnd() const override;
  void Today() override;
  void SelectDate(int year, int month, int day) override;
  double Year() const override;
  double Month() const override;
  double Day() const override;
  QWidget* native() const { return native_; }
  QtWindow& window() const { return window_; }

 protected:
  void Place() override;

 private:
  QCalendarWidget* calendar() const;
  QtWindow& window_;
  QtToolkit& toolkit_;
  QPointer<QWidget> native_;
  std::uint32_t handle_ = 0;
};

class QtWindow : public Window {
 public:
  // `owner` may be null for a window built ahead (see Attach).
  QtWindow(QtToolkit& toolkit, const FormDesign& design, WindowOwner* owner);
  ~QtWindow() override;

  std::string Name() const override { return design_.name; }
  Single Left() const override;
  Single Top() const override;
  Single Width() const override;
  Single Height() const override;
  Single ScaleWidth() const override;
  Single ScaleHeight() const override;
  bool Visible() const override;
  void SetVisible(bool value) override;
  std::int16_t WindowState() const override;
  std::uint32_t hWnd() const override { return handle_; }
  std::uint32_t Icon() const override { return icon_handle_; }
  std::string Caption() const override { return design_.caption; }
  const FormDesign& design() const { return design_; }
  void PopupMenu(const std::string& menu) override;

  FormWidget* widget() const { return widget_; }
  QWidget* client() const { return client_; }
  QtToolkit& toolkit() const { return toolkit_; }
  Single tpp() const { return tpp_; }
  // Device pixels per Qt (device-independent) pixel.
  qreal dpr() const;

  // From the widget's events.
  void WidgetResized();
  void WidgetMoved();
  void WidgetStateChanged();
  void WidgetShown();
  void WidgetPainted();
  void LayOut();

 protected:
  void DoSetWindowState(std::int16_t value) override;
  void DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
              std::optional<Single> height) override;

 private:
  QRect Outer() const;  // outer bounds in pixels as the program sees them
  int MenuBarHeight() const;
  void ApplyNormalGeometry();
  void ShowInState();
  // The client area and the frame as they are on screen (device pixels).
  QRect ClientOnScreen() const;
  // The client area as the program last asked for it or saw it reported.
  QRect ClientAsKnown() const;
  // The frame as the window manager reports it; none until it has framed
  // the window.
  std::optional<QMargins> FrameOnScreen() const;
  // Shown in normal state, where the program put it.
  bool OnScreenNormal() const;
  // Placing: from showing until the frame is where the program put it.
  void StartPlacing();
  void CheckPlacement();
  // Ends placing: where the window manager keeps the window is its place.
  void AcceptPlacement();
  void BuildMenus();
  void BuildControls();

  QtToolkit& toolkit_;
  const FormDesign& design_;
  Single tpp_;
  QPointer<FormWidget> widget_;
  QWidget* client_ = nullptr;
  QMenuBar* menu_bar_ = nullptr;
  std::map<std::string, QMenu*> menus_;
  std::unique_ptr<QObject> alive_;  // context of every connection
  std::uint32_t handle_;
  std::uint32_t icon_handle_ = 0;
  QRect normal_;            // the normal-state outer bounds, device pixels
  QMargins frame_;          // the window manager's frame around the widget
  std::int16_t state_ = 0;  // the state while hidden
  bool shown_ = false;      // visible as far as the program is concerned
  QSize reported_;          // client size last reported as a resize
  bool placing_ = false;    // shown, but not yet seen where it was put
  bool painted_ = false;    // painted since it was last shown
  bool ever_shown_ = false;
  int corrections_ = 0;              // moves made to bring the frame where it belongs
  QPoint request_;                   // where the last of them asked the window to go
  QPoint corrected_from_;            // where the frame was when it was asked
  QTimer* placing_timer_ = nullptr;  // ticks while placing
  int placing_ticks_ = 0;
  // How long a shown window may take to reach its place, checked how often.
  static constexpr int kPlacingLimitMs = 2000;
  static constexpr int kPlacingTickMs = 50;
  QTimer* moved_ = nullptr;  // runs while moves settle
  static constexpr int kMoveSettleMs = 200;
};

}  // namespace dv::qt
