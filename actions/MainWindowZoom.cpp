#include "actions/MainWindowZoom.h"

#include <algorithm>
#include <cmath>

namespace kestralux {

int zoomed(int length, int percent) { return static_cast<int>(std::lround(length * static_cast<double>(percent) / 100.0)); }

ZoomedRect zoomedRect(int x, int y, int w, int h, int percent) {
  const int left = zoomed(x, percent);
  const int top = zoomed(y, percent);
  return {left, top, zoomed(x + w, percent) - left, zoomed(y + h, percent) - top};
}

int zoomedFontPixels(int pixels, int percent) { return std::max(1, zoomed(pixels, percent)); }

int zoomStepIn(int percent) {
  for (const int step : kZoomSteps)
    if (step > percent) return step;
  return kMostZoom;
}

int zoomStepOut(int percent) {
  for (auto step = std::rbegin(kZoomSteps); step != std::rend(kZoomSteps); ++step)
    if (*step < percent) return *step;
  return kLeastZoom;
}

int fitPercent(int roomWidth, int roomHeight, int width, int height) {
  if (width <= 0 || height <= 0) return kActualSize;
  const long long across = 100LL * std::max(roomWidth, 0) / width;
  const long long down = 100LL * std::max(roomHeight, 0) / height;
  return static_cast<int>(std::clamp<long long>(std::min(across, down), kLeastZoom, kMostZoom));
}

MainWindowZoom::MainWindowZoom(int percent) : percent_(std::clamp(percent, kLeastZoom, kMostZoom)) {}

void MainWindowZoom::set(int percent) {
  percent = std::clamp(percent, kLeastZoom, kMostZoom);
  if (percent == percent_) return;
  percent_ = percent;
  if (changed) changed(percent_);
}

}  // namespace kestralux
