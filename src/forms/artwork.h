// The program's artwork, built into the program from src/forms/art (made by
// src/forms/tools/make_artwork.py).
#pragma once

#include "platform/design.h"

namespace dv {

// The program icon: 32 x 32, 16 colours, as an icon file.
Bytes ProgramIconFile();
// The splash picture: 300 x 225, 24-bit, as a bitmap file.
Bytes SplashBitmapFile();
// The vendor's logo: 32 x 32, 16 colours with transparency, as an icon file.
Bytes LogoIconFile();
// The program icon drawn for desktops and trays at `size` pixels (16, 22,
// 24, 32 or 48) as a PNG file; empty for other sizes.
Bytes ProgramIconPng(int size);

}  // namespace dv
