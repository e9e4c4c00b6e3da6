#pragma once
// The main window's zoom: one factor, in percent, for every position, size and font of the
// layout tables. Steps for Ctrl+Plus and Ctrl+Minus, 100 % for Ctrl+0, and the factor that
// fits the layout into the window. 100 % is the layout's own pixels.

#include <functional>
#include <span>

namespace kestralux {

inline constexpr int kZoomSteps[] = {50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
inline constexpr int kActualSize = 100;
inline constexpr int kLeastZoom = kZoomSteps[0];
inline constexpr int kMostZoom = kZoomSteps[std::size(kZoomSteps) - 1];

// A length of the layout at `percent`, rounded to the nearest pixel.
int zoomed(int length, int percent);

struct ZoomedRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const ZoomedRect&) const = default;
};

// Both edges are zoomed, not the width: two controls that meet or stand apart at 100 % meet or
// stand apart at every factor, and none grows into its neighbour by rounding.
ZoomedRect zoomedRect(int x, int y, int w, int h, int percent);

// A font's pixel size at `percent`; never below one pixel.
int zoomedFontPixels(int pixels, int percent);

// The next step above or below `percent` (which may lie between steps after a fit).
int zoomStepIn(int percent);
int zoomStepOut(int percent);

// The largest whole percent at which `width` x `height` of layout fits into the room given,
// within the steps' range.
int fitPercent(int roomWidth, int roomHeight, int width, int height);

// What the zoom commands do; the window applies the factor when `changed` says it moved.
class MainWindowZoom {
 public:
  explicit MainWindowZoom(int percent = kActualSize);

  int percent() const { return percent_; }
  void zoomIn() { set(zoomStepIn(percent_)); }
  void zoomOut() { set(zoomStepOut(percent_)); }
  void actualSize() { set(kActualSize); }
  void fit(int roomWidth, int roomHeight, int width, int height) { set(fitPercent(roomWidth, roomHeight, width, height)); }
  // A remembered factor; one outside the range is taken as the nearest end of it.
  void set(int percent);

  std::function<void(int percent)> changed;

 private:
  int percent_;
};

}  // namespace kestralux
