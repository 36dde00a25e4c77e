// The program's looks and rectangles as Qt's.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

#include "platform/design.h"
#include "platform/screen.h"

namespace dv::qt {

QFont ToQFont(const Font& font);
// A colour of the design; the system's colours from the application's palette.
QColor ToQColor(OleColor color);

inline QRect ToQRect(const Rect& r) { return {r.left, r.top, r.width, r.height}; }
inline Rect FromQRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace dv::qt
