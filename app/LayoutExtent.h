#pragma once
// How far the main window's shown controls reach from the client area's top left, at 100 %:
// what a tool window must not cover and what FIT TO WINDOW fits.

#include "app/MainWindowLayout.h"

namespace kestralux::layout {

struct Extent {
  int w = 0, h = 0;
};

constexpr Extent shownExtent() {
  Extent e;
  for (const ControlRow& row : kControls) {
    if (!row.parent.empty() || !row.visible) continue;
    if (row.x + row.w > e.w) e.w = row.x + row.w;
    if (row.y + row.h > e.h) e.h = row.y + row.h;
  }
  return e;
}

inline constexpr Extent kShownExtent = shownExtent();
// A little navy right of and below the last control when the layout is fitted to a window.
inline constexpr int kFitMargin = 8;

}  // namespace kestralux::layout
