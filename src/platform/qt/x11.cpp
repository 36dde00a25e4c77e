#include "platform/qt/x11.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <vector>

// After Qt's headers: Xlib defines macros that clash with them.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace dv::qt::x11 {

namespace {

Display* TheDisplay() {
  auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 != nullptr ? x11->display() : nullptr;
}

Atom AtomNamed(Display* display, const char* name) { return XInternAtom(display, name, False); }

// A CARDINAL (or WINDOW) list property; empty when missing.
std::vector<unsigned long> Cardinals(Display* display, ::Window window, const char* name,
                                     Atom type = XA_CARDINAL) {
  std::vector<unsigned long> values;
  Atom actual_type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, AtomNamed(display, name), 0, 4096, False, type,
                         &actual_type, &format, &count, &after, &data) == Success &&
      data != nullptr) {
    if (format == 32) {
      const auto* longs = reinterpret_cast<const unsigned long*>(data);
      values.assign(longs, longs + count);
    }
    XFree(data);
  }
  return values;
}

std::optional<QMargins> FrameOf(Display* display, ::Window window) {
  const auto extents = Cardinals(display, window, "_NET_FRAME_EXTENTS");
  if (extents.size() != 4) return std::nullopt;
  return QMargins(static_cast<int>(extents[0]), static_cast<int>(extents[2]),
                  static_cast<int>(extents[1]), static_cast<int>(extents[3]));
}

// Adds `mask` to the events this client receives from `window`.
void SelectMore(Display* display, ::Window window, long mask) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return;
  if ((attributes.your_event_mask & mask) == mask) return;
  XSelectInput(display, window, attributes.your_event_mask | mask);
}

bool TryPlace(Display* display, qint64 pid, const QRect& outer) {
  const ::Window root = DefaultRootWindow(display);
  for (const unsigned long client : Cardinals(display, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
    const auto pids = Cardinals(display, client, "_NET_WM_PID");
    if (pids.empty() || static_cast<qint64>(pids[0]) != pid) continue;
    const QMargins frame = FrameOf(display, client).value_or(QMargins());
    // With the default north-west gravity the window manager puts the frame's
    // corner where the client asks to be.
    // The editor's own hints (its minimum size, ...) stay.
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(display, client, &hints, &supplied);
    const int width = std::max(1, outer.width() - frame.left() - frame.right());
    const int height = std::max(1, outer.height() - frame.top() - frame.bottom());
    hints.flags |= USPosition | USSize;
    hints.x = outer.x();
    hints.y = outer.y();
    hints.width = width;
    hints.height = height;
    XSetWMNormalHints(display, client, &hints);
    XMoveResizeWindow(display, client, outer.x(), outer.y(), static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    XFlush(display);
    return true;
  }
  return false;
}

// The X events the program waits for, seen as they pass through Qt's
// event loop: no thread, no timer, no polling.
class Watcher : public QAbstractNativeEventFilter {
 public:
  struct Placement {
    qint64 pid;
    QRect outer;
    std::unique_ptr<QTimer> deadline;
  };

  static Watcher& Instance() {
    static auto* watcher = [] {
      auto* created = new Watcher;
      qGuiApp->installNativeEventFilter(created);
      return created;
    }();
    return *watcher;
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* /*result*/) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7F) {
      case XCB_PROPERTY_NOTIFY: {
        const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
        if (property->window == root_ && property->atom == client_list_) PlacePending();
        break;
      }
      case XCB_DESTROY_NOTIFY: {
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        if (tray_owner_ != 0 && destroyed->window == tray_owner_) {
          tray_owner_ = 0;
          if (tray_changed_) Post(false);
        }
        break;
      }
      case XCB_CLIENT_MESSAGE: {
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        if (client->window == root_ && client->type == manager_ &&
            client->data.data32[1] == tray_selection_) {
          FollowTrayOwner();
          if (tray_changed_ && tray_owner_ != 0) Post(true);
        }
        break;
      }
      default:
        break;
    }
    return false;
  }

  void Place(qint64 pid, const QRect& outer, int seconds) {
    if (TryPlace(display_, pid, outer)) return;
    SelectMore(display_, root_, PropertyChangeMask);
    auto placement = std::make_unique<Placement>(Placement{pid, outer, std::make_unique<QTimer>()});
    QTimer* deadline = placement->deadline.get();
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, deadline, [this, pid] { Forget(pid); });
    deadline->start(seconds * 1000);
    pending_.push_back(std::move(placement));
  }

  void WatchTray(std::function<void(bool)> changed) {
    tray_changed_ = std::move(changed);
    SelectMore(display_, root_, StructureNotifyMask);
    FollowTrayOwner();
  }

 private:
  Watcher()
      : display_(TheDisplay()),
        root_(DefaultRootWindow(display_)),
        client_list_(AtomNamed(display_, "_NET_CLIENT_LIST")),
        manager_(AtomNamed(display_, "MANAGER")),
        tray_selection_(AtomNamed(
            display_, ("_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display_))).c_str())) {}

  void PlacePending() {
    std::vector<qint64> placed;
    for (const auto& placement : pending_) {
      if (TryPlace(display_, placement->pid, placement->outer)) placed.push_back(placement->pid);
    }
    for (const qint64 pid : placed) Forget(pid);
  }

  // Placed or given up: the timer goes, and so does the interest in the
  // client list once nothing waits for it.
  void Forget(qint64 pid) {
    for (auto it = pending_.begin(); it != pending_.end();) {
      if ((*it)->pid != pid) {
        ++it;
        continue;
      }
      // Possibly from inside the timer's own timeout.
      (*it)->deadline.release()->deleteLater();
      it = pending_.erase(it);
    }
  }

  void FollowTrayOwner() {
    tray_owner_ = XGetSelectionOwner(display_, tray_selection_);
    if (tray_owner_ != 0) SelectMore(display_, tray_owner_, StructureNotifyMask);
    XFlush(display_);
  }

  // Told from the event loop, not from inside Qt's event dispatch.
  void Post(bool available) {
    QTimer::singleShot(0, qGuiApp, [this, available] {
      if (tray_changed_) tray_changed_(available);
    });
  }

  Display* display_;
  ::Window root_;
  Atom client_list_;
  Atom manager_;
  Atom tray_selection_;
  ::Window tray_owner_ = 0;
  std::function<void(bool)> tray_changed_;
  std::vector<std::unique_ptr<Placement>> pending_;
};

}  // namespace

std::optional<QMargins> RequestFrameExtents(QWidget* widget) {
  Display* display = TheDisplay();
  if (display == nullptr) return std::nullopt;
  const auto window = static_cast<::Window>(widget->winId());
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = AtomNamed(display, "_NET_REQUEST_FRAME_EXTENTS");
  event.xclient.format = 32;
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureNotifyMask | SubstructureRedirectMask, &event);
  XFlush(display);
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 200) {
    if (auto frame = FrameOf(display, window)) return frame;
    QThread::msleep(10);
  }
  return std::nullopt;
}

