#include "platform/qt/qt_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <cstdlib>

#include "platform/errors.h"
#include "platform/qt/diary_calendar.h"
#include "platform/qt/qt_look.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/x11.h"
#include "platform/screen.h"
#include "platform/trace.h"

namespace dv::qt {

namespace {

// The window manager's frame as last seen on a decorated window; used for
// windows that have not been shown yet.
std::optional<QMargins> known_frame;

// Whether the platform tells a window where it is (Wayland does not).
bool PositionsKnown() { return !QGuiApplication::platformName().startsWith("wayland"); }

QPixmap PixmapFrom(Bytes bytes, const char* format) {
  QPixmap pixmap;
  pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()), format);
  return pixmap;
}

// Qt lays widgets out in device-independent pixels; the program's pixels are
// the screen's own (device) pixels.
int ToDevice(int logical, qreal ratio) { return qRound(logical * ratio); }
int ToLogical(int device, qreal ratio) { return qRound(device / ratio); }
QRect ToDevice(const QRect& r, qreal ratio) {
  return {ToDevice(r.x(), ratio), ToDevice(r.y(), ratio), ToDevice(r.width(), ratio),
          ToDevice(r.height(), ratio)};
}
QSize ToDevice(const QSize& s, qreal ratio) {
  return {ToDevice(s.width(), ratio), ToDevice(s.height(), ratio)};
}
QRect ToLogical(const QRect& r, qreal ratio) {
  return {ToLogical(r.x(), ratio), ToLogical(r.y(), ratio), ToLogical(r.width(), ratio),
          ToLogical(r.height(), ratio)};
}

}  // namespace

FormWidget::FormWidget(QtWindow* owner, Qt::WindowFlags flags)
    : QWidget(nullptr, flags), owner(owner) {}

void FormWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (owner != nullptr) owner->WidgetResized();
}

void FormWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (owner != nullptr) owner->WidgetMoved();
}

void FormWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (owner != nullptr && event->type() == QEvent::WindowStateChange) {
    owner->WidgetStateChanged();
  }
}

void FormWidget::closeEvent(QCloseEvent* event) {
  // The program decides: the close query and unload run, and the window
  // goes away with its unload.
  event->ignore();
  if (owner != nullptr) owner->RaiseCloseRequest(kFormControlMenu);
}

void FormWidget::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  if (owner != nullptr && rect().contains(event->position().toPoint())) owner->RaiseClick();
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (owner != nullptr && !text.isEmpty()) {
    owner->RaiseKeyPress(text.at(0).unicode());
    return;
  }
  QWidget::keyPressEvent(event);
}

void FormWidget::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (owner == nullptr) return;
  // The first paint comes once the window is mapped: the window manager has
  // placed it by then.
  owner->WidgetPainted();
  const QVariant picture = property("dayvane-picture");
  if (!picture.isValid()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture.value<QPixmap>());
}

void FormWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (owner != nullptr) owner->WidgetShown();
}

QtControl::QtControl(QtWindow& window, const ControlDesign& design, QWidget* native)
    : PlacedControl(design), window_(window), toolkit_(window.toolkit()), native_(native) {
  if (design.kind == ControlKind::Calendar || design.kind == ControlKind::PictureBox) {
    handle_ = toolkit_.Register(this);
  }
  Place();
}

QtControl::~QtControl() {
  // The window's own part is gone by now: only the toolkit is used here.
  if (handle_ != 0) toolkit_.Unregister(handle_);
}

std::uint32_t QtControl::hWnd() const {
  if (handle_ == 0) return Control::hWnd();
  return handle_;
}

QCalendarWidget* QtControl::calendar() const {
  auto* calendar = qobject_cast<QCalendarWidget*>(native_.data());
  if (calendar == nullptr) Raise(ErrorKind::MemberNotSupported);
  return calendar;
}

void QtControl::Today() {
  QCalendarWidget* cal = calendar();
  const QDate today = QDate::currentDate();
  cal->setSelectedDate(today);
  cal->setCurrentPage(today.year(), today.month());
}

void QtControl::SelectDate(int year, int month, int day) {
  QCalendarWidget* cal = calendar();
  cal->setSelectedDate(QDate(year, month, day));
  cal->setCurrentPage(year, month);
}

double QtControl::Year() const { return calendar()->selectedDate().year(); }
double QtControl::Month() const { return calendar()->selectedDate().month(); }
double QtControl::Day() const { return calendar()->selectedDate().day(); }

