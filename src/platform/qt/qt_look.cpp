#include "platform/qt/qt_look.h"

#include <QGuiApplication>
#include <QPalette>

namespace dv::qt {

QFont ToQFont(const Font& font) {
  QFont qfont(QString::fromStdString(font.face));
  qfont.setPointSizeF(font.points);
  qfont.setWeight(static_cast<QFont::Weight>(font.weight));
  qfont.setItalic(font.italic);
  qfont.setUnderline(font.underline);
  qfont.setStrikeOut(font.strikethrough);
  return qfont;
}

QColor ToQColor(OleColor color) {
  if ((color & kSystemColorFlag) != 0) {
    const QPalette palette = QGuiApplication::palette();
    switch (color & 0xFFU) {
      case 15:
        return palette.color(QPalette::Button);
      case 16:
        return palette.color(QPalette::Dark);
      default:
        return palette.color(QPalette::Window);
    }
  }
  return QColor(static_cast<int>(color & 0xFFU), static_cast<int>((color >> 8) & 0xFFU),
                static_cast<int>((color >> 16) & 0xFFU));
}

}  // namespace dv::qt
