#include "app/WindowLook.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMainWindow>
#include <QMargins>
#include <QPalette>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

#include "actions/MainWindowZoom.h"
#include "app/LayoutExtent.h"

namespace kestralux {

QFont fontOf(layout::Font font) {
  QFont f(QStringLiteral("Liberation Sans"));
  f.setPixelSize(font.pixelSize);
  f.setBold(font.bold);
  return f;
}

void applyToolWindowLook(QWidget& window) {
  QPalette p = window.palette();
  p.setColor(QPalette::Window, colourOf(layout::kNavy));
  p.setColor(QPalette::WindowText, colourOf(layout::kWhite));
  p.setColor(QPalette::Base, colourOf(layout::kBlack));
  p.setColor(QPalette::AlternateBase, colourOf(layout::kBlack));
  p.setColor(QPalette::Text, colourOf(layout::kAqua));
  p.setColor(QPalette::Highlight, colourOf(layout::kTeal));
  p.setColor(QPalette::HighlightedText, colourOf(layout::kWhite));
  // The search boxes' hints ("SEARCH NAMES", "GAIN >= 7, ...") readable on black.
  p.setColor(QPalette::PlaceholderText, colourOf(layout::kSilver));
  window.setPalette(p);
  window.setAutoFillBackground(true);
  window.setFont(fontOf(layout::kWindowFont));
}

namespace {

constexpr const char* kBesideProperty = "kestraluxBeside";
constexpr const char* kPlacedProperty = "kestraluxPlacedAt";
constexpr const char* kShownProperty = "kestraluxShownBefore";

ScreenRect toScreen(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

QWidget* mainWindowOf(const QWidget& window) {
  if (QWidget* parent = window.parentWidget()) return parent->window();
  return qobject_cast<QWidget*>(window.property(kBesideProperty).value<QObject*>());
}

// A frame the window manager has not drawn yet is taken to be the main window's.
QMargins frameOf(const QWidget& window, const QWidget& mainWindow) {
  const auto margins = [](const QWidget& w) {
    const QRect frame = w.frameGeometry(), inner = w.geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
  };
  const QMargins own = margins(window);
  return own.isNull() ? margins(mainWindow) : own;
}

}  // namespace

void openBeside(QWidget& window, QWidget& mainWindow) {
  window.setProperty(kBesideProperty, QVariant::fromValue<QObject*>(&mainWindow));
}

ScreenRect controlsOnScreen(const QWidget& mainWindow) {
  const auto* area = mainWindow.findChild<const QWidget*>(QStringLiteral("clientArea"));
  const auto* view = mainWindow.findChild<const QAbstractScrollArea*>(QStringLiteral("scrollArea"));
  if (!area || !view) return toScreen(mainWindow.frameGeometry());
  const QVariant zoom = area->property(kZoomProperty);
  const int percent = zoom.isValid() ? zoom.toInt() : kActualSize;
  const QRect layout(area->mapToGlobal(QPoint(0, 0)),
                     QSize(zoomed(layout::kShownExtent.w, percent), zoomed(layout::kShownExtent.h, percent)));
  const QRect shown(view->viewport()->mapToGlobal(QPoint(0, 0)), view->viewport()->size());
  return toScreen(layout & shown);
}

PlacementRequest placementRequest(const QWidget& window, const QWidget& mainWindow, std::optional<ScreenRect> remembered) {
  PlacementRequest request;
  const QScreen* screen = mainWindow.screen() ? mainWindow.screen() : QApplication::primaryScreen();
  request.screen = toScreen(screen->availableGeometry());
  request.controls = controlsOnScreen(mainWindow);
  if (const auto* main = qobject_cast<const QMainWindow*>(&mainWindow); main && main->menuWidget() && main->menuWidget()->isVisible())
    request.menuBar = toScreen(QRect(main->menuWidget()->mapToGlobal(QPoint(0, 0)), main->menuWidget()->size()));
  const QMargins frame = frameOf(window, mainWindow);
  const QSize size = window.size().grownBy(frame);
  const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize()).boundedTo(window.size()).grownBy(frame);
  request.size = {size.width(), size.height()};
  request.minimum = {least.width(), least.height()};
  request.remembered = remembered;
  return request;
}

void showBeside(QWidget& window, const char* geometryKey, QSize firstSize) {
  QWidget* mainWindow = mainWindowOf(window);
  if (window.isHidden() && mainWindow) {
    // The user's place: where the window was moved to in this run, else the one kept from
    // an earlier run.
    bool users = false;
    if (window.property(kShownProperty).toBool()) {
      const QVariant placed = window.property(kPlacedProperty);
      users = !placed.isValid() || placed.toRect() != window.geometry();
    } else if (geometryKey) {
      const QByteArray remembered = QSettings().value(QLatin1String(geometryKey)).toByteArray();
      users = !remembered.isEmpty() && window.restoreGeometry(remembered);
    }
    if (!users) {
      if (firstSize.isValid())
        window.resize(firstSize);
      else
        window.adjustSize();
    }
    const QMargins frame = frameOf(window, *mainWindow);
    std::optional<ScreenRect> was;
    if (users) was = toScreen(window.geometry().marginsAdded(frame));
    const ScreenRect placed = placeSideWindow(placementRequest(window, *mainWindow, was));
    window.setGeometry(QRect(placed.x, placed.y, placed.w, placed.h).marginsRemoved(frame));
    window.setProperty(kPlacedProperty, users ? QVariant() : QVariant(window.geometry()));
    window.setProperty(kShownProperty, true);
  }
  window.show();
  window.raise();
  window.activateWindow();
}

void rememberPlace(const QWidget& window, const char* geometryKey) {
  const QVariant placed = window.property(kPlacedProperty);
  if (placed.isValid() && placed.toRect() == window.geometry())
    QSettings().remove(QLatin1String(geometryKey));
  else
    QSettings().setValue(QLatin1String(geometryKey), window.saveGeometry());
}

}  // namespace kestralux