void QtControl::Place() {
  if (!native_) return;
  native_->setGeometry(ToLogical(
      ToQRect(PixelRect(Left(), Top(), Width(), Height(), window_.tpp())), window_.dpr()));
}

QtWindow::QtWindow(QtToolkit& toolkit, const FormDesign& design, WindowOwner* owner)
    : Window(owner),
      toolkit_(toolkit),
      design_(design),
      tpp_(toolkit.TwipsPerPixelX()),
      alive_(std::make_unique<QObject>()) {
  Qt::WindowFlags flags = Qt::Window;
  if (design.border == Border::None) {
    flags |= Qt::FramelessWindowHint;
  } else if (!design.min_button || !design.max_button) {
    // Only the buttons asked for (the window manager reads the functions
    // allowed from these hints).
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (design.control_box) flags |= Qt::WindowCloseButtonHint;
    if (design.min_button) flags |= Qt::WindowMinimizeButtonHint;
    if (design.max_button) flags |= Qt::WindowMaximizeButtonHint;
  }
  widget_ = new FormWidget(this, flags);
  widget_->setWindowTitle(QString::fromStdString(design.caption));
  widget_->setFont(ToQFont(design.font));
  if (!design.icon.empty()) {
    QIcon icon(PixmapFrom(design.icon, "ICO"));
    for (const Bytes& image : design.icon_images) icon.addPixmap(PixmapFrom(image, "PNG"));
    widget_->setWindowIcon(icon);
    icon_handle_ = toolkit.RegisterIcon(icon);
  }
  if (!design.picture.empty()) {
    widget_->setProperty("dayvane-picture", PixmapFrom(design.picture, "BMP"));
  }
  if (!design.menus.empty()) {
    menu_bar_ = new QMenuBar(widget_);
    BuildMenus();
  }
  client_ = new QWidget(widget_);
  BuildControls();
  handle_ = toolkit.Register(this);

  if (design.border == Border::None) {
    // A start-up window: no task bar or pager entry of its own.
    x11::SkipTaskbar(widget_);
  } else {
    if (!known_frame) known_frame = x11::RequestFrameExtents(widget_);
    frame_ = known_frame.value_or(QMargins());
  }
  const int client_width = TwipsToPixels(design.client_width, tpp_);
  const int client_height = TwipsToPixels(design.client_height, tpp_);
  normal_ = QRect(0, 0, client_width + frame_.left() + frame_.right(),
                  client_height + MenuBarHeight() + frame_.top() + frame_.bottom());
  if (design.centred) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      normal_.moveCenter(ToDevice(screen->geometry(), screen->devicePixelRatio()).center());
    }
  }
  ApplyNormalGeometry();
  reported_ = QSize(client_width, client_height);
}

QtWindow::~QtWindow() {
  toolkit_.Unregister(handle_);
  alive_.reset();
  if (widget_) {
    widget_->owner = nullptr;
    widget_->hide();
    widget_->deleteLater();
  }
}

void QtWindow::BuildMenus() {
  for (const MenuDesign& top : design_.menus) {
    const QString caption = QString::fromStdString(top.caption);
    if (top.items.empty()) {
      QAction* action = menu_bar_->addAction(caption);
      QObject::connect(action, &QAction::triggered, alive_.get(),
                       [this, name = top.name] { RaiseMenuClick(name); });
      continue;
    }
    QMenu* menu = menu_bar_->addMenu(caption);
    menus_[top.name] = menu;
    for (const MenuDesign& item : top.items) {
      QAction* action = menu->addAction(QString::fromStdString(item.caption));
      QObject::connect(action, &QAction::triggered, alive_.get(),
                       [this, name = item.name] { RaiseMenuClick(name); });
    }
  }
}

void QtWindow::BuildControls() {
  for (const ControlDesign& design : design_.controls) {
    QWidget* native = nullptr;
    switch (design.kind) {
      case ControlKind::Timer:
        AddTimer(design, toolkit_);
        continue;
      case ControlKind::Calendar: {
        auto* calendar = new DiaryCalendar(client_, toolkit_.App().Path);
        calendar->ApplyLook(design.calendar);
        native = calendar;
        break;
      }
      case ControlKind::Label: {
        auto* label = new QLabel(QString::fromStdString(DisplayCaption(design.caption)), client_);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(
            (design.alignment == Alignment::Center ? Qt::AlignHCenter : Qt::AlignLeft) |
            Qt::AlignTop);
        if (design.font) label->setFont(ToQFont(*design.font));
        native = label;
        break;
      }
      case ControlKind::Image: {
        auto* image = new QLabel(client_);
        image->setPixmap(PixmapFrom(design.picture, "ICO"));
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        native = image;
        break;
      }
      case ControlKind::PictureBox:
      case ControlKind::Line:
      case ControlKind::Menu:
        native = new QWidget(client_);
        native->setVisible(design.drawn);
        break;
    }
    auto control = std::make_unique<QtControl>(*this, design, native);
    if (design.kind == ControlKind::Calendar) {
      QtControl* raw = control.get();
      QObject::connect(static_cast<QCalendarWidget*>(native), &QCalendarWidget::activated,
                       alive_.get(), [this, raw](QDate /*date*/) { RaiseDblClick(*raw); });
    }
    AddControl(std::move(control), design.name, design.index);
  }
  AddMenuItems(design_.menus);
}

