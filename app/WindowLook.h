#pragma once
// The editor's colours and fonts as Qt takes them, and the one look of the windows beside the
// main window (bank, explore, history): navy with white captions, lists black with aqua text.

#include <QColor>
#include <QFont>
#include <QSize>

#include "app/MainWindowLayout.h"

class QWidget;

namespace kestralux {

inline QColor colourOf(layout::Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

// "Arial" and "MS Sans Serif" both map to Liberation Sans: metric-compatible, so the text
// fits the pixel layout.
QFont fontOf(layout::Font font);

// The palette and font of a window beside the main window; its buttons keep the desktop's.
void applyToolWindowLook(QWidget& window);

// Shows a window of the main window's where it was last (its geometry kept in the settings
// under `geometryKey`), or the first time right of the main window when there is room, else in
// the screen's corner away from the main window's controls; then raised and active. A first
// showing takes `firstSize`, or the window's own size when that is empty.
void showBeside(QWidget& window, const char* geometryKey, QSize firstSize = {});

}  // namespace kestralux
