// The main window at a zoom: every row of the layout tables again, its place, size and font
// multiplied by one factor, so the window keeps its proportions at any size.

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>

#include <algorithm>

#include "actions/MainWindowZoom.h"
#include "app/Artwork.h"
#include "app/ClickablePanel.h"
#include "app/Latin1.h"
#include "app/MainWindowLayout.h"
#include "app/MainWindowUi.h"
#include "app/WindowLook.h"

namespace kestralux {

void MainWindowUi::applyZoom(int percent) {
  zoomPercent_ = percent;
  clientArea->setProperty(kZoomProperty, percent);
  clientArea->setFixedSize(zoomed(layout::kClientWidth, percent), zoomed(layout::kClientHeight, percent));
  layout::Font windowFont = layout::kWindowFont;
  windowFont.pixelSize = zoomedFontPixels(windowFont.pixelSize, percent);
  clientArea->setFont(fontOf(windowFont));

  for (const layout::ControlRow& row : layout::kControls) {
    auto* widget = clientArea->findChild<QWidget*>(latin1(row.name));
    if (!widget) continue;
    const ZoomedRect r = zoomedRect(row.x, row.y, row.w, row.h, percent);
    widget->setGeometry(r.x, r.y, r.w, r.h);
    layout::Font font = row.font;
    font.pixelSize = zoomedFontPixels(font.pixelSize, percent);
    widget->setFont(fontOf(font));
    if (row.kind == layout::Label && row.name != "Label2") fitCaption(*static_cast<QLabel*>(widget));
    if (row.kind == layout::Picture) {
      // The logo drawn anew at the factor; at 100 % its own pixels.
      const QImage logo = makeWindowLogo();
      static_cast<QLabel*>(widget)->setPixmap(QPixmap::fromImage(
          percent == kActualSize ? logo
                                 : logo.scaled(zoomed(logo.width(), percent), zoomed(logo.height(), percent),
                                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }
    if (row.kind == layout::RadioButton) {
      widget->setProperty(kZoomProperty, percent);
      widget->updateGeometry();
    }
  }
  // Bevels and borders stay at least a pixel wide, so a raised panel still reads as raised.
  const auto frameWidth = [percent](int pixels) { return std::max(1, zoomed(pixels, percent)); };
  for (ClickablePanel* panel : clientArea->findChildren<ClickablePanel*>()) {
    panel->setBevelWidth(frameWidth(layout::kPanelBevelWidth));
    panel->setBorderWidth(frameWidth(panel == Panel1 ? layout::kEffectFrameBorderWidth : layout::kPanelBorderWidth));
  }
  Label2->setMaximumWidth(zoomed(layout::kStatusLabelRoom, percent));
  if (Label2->isVisible()) Label2->adjustSize();
}

}  // namespace kestralux
