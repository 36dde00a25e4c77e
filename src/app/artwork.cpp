#include "app/artwork.h"

#include <cstddef>
#include <cstdint>

#define DV_ART(id)                           \
  extern const std::uint8_t kArt_##id[];     \
  extern const std::size_t kArt_##id##_size; \
  inline Bytes id() { return {kArt_##id, kArt_##id##_size}; }

namespace dv::art {
DV_ART(splash_bmp)
DV_ART(logo_ico)
#ifndef DAYVANE_PROGRAM_ICON_IN_EXECUTABLE
DV_ART(dayvane_ico)
DV_ART(dayvane_16_png)
DV_ART(dayvane_22_png)
DV_ART(dayvane_24_png)
DV_ART(dayvane_32_png)
DV_ART(dayvane_48_png)
#endif
}  // namespace dv::art

#undef DV_ART

namespace dv {

Bytes SplashBitmapFile() { return art::splash_bmp(); }
Bytes LogoIconFile() { return art::logo_ico(); }

#ifdef DAYVANE_PROGRAM_ICON_IN_EXECUTABLE

namespace {
Bytes program_icon;
}  // namespace

void SetProgramIconFile(Bytes file) { program_icon = file; }
Bytes ProgramIconFile() { return program_icon; }
Bytes ProgramIconPng(int /*size*/) { return {}; }

#else

void SetProgramIconFile(Bytes /*file*/) {}
Bytes ProgramIconFile() { return art::dayvane_ico(); }

Bytes ProgramIconPng(int size) {
  switch (size) {
    case 16:
      return art::dayvane_16_png();
    case 22:
      return art::dayvane_22_png();
    case 24:
      return art::dayvane_24_png();
    case 32:
      return art::dayvane_32_png();
    case 48:
      return art::dayvane_48_png();
    default:
      return {};
  }
}

#endif

}  // namespace dv
