#include "actions/WindowPlacement.h"

#include <algorithm>
#include <array>
#include <limits>

namespace kestralux {

long long ScreenRect::overlapArea(const ScreenRect& other) const {
  const long long across = std::min(right(), other.right()) - std::max(x, other.x);
  const long long down = std::min(bottom(), other.bottom()) - std::max(y, other.y);
  return across > 0 && down > 0 ? across * down : 0;
}

bool ScreenRect::contains(const ScreenRect& other) const {
  return other.x >= x && other.y >= y && other.right() <= right() && other.bottom() <= bottom();
}

namespace {

// The part of the screen below the menu bar when the menu bar spans it; the whole screen
// otherwise (the main window restored, small, somewhere in the middle).
ScreenRect usable(const PlacementRequest& r) {
  ScreenRect area = r.screen;
  if (!r.menuBar.empty() && r.menuBar.y < area.y + area.h / 2 && r.menuBar.overlapArea(area) > 0) {
    const int top = std::max(area.y, r.menuBar.bottom());
    area.h -= top - area.y;
    area.y = top;
  }
  return area;
}

ScreenRect clampInto(ScreenRect window, const ScreenRect& area) {
  window.w = std::min(window.w, area.w);
  window.h = std::min(window.h, area.h);
  window.x = std::clamp(window.x, area.x, area.right() - window.w);
  window.y = std::clamp(window.y, area.y, area.bottom() - window.h);
  return window;
}

// How bad a place is: what it hides of the controls, and far worse, of the menu bar.
long long cover(const ScreenRect& window, const PlacementRequest& r) {
  return window.overlapArea(r.controls) + 1000LL * window.overlapArea(r.menuBar);
}

}  // namespace

ScreenRect placeSideWindow(const PlacementRequest& r) {
  const ScreenRect area = usable(r);
  const ScreenSize want{std::max(r.size.w, 1), std::max(r.size.h, 1)};
  const ScreenSize least{std::clamp(r.minimum.w, 1, want.w), std::clamp(r.minimum.h, 1, want.h)};

  if (r.remembered && !r.remembered->empty()) {
    // Where the user put it, as long as its title bar is still on the screen; a place on a
    // screen that went away is forgotten, and the window opens as the first time.
    const ScreenRect& was = *r.remembered;
    const ScreenRect titleBar{was.x, was.y, was.w, std::min(was.h, 24)};
    if (titleBar.overlapArea(r.screen) * 2 >= static_cast<long long>(titleBar.w) * titleBar.h) return was;
  }

  // The free bands right of and below the controls, then left and above them; a window that
  // fits one in its least size takes as much of its own size as the band gives.
  const int rightStart = r.controls.right() + kBesideGap;
  const int belowStart = r.controls.bottom() + kBesideGap;
  const std::array<ScreenRect, 4> bands = {
      ScreenRect{rightStart, area.y, area.right() - rightStart, area.h},
      ScreenRect{area.x, belowStart, area.w, area.bottom() - belowStart},
      ScreenRect{area.x, area.y, r.controls.x - kBesideGap - area.x, area.h},
      ScreenRect{area.x, area.y, area.w, r.controls.y - kBesideGap - area.y},
  };
  for (std::size_t n = 0; n < bands.size(); ++n) {
    ScreenRect band = bands[n];
    band.x = std::max(band.x, area.x);
    band.y = std::max(band.y, area.y);
    band.w = std::min(band.right(), area.right()) - band.x;
    band.h = std::min(band.bottom(), area.bottom()) - band.y;
    if (band.w < least.w || band.h < least.h) continue;
    ScreenRect window{band.x, band.y, std::min(want.w, band.w), std::min(want.h, band.h)};
    // Beside the controls, level with their top; below them, at their left edge.
    if (n == 0 || n == 2) window.y = std::clamp(r.controls.y, band.y, band.bottom() - window.h);
    if (n == 2) window.x = band.right() - window.w;
    if (n == 1 || n == 3) window.x = std::clamp(r.controls.x, band.x, band.right() - window.w);
    if (n == 3) window.y = band.bottom() - window.h;
    return window;
  }

  // No room anywhere: the screen's corner or edge where it hides the least, in its own size.
  const ScreenRect own = clampInto({area.x, area.y, want.w, want.h}, area);
  const std::array<ScreenRect, 5> corners = {
      ScreenRect{area.right() - own.w, area.bottom() - own.h, own.w, own.h},
      ScreenRect{area.right() - own.w, area.y, own.w, own.h},
      ScreenRect{area.x, area.bottom() - own.h, own.w, own.h},
      ScreenRect{rightStart, area.bottom() - own.h, own.w, own.h},
      ScreenRect{area.x, belowStart, own.w, own.h},
  };
  ScreenRect best = corners[0];
  long long bestCover = std::numeric_limits<long long>::max();
  for (const ScreenRect& corner : corners) {
    const ScreenRect window = clampInto(corner, area);
    if (const long long c = cover(window, r); c < bestCover) {
      best = window;
      bestCover = c;
    }
  }
  return best;
}

}  // namespace kestralux
