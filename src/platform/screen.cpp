#include "platform/screen.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace dv {

namespace {

// In 64 bits: the edges of a window with a size from a corrupt store do not
// fit in an int.
using Wide = std::int64_t;

// How far apart two ranges [a0, a1) and [b0, b1) are; 0 when they overlap.
Wide Gap(Wide a0, Wide a1, Wide b0, Wide b1) { return std::max({Wide{0}, b0 - a1, a0 - b1}); }

Wide Overlap(Wide a0, Wide a1, Wide b0, Wide b1) {
  return std::max(Wide{0}, std::min(a1, b1) - std::max(a0, b0));
}

Wide Right(const Rect& r) { return Wide{r.left} + r.width; }
Wide Bottom(const Rect& r) { return Wide{r.top} + r.height; }

}  // namespace

const Rect* LandingArea(const Rect& window, const std::vector<Rect>& work_areas) {
  const Rect* landing = nullptr;
  Wide most = 0;
  for (const Rect& area : work_areas) {
    const Wide shown = Overlap(window.left, Right(window), area.left, Right(area)) *
                       Overlap(window.top, Bottom(window), area.top, Bottom(area));
    if (shown > most) {
      most = shown;
      landing = &area;
    }
  }
  if (landing != nullptr) return landing;
  Wide best = std::numeric_limits<Wide>::max();
  for (const Rect& area : work_areas) {
    const Wide dx = Gap(window.left, Right(window), area.left, Right(area));
    const Wide dy = Gap(window.top, Bottom(window), area.top, Bottom(area));
    // Gaps stay below 2^33: their squares cannot overflow.
    const Wide distance = dx * dx + dy * dy;
    if (distance < best) {
      best = distance;
      landing = &area;
    }
  }
  return landing;
}

Rect FitOnScreen(const Rect& window, const std::vector<Rect>& work_areas) {
  const Rect* landing = LandingArea(window, work_areas);
  if (landing == nullptr) return window;
  Rect fitted = window;
  fitted.width = std::min(window.width, landing->width);
  fitted.height = std::min(window.height, landing->height);
  fitted.left = std::clamp(window.left, landing->left, landing->right() - fitted.width);
  fitted.top = std::clamp(window.top, landing->top, landing->bottom() - fitted.height);
  return fitted;
}

int TwipsToPixels(Single twips, Single twips_per_pixel) {
  return static_cast<int>(std::lround(twips / twips_per_pixel));
}

Single PixelsToTwips(int pixels, Single twips_per_pixel) {
  return static_cast<Single>(pixels) * twips_per_pixel;
}

Single TwipsPerPixelAt(double dpi) {
  if (!(dpi > 0)) return 15.0F;
  return static_cast<Single>(1440.0 / dpi);
}

Rect PixelRect(Single left, Single top, Single width, Single height, Single twips_per_pixel) {
  return {TwipsToPixels(left, twips_per_pixel), TwipsToPixels(top, twips_per_pixel),
          std::max(0, TwipsToPixels(width, twips_per_pixel)),
          std::max(0, TwipsToPixels(height, twips_per_pixel))};
}

Rect MovedBounds(const Rect& outer, Single left, std::optional<Single> top,
                 std::optional<Single> width, std::optional<Single> height,
                 Single twips_per_pixel) {
  return MovedBounds(outer, left, top, width, height, twips_per_pixel, twips_per_pixel);
}

Rect MovedBounds(const Rect& outer, Single left, std::optional<Single> top,
                 std::optional<Single> width, std::optional<Single> height,
                 Single position_twips_per_pixel, Single size_twips_per_pixel) {
  Rect moved = outer;
  moved.left = TwipsToPixels(left, position_twips_per_pixel);
  if (top) moved.top = TwipsToPixels(*top, position_twips_per_pixel);
  if (width) moved.width = std::max(0, TwipsToPixels(*width, size_twips_per_pixel));
  if (height) moved.height = std::max(0, TwipsToPixels(*height, size_twips_per_pixel));
  return moved;
}

Rect TipAt(const Rect& anchor, int width, int height, const Rect& work_area) {
  constexpr int kGap = 2;
  Rect tip{anchor.left, anchor.bottom() + kGap, width, height};
  if (tip.bottom() > work_area.bottom()) tip.top = anchor.top - kGap - height;
  return tip;
}

}  // namespace dv
