#pragma once
// The editor's colours and fonts as Qt takes them, and the one look of the windows beside the
// main window (bank, explore, history): navy with white captions, lists black with aqua text.

#include <QColor>
#include <QFont>
#include <QSize>

#include <optional>

#include "actions/WindowPlacement.h"
#include "app/MainWindowLayout.h"

class QWidget;

namespace kestralux {

inline QColor colourOf(layout::Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

// "Arial" and "MS Sans Serif" both map to Liberation Sans: metric-compatible, so the text
// fits the pixel layout.
QFont fontOf(layout::Font font);

// The palette and font of a window beside the main window; its buttons keep the desktop's.
void applyToolWindowLook(QWidget& window);

// The main window a tool window opens beside: its parent, or the one given here for a window
// of its own.
void openBeside(QWidget& window, QWidget& mainWindow);

// The main window's controls on screen, as far as its view shows them at its zoom.
ScreenRect controlsOnScreen(const QWidget& mainWindow);
// What placeSideWindow is asked for `window` beside `mainWindow`, frames included.
PlacementRequest placementRequest(const QWidget& window, const QWidget& mainWindow, std::optional<ScreenRect> remembered);

// Shows a tool window where the user last put it (in this run, or in an earlier one when its
// geometry is kept in the settings under `geometryKey`), or else where placeSideWindow says
// beside the main window; then raised and active. A window placed by the rule takes
// `firstSize`, or its own size when that is empty.
void showBeside(QWidget& window, const char* geometryKey, QSize firstSize = {});
// On hiding: a window the user moved or resized keeps that place; one left where it was put is
// placed anew next time, beside the main window as it is then.
void rememberPlace(const QWidget& window, const char* geometryKey);

// The main window's client area carries its zoom here, for the tool windows' placement.
inline constexpr const char* kZoomProperty = "kestraluxZoom";

}  // namespace kestralux
