// The few X11 requests that Qt does not offer. Each does nothing (or answers
// nothing) when the program does not run on X11.
#pragma once

#include <QMargins>
#include <QRect>
#include <optional>

class QWidget;

namespace dv::qt::x11 {

// The frame the window manager will put round `widget`, asked for before
// the window is shown (_NET_REQUEST_FRAME_EXTENTS); waits at most 200 ms.
std::optional<QMargins> RequestFrameExtents(QWidget* widget);

// Watches, without blocking, for the first window of process `pid`
// (_NET_WM_PID) for at most `seconds`, and puts it at `outer` (its frame's
// top-left corner and outer size, in pixels).
void PlaceFirstWindowOf(qint64 pid, QRect outer, int seconds = 5);

}  // namespace dv::qt::x11