qreal QtWindow::dpr() const { return widget_ ? widget_->devicePixelRatioF() : 1.0; }

int QtWindow::MenuBarHeight() const {
  return menu_bar_ != nullptr ? ToDevice(menu_bar_->sizeHint().height(), dpr()) : 0;
}

void QtWindow::LayOut() {
  if (!widget_) return;
  const int bar = menu_bar_ != nullptr ? menu_bar_->sizeHint().height() : 0;
  if (menu_bar_ != nullptr) menu_bar_->setGeometry(0, 0, widget_->width(), bar);
  client_->setGeometry(0, bar, widget_->width(), std::max(0, widget_->height() - bar));
}

void QtWindow::ApplyNormalGeometry() {
  const qreal ratio = dpr();
  const QRect inner = normal_.marginsRemoved(frame_);
  widget_->move(ToLogical(normal_.x(), ratio), ToLogical(normal_.y(), ratio));
  widget_->resize(std::max(1, ToLogical(inner.width(), ratio)),
                  std::max(1, ToLogical(inner.height(), ratio)));
  LayOut();
}

QRect QtWindow::ClientOnScreen() const {
  if (auto exact = x11::ClientRect(widget_)) return *exact;
  return ToDevice(widget_->geometry(), dpr());
}

QRect QtWindow::ClientAsKnown() const {
  // Qt's geometry is the last one asked for or reported, in whole
  // device-independent pixels; the X server has the exact one, unless a
  // request is still on its way to it.
  const QRect known = ToDevice(widget_->geometry(), dpr());
  if (auto exact = x11::ClientRect(widget_)) {
    const int slack = qCeil(dpr());
    if (std::abs(exact->x() - known.x()) <= slack && std::abs(exact->y() - known.y()) <= slack &&
        std::abs(exact->width() - known.width()) <= slack &&
        std::abs(exact->height() - known.height()) <= slack) {
      return *exact;
    }
  }
  return known;
}

std::optional<QMargins> QtWindow::FrameOnScreen() const {
  if (design_.border == Border::None) return QMargins();
  if (auto extents = x11::FrameExtents(widget_)) return *extents;
  // On X11 the window manager has not framed the window yet.
  if (QGuiApplication::platformName() == "xcb") return std::nullopt;
  const QRect frame = widget_->frameGeometry();
  const QRect inner = widget_->geometry();
  const qreal ratio = dpr();
  return QMargins(ToDevice(inner.left() - frame.left(), ratio),
                  ToDevice(inner.top() - frame.top(), ratio),
                  ToDevice(frame.right() - inner.right(), ratio),
                  ToDevice(frame.bottom() - inner.bottom(), ratio));
}

bool QtWindow::OnScreenNormal() const {
  return shown_ && state_ == 0 && widget_ && widget_->isVisible() && !placing_;
}

QRect QtWindow::Outer() const {
  if (!OnScreenNormal()) return normal_;
  QRect outer = ClientAsKnown().marginsAdded(frame_);
  // A Wayland client is not told where its window is: the position stays
  // the one it was given, never one it does not know.
  if (!PositionsKnown()) outer.moveTopLeft(normal_.topLeft());
  return outer;
}

Single QtWindow::Left() const { return PixelsToTwips(Outer().x(), tpp_); }
Single QtWindow::Top() const { return PixelsToTwips(Outer().y(), tpp_); }
Single QtWindow::Width() const { return PixelsToTwips(Outer().width(), tpp_); }
Single QtWindow::Height() const { return PixelsToTwips(Outer().height(), tpp_); }

Single QtWindow::ScaleWidth() const {
  if (shown_ && state_ != 1) return PixelsToTwips(ToDevice(client_->width(), dpr()), tpp_);
  return PixelsToTwips(std::max(0, normal_.width() - frame_.left() - frame_.right()), tpp_);
}

