// The few X11 requests that Qt does not offer. Each does nothing (or answers
// nothing) when the program does not run on X11. Positions and sizes are in
// the screen's own (device) pixels.
#pragma once

#include <QMargins>
#include <QRect>
#include <functional>
#include <optional>

class QWidget;

namespace dv::qt::x11 {

// The frame the window manager will put round `widget`, asked for before
// the window is shown (_NET_REQUEST_FRAME_EXTENTS); waits at most 200 ms.
std::optional<QMargins> RequestFrameExtents(QWidget* widget);

// The frame round `widget` as the window manager reports it now
// (_NET_FRAME_EXTENTS).
std::optional<QMargins> FrameExtents(QWidget* widget);

// Where `widget`'s own window is on the screen, in root coordinates.
std::optional<QRect> ClientRect(QWidget* widget);

// Whether `widget`'s window is mapped and viewable now.
std::optional<bool> Viewable(QWidget* widget);

// Asks the window manager to put `widget`'s window at `position` (root
// coordinates, device pixels; how it is read follows the window's gravity).
// False when the program does not run on X11.
bool MoveWindow(QWidget* widget, QPoint position);

// Keeps `widget`'s window out of task bars and pagers
// (_NET_WM_STATE_SKIP_TASKBAR, _NET_WM_STATE_SKIP_PAGER), before it is shown.
void SkipTaskbar(QWidget* widget);

// Waits, without blocking and without polling, for the first window of
// process `pid` (_NET_WM_PID of a window in _NET_CLIENT_LIST) for at most
// `seconds`, and puts it at `outer` (its frame's top-left corner and outer
// size).
void PlaceFirstWindowOf(qint64 pid, QRect outer, int seconds = 5);

// Calls `changed(false)` when the system tray (the owner of
// _NET_SYSTEM_TRAY_S<n>) goes away and `changed(true)` when one takes over.
void WatchSystemTray(std::function<void(bool available)> changed);

}  // namespace dv::qt::x11
