// Icons and pictures from the bytes of icon and bitmap files.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/design.h"
#include "platform/win32/win32_api.h"

namespace dv::win32 {

// The icon of an icon file drawn for `size` px (square), as IconImage
// chooses it, scaled to `size`; with size 0, the first image at its own
// size. Null for a broken file. The caller destroys it.
HICON IconFromFile(Bytes file, int size = 0);

// A bitmap file's picture, drawn over a whole rectangle.
class Picture {
 public:
  // Empty for anything but a bitmap file.
  explicit Picture(Bytes bitmap_file);
  bool empty() const { return info_.empty(); }
  // Stretched to fill `r`, smoothly when its size is not the picture's.
  void Draw(HDC dc, const RECT& r) const;

 private:
  std::vector<std::uint8_t> info_;  // the file without its 14-byte header
  std::size_t bits_ = 0;            // where the bits start in info_
};

}  // namespace dv::win32
