// The program's artwork, built into the program from src/app/art (made by
// src/app/tools/make_artwork.py).
#pragma once

#include "platform/design.h"

namespace dv {

// The program icon as an icon file: the 32 x 32, 16-colour design and the
// same sheet drawn for 16, 20, 24 and 48 px. Where the executable itself
// carries the icon (DAYVANE_PROGRAM_ICON_IN_EXECUTABLE: Windows, resource
// 1) it is not built in a second time: the front end hands it in with
// SetProgramIconFile before the windows are made, and it stays valid for
// the run.
Bytes ProgramIconFile();
void SetProgramIconFile(Bytes file);
// The splash picture: 300 x 225, 24-bit, as a bitmap file.
Bytes SplashBitmapFile();
// The vendor's logo: 32 x 32, 16 colours with transparency, as an icon file.
Bytes LogoIconFile();
// The program icon drawn for desktops and trays at `size` pixels (16, 22,
// 24, 32 or 48) as a PNG file; empty for other sizes, and on Windows, whose
// windows take their sizes from the icon file.
Bytes ProgramIconPng(int size);

}  // namespace dv