Single QtWindow::ScaleHeight() const {
  if (shown_ && state_ != 1) return PixelsToTwips(ToDevice(client_->height(), dpr()), tpp_);
  return PixelsToTwips(
      std::max(0, normal_.height() - frame_.top() - frame_.bottom() - MenuBarHeight()), tpp_);
}

bool QtWindow::Visible() const { return shown_; }

void QtWindow::ShowInState() {
  switch (state_) {
    case 1:
      widget_->showMinimized();
      break;
    case 2:
      widget_->showMaximized();
      break;
    default:
      widget_->showNormal();
      break;
  }
}

void QtWindow::SetVisible(bool value) {
  if (value == shown_) {
    // Showing a shown window brings it to the front.
    if (value) {
      if (widget_->isHidden()) widget_->show();
      widget_->raise();
      widget_->activateWindow();
    }
    return;
  }
  if (!value) {
    if (OnScreenNormal()) normal_ = Outer();
    shown_ = false;
    placing_ = false;
    painted_ = false;
    widget_->hide();
    return;
  }
  shown_ = true;
  // A placement that no screen shows (a monitor gone, a smaller screen) is
  // brought onto the nearest work area.
  QRect fitted = ToQRect(FitOnScreen(FromQRect(normal_), toolkit_.WorkAreas()));
  // Where positions are not known, the stored one is kept as it is.
  if (!PositionsKnown()) fitted.moveTopLeft(normal_.topLeft());
  normal_ = fitted;
  ApplyNormalGeometry();
  StartPlacing();
  ShowInState();
  // A window shown for the first time is told its size; one shown again as
  // it was is not (a change of state or size tells it anyway).
  const QSize client = ToDevice(client_->size(), dpr());
  if (!ever_shown_ || client != reported_) {
    ever_shown_ = true;
    reported_ = client;
    RaiseResize();
  }
}

std::int16_t QtWindow::WindowState() const { return state_; }

void QtWindow::DoSetWindowState(std::int16_t value) {
  if (value == state_) return;
  state_ = value;
  if (shown_) {
    ShowInState();
    if (value == 0) ApplyNormalGeometry();
  }
  RaiseResize();
}

void QtWindow::DoMove(Single left, std::optional<Single> top, std::optional<Single> width,
                      std::optional<Single> height) {
  const QSize before = Outer().size();
  const QRect outer = ToQRect(MovedBounds(FromQRect(Outer()), left, top, width, height, tpp_));
  normal_ = outer;
  // Applied at once when the window shows its normal state; otherwise these
  // are the bounds it returns to.
  if (!shown_ || state_ == 0) ApplyNormalGeometry();
  if (!shown_ && outer.size() != before) {
    reported_ = QSize();
    RaiseResize();
  }
}

void QtWindow::PopupMenu(const std::string& menu) {
  const auto found = menus_.find(menu);
  if (found == menus_.end()) Raise(ErrorKind::InvalidProcedureCall, menu);
  // Chosen already in the tray host's own menu.
  if (const auto item = toolkit_.TakeTrayChoice(menu)) {
    RaiseMenuClick(*item);
    return;
  }
  if (toolkit_.ending()) return;
  QMenu* popup = found->second;
  popup->exec(QCursor::pos());
}

void QtWindow::WidgetResized() {
  LayOut();
  if (!shown_ || !widget_->isVisible()) return;
  CheckPlacement();
  if (OnScreenNormal()) normal_ = Outer();
  const QSize client = ToDevice(client_->size(), dpr());
  if (client == reported_) return;
  reported_ = client;
  RaiseResize();
}

void QtWindow::WidgetMoved() {
  if (!shown_ || !widget_->isVisible()) return;
  CheckPlacement();
  if (!OnScreenNormal()) return;
  const QPoint before = normal_.topLeft();
  normal_ = Outer();
  if (normal_.topLeft() == before) return;
  // Moved by the window manager or the user: once the moves settle, the
  // window tells its bounds as a resize does, so that what is saved (also
  // at a later minimise, which keeps the normal bounds saved last) is where
  // the window is.
  if (moved_ == nullptr) {
    moved_ = new QTimer(alive_.get());
    moved_->setSingleShot(true);
    moved_->setInterval(kMoveSettleMs);
    QObject::connect(moved_, &QTimer::timeout, alive_.get(), [this] {
      if (OnScreenNormal()) RaiseResize();
    });
  }
  moved_->start();
}

