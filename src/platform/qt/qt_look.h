// The program's looks as Qt's fonts and colours.
#pragma once

#include <QColor>
#include <QFont>

#include "platform/design.h"

namespace dv::qt {

QFont ToQFont(const Font& font);
// A colour of the design; the system's colours from the application's palette.
QColor ToQColor(OleColor color);

}  // namespace dv::qt