std::optional<QMargins> FrameExtents(QWidget* widget) {
  Display* display = TheDisplay();
  if (display == nullptr || widget == nullptr) return std::nullopt;
  return FrameOf(display, static_cast<::Window>(widget->winId()));
}

std::optional<QRect> ClientRect(QWidget* widget) {
  Display* display = TheDisplay();
  if (display == nullptr || widget == nullptr) return std::nullopt;
  const auto window = static_cast<::Window>(widget->winId());
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return std::nullopt;
  int x = 0;
  int y = 0;
  ::Window child = 0;
  if (XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child) == 0) {
    return std::nullopt;
  }
  return QRect(x, y, attributes.width, attributes.height);
}

std::optional<bool> Viewable(QWidget* widget) {
  Display* display = TheDisplay();
  if (display == nullptr || widget == nullptr) return std::nullopt;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, static_cast<::Window>(widget->winId()), &attributes) == 0) {
    return false;
  }
  return attributes.map_state == IsViewable;
}

bool MoveWindow(QWidget* widget, QPoint position) {
  Display* display = TheDisplay();
  if (display == nullptr || widget == nullptr) return false;
  XMoveWindow(display, static_cast<::Window>(widget->winId()), position.x(), position.y());
  XFlush(display);
  return true;
}

void SkipTaskbar(QWidget* widget) {
  Display* display = TheDisplay();
  if (display == nullptr) return;
  const auto window = static_cast<::Window>(widget->winId());
  const Atom states[] = {AtomNamed(display, "_NET_WM_STATE_SKIP_TASKBAR"),
                         AtomNamed(display, "_NET_WM_STATE_SKIP_PAGER")};
  XChangeProperty(display, window, AtomNamed(display, "_NET_WM_STATE"), XA_ATOM, 32, PropModeAppend,
                  reinterpret_cast<const unsigned char*>(states), 2);
  XFlush(display);
}

void PlaceFirstWindowOf(qint64 pid, QRect outer, int seconds) {
  if (TheDisplay() == nullptr || pid <= 0) return;
  Watcher::Instance().Place(pid, outer, seconds);
}

void WatchSystemTray(std::function<void(bool available)> changed) {
  if (TheDisplay() == nullptr) return;
  Watcher::Instance().WatchTray(std::move(changed));
}

}  // namespace dv::qt::x11
