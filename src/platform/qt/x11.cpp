#include "platform/qt/x11.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>
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

// A CARDINAL (or WINDOW) list property; empty when missing.
std::vector<unsigned long> Cardinals(Display* display, ::Window window, const char* name,
                                     Atom type = XA_CARDINAL) {
  std::vector<unsigned long> values;
  Atom actual_type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False, type,
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

bool TryPlace(Display* display, qint64 pid, const QRect& outer) {
  const ::Window root = DefaultRootWindow(display);
  for (const unsigned long client : Cardinals(display, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
    const auto pids = Cardinals(display, client, "_NET_WM_PID");
    if (pids.empty() || static_cast<qint64>(pids[0]) != pid) continue;
    const QMargins frame = FrameOf(display, client).value_or(QMargins());
    // With the default north-west gravity the window manager puts the frame's
    // corner where the client asks to be.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = outer.x();
    hints.y = outer.y();
    XSetWMNormalHints(display, client, &hints);
    XMoveResizeWindow(
        display, client, outer.x(), outer.y(),
        static_cast<unsigned>(std::max(1, outer.width() - frame.left() - frame.right())),
        static_cast<unsigned>(std::max(1, outer.height() - frame.top() - frame.bottom())));
    XFlush(display);
    return true;
  }
  return false;
}

}  // namespace

std::optional<QMargins> RequestFrameExtents(QWidget* widget) {
  Display* display = TheDisplay();
  if (display == nullptr) return std::nullopt;
  const auto window = static_cast<::Window>(widget->winId());
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
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

void PlaceFirstWindowOf(qint64 pid, QRect outer, int seconds) {
  Display* display = TheDisplay();
  if (display == nullptr || pid <= 0) return;
  auto* timer = new QTimer(qGuiApp);
  auto elapsed = std::make_shared<QElapsedTimer>();
  elapsed->start();
  QObject::connect(timer, &QTimer::timeout, timer, [=] {
    if (TryPlace(display, pid, outer) || elapsed->elapsed() > qint64{seconds} * 1000) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(100);
}

}  // namespace dv::qt::x11
