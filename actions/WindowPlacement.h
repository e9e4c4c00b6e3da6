#pragma once
// Where a tool window of the main window opens (the bank, explore, history, setup and help
// windows, and any other beside the main window): never over the menu bar, never over the
// controls when the screen has room beside them, and otherwise where it covers the fewest of
// them. A window the user put somewhere opens there again. Plain rectangles in screen
// pixels, so every window takes the same rule and a test can check it without a display.

#include <optional>

namespace kestralux {

struct ScreenRect {
  int x = 0, y = 0, w = 0, h = 0;
  int right() const { return x + w; }  // one past the last column
  int bottom() const { return y + h; }
  bool empty() const { return w <= 0 || h <= 0; }
  // Pixels that lie in both.
  long long overlapArea(const ScreenRect& other) const;
  bool contains(const ScreenRect& other) const;
  bool operator==(const ScreenRect&) const = default;
};

struct ScreenSize {
  int w = 0, h = 0;
  bool operator==(const ScreenSize&) const = default;
};

struct PlacementRequest {
  // The part of the screen windows may use (without the desktop's panels).
  ScreenRect screen;
  // The main window's controls as they are on screen now, and its menu bar.
  ScreenRect controls;
  ScreenRect menuBar;
  // The window's size with its frame, and the least it can be made without losing a control.
  ScreenSize size;
  ScreenSize minimum;
  // Where the user left it, frame included; nothing the first time.
  std::optional<ScreenRect> remembered;
};

// Pixels between the main window's controls and a window put beside them.
inline constexpr int kBesideGap = 6;

// The frame rectangle the window takes.
ScreenRect placeSideWindow(const PlacementRequest& request);

}  // namespace kestralux
