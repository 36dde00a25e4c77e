// Screen geometry in pixels, and twips: the rules both front ends place
// windows by, and the placement keeper checks sizes with.
#pragma once

#include <optional>
#include <vector>

#include "platform/convert.h"

namespace dv {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const Rect&) const = default;
};

// The work area that a window at `window` (pixels) lands on: the one that
// shows the most of it, else the nearest; null without work areas.
const Rect* LandingArea(const Rect& window, const std::vector<Rect>& work_areas);

// Where a window at `window` (pixels) goes when it is shown: wholly inside
// the work area it lands on, moved there by the least distance, and shrunk
// to that work area where it is larger. A window saved on a larger screen,
// at a lower resolution or on a monitor that is gone keeps its title bar and
// its buttons within reach.
Rect FitOnScreen(const Rect& window, const std::vector<Rect>& work_areas);

// Where a tip `width` by `height` pixels goes for a window at `anchor`: at
// its left edge just below it, or just above it where the work area ends
// below.
Rect TipAt(const Rect& anchor, int width, int height, const Rect& work_area);

// Twips and pixels.
int TwipsToPixels(Single twips, Single twips_per_pixel);
Single PixelsToTwips(int pixels, Single twips_per_pixel);
// Twips per pixel at a logical resolution of `dpi` dots per inch.
Single TwipsPerPixelAt(double dpi);

// A rectangle in twips as pixels; a negative size becomes 0.
Rect PixelRect(Single left, Single top, Single width, Single height, Single twips_per_pixel);
// Where a window at `outer` (pixels) goes for a Move with one to four
// arguments in twips: the arguments left out keep their current value.
Rect MovedBounds(const Rect& outer, Single left, std::optional<Single> top,
                 std::optional<Single> width, std::optional<Single> height, Single twips_per_pixel);
// The same with the position and the size at scales of their own: on a
// desktop whose monitors differ in resolution, a position is on the scale of
// the whole desktop and a size on that of the window's monitor.
Rect MovedBounds(const Rect& outer, Single left, std::optional<Single> top,
                 std::optional<Single> width, std::optional<Single> height,
                 Single position_twips_per_pixel, Single size_twips_per_pixel);

}  // namespace dv
