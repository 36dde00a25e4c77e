#include "forms/artwork.h"

#include <cstddef>
#include <cstdint>

#define DV_ART(id)                           \
  extern const std::uint8_t kArt_##id[];     \
  extern const std::size_t kArt_##id##_size; \
  inline Bytes id() { return {kArt_##id, kArt_##id##_size}; }

namespace dv::art {
DV_ART(dayvane_ico)
DV_ART(splash_bmp)
DV_ART(logo_ico)
DV_ART(dayvane_16_png)
DV_ART(dayvane_22_png)
DV_ART(dayvane_24_png)
DV_ART(dayvane_32_png)
DV_ART(dayvane_48_png)
}  // namespace dv::art

#undef DV_ART

namespace dv {

Bytes ProgramIconFile() { return art::dayvane_ico(); }
Bytes SplashBitmapFile() { return art::splash_bmp(); }
Bytes LogoIconFile() { return art::logo_ico(); }

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

}  // namespace dv