void QtWindow::WidgetStateChanged() {
  if (!shown_) return;
  const Qt::WindowStates states = widget_->windowState();
  const std::int16_t now = (states & Qt::WindowMinimized)                            ? 1
                           : (states & (Qt::WindowMaximized | Qt::WindowFullScreen)) ? 2
                                                                                     : 0;
  if (now == state_) return;
  const std::int16_t before = state_;
  state_ = now;
  if (now == 0 && before != 0) {
    // Back to normal through the window manager, which may not know the
    // normal bounds of a window that was first shown maximised: put it where
    // the program says it belongs.
    const QRect wanted = normal_;
    QTimer::singleShot(0, alive_.get(), [this, wanted] {
      normal_ = wanted;
      ApplyNormalGeometry();
      StartPlacing();
    });
  }
  RaiseResize();
}

void QtWindow::WidgetShown() { CheckPlacement(); }

void QtWindow::WidgetPainted() {
  if (shown_ && !painted_) {
    painted_ = true;
    Trace("shown " + design_.name);
    toolkit_.WindowPainted();
  }
  CheckPlacement();
}

void QtWindow::StartPlacing() {
  // Until the window manager has framed and placed it, the window is where
  // the program put it.
  placing_ = shown_ && state_ == 0 && design_.border != Border::None && PositionsKnown();
  corrections_ = 0;
  placing_ticks_ = 0;
  if (!placing_) return;
  // Checked on every configure event, and on a short tick as well: a
  // window manager may report the frame (a property, no event of the
  // window's) after the last of them. One that never gets the window there,
  // or never tells its frame, does not keep it placing: where it shows the
  // window then is its place.
  if (placing_timer_ == nullptr) {
    placing_timer_ = new QTimer(alive_.get());
    placing_timer_->setInterval(kPlacingTickMs);
    QObject::connect(placing_timer_, &QTimer::timeout, alive_.get(), [this] {
      CheckPlacement();
      if (placing_ && ++placing_ticks_ * kPlacingTickMs >= kPlacingLimitMs) AcceptPlacement();
      if (!placing_) placing_timer_->stop();
    });
  }
  placing_timer_->start();
}

void QtWindow::CheckPlacement() {
  if (!placing_ || !widget_->isVisible() || state_ != 0) return;
  // Not mapped yet: a later configure event or paint comes.
  if (!x11::Viewable(widget_).value_or(true)) return;
  // Window managers differ in when they report the frame (before mapping,
  // or well after it as KWin may) and in whether a new window's requested
  // position is its frame's corner or its client's. Once the frame is
  // reported, the window is framed and placed: its client is sized for that
  // frame and the frame moved to where the program put it.
  const std::optional<QMargins> reported = FrameOnScreen();
  if (!reported) return;
  if (*reported != frame_) {
    frame_ = *reported;
    known_frame = frame_;
    const QSize inner = normal_.marginsRemoved(frame_).size();
    widget_->resize(std::max(1, ToLogical(inner.width(), dpr())),
                    std::max(1, ToLogical(inner.height(), dpr())));
  }
  const QRect actual = ClientOnScreen().marginsAdded(frame_);
  if (actual.topLeft() == normal_.topLeft()) {
    placing_ = false;
    return;
  }
  // A correction asked for is answered when the window has moved; until
  // then the same stale position is seen again, and correcting it once more
  // would add the same difference twice.
  if (corrections_ > 0 && actual.topLeft() == corrected_from_) return;
  if (++corrections_ > 3) {
    AcceptPlacement();
    return;
  }
  // Asked in device pixels where the desktop allows it, so that a scaled
  // screen can still put the frame on any pixel. Whether the window manager
  // takes the request as the frame's or the client's corner, moving the
  // request by the remaining difference gets there.
  const QPoint shift = normal_.topLeft() - actual.topLeft();
  Trace("placement-corrected " + std::to_string(shift.x()) + " " + std::to_string(shift.y()));
  if (corrections_ == 1) request_ = ClientOnScreen().topLeft();
  corrected_from_ = actual.topLeft();
  request_ += shift;
  if (!x11::MoveWindow(widget_, request_)) {
    const qreal ratio = dpr();
    widget_->move(widget_->pos() +
                  QPoint(ToLogical(shift.x(), ratio), ToLogical(shift.y(), ratio)));
  }
}

void QtWindow::AcceptPlacement() {
  placing_ = false;
  if (const auto reported = FrameOnScreen()) frame_ = *reported;
  normal_ = ClientOnScreen().marginsAdded(frame_);
}

}  // namespace dv::qt
