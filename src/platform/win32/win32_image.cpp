#include "platform/win32/win32_image.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/records.h"

namespace dv::win32 {

HICON IconFromFile(Bytes file, int size) {
  const Bytes image = IconImage(file, size);
  if (image.empty()) return nullptr;
  // The image is read in place: copy it to an aligned buffer first.
  std::vector<std::uint32_t> aligned((image.size() + 3) / 4);
  std::memcpy(aligned.data(), image.data(), image.size());
  return CreateIconFromResourceEx(reinterpret_cast<PBYTE>(aligned.data()),
                                  static_cast<DWORD>(image.size()), TRUE, 0x00030000, size, size,
                                  LR_DEFAULTCOLOR);
}

Picture::Picture(Bytes bitmap_file) {
  constexpr std::size_t kFileHeader = 14;
  if (bitmap_file.size() <= kFileHeader + sizeof(BITMAPINFOHEADER) || bitmap_file[0] != 'B' ||
      bitmap_file[1] != 'M') {
    return;
  }
  const std::uint32_t bits = Get32(bitmap_file, 10);
  if (bits < kFileHeader + sizeof(BITMAPINFOHEADER) || bits >= bitmap_file.size()) return;
  info_.assign(bitmap_file.begin() + kFileHeader, bitmap_file.end());
  bits_ = bits - kFileHeader;
}

void Picture::Draw(HDC dc, const RECT& r) const {
  if (empty()) return;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(info_.data());
  const LONG width = info->bmiHeader.biWidth;
  const LONG height = std::abs(info->bmiHeader.biHeight);
  const LONG r_width = r.right - r.left;
  const LONG r_height = r.bottom - r.top;
  if (r_width != width || r_height != height) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
  }
  StretchDIBits(dc, r.left, r.top, r_width, r_height, 0, 0, width, height, info_.data() + bits_,
                info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace dv::win32
