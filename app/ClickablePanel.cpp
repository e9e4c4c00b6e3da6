#include "app/ClickablePanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace kestralux {

namespace {

// Bevels keep the classic 3-D edge colours whatever the face colour or the desktop style:
// a lowered panel must read as lowered on purple as well as on red.
const QColor kBevelHighlight(255, 255, 255);
const QColor kBevelShadow(128, 128, 128);

}  // namespace

ClickablePanel::ClickablePanel(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::NoFrame);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::NoFocus);
}

QColor ClickablePanel::bevelHighlight() { return kBevelHighlight; }
QColor ClickablePanel::bevelShadow() { return kBevelShadow; }

void ClickablePanel::setCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void ClickablePanel::setOuterBevel(Bevel bevel) {
  outer_ = bevel;
  update();
}

void ClickablePanel::setInnerBevel(Bevel bevel) {
  inner_ = bevel;
  update();
}

void ClickablePanel::setBevelWidth(int width) {
  bevelWidth_ = width;
  update();
}

void ClickablePanel::setBorderWidth(int width) {
  borderWidth_ = width;
  update();
}

void ClickablePanel::setColour(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  setPalette(p);
}

QColor ClickablePanel::colour() const { return palette().color(QPalette::Window); }

void ClickablePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QPalette edges = palette();
  edges.setColor(QPalette::Light, kBevelHighlight);
  edges.setColor(QPalette::Dark, kBevelShadow);
  QRect area = rect();
  const auto drawBevel = [&](Bevel bevel) {
    if (bevel == Bevel::None) return;
    qDrawShadePanel(&painter, area, edges, bevel == Bevel::Lowered, bevelWidth_);
    area.adjust(bevelWidth_, bevelWidth_, -bevelWidth_, -bevelWidth_);
  };
  drawBevel(outer_);
  area.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
  drawBevel(inner_);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setFont(font());
  // Centred on the whole face, not the inner area: a caption wider than the area still shows.
  painter.drawText(rect(), Qt::AlignCenter, caption_);
}

void ClickablePanel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
}

void ClickablePanel::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = pressed_;
  pressed_ = false;
  if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
}

}  // namespace kestralux
