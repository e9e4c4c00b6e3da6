#include "app/UpDownArrows.h"

#include <QApplication>
#include <QToolButton>
#include <algorithm>

namespace kestralux {

UpDownArrows::UpDownArrows(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setObjectName("up");
  down_->setObjectName("down");
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  // The arrows keep the desktop's button look whatever colours the window around them has.
  const QPalette standard = QApplication::palette(up_);
  QPalette arrowPalette;
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Button,
                                   QPalette::ButtonText, QPalette::Light, QPalette::Dark})
    arrowPalette.setColor(role, standard.color(role));
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setPalette(arrowPalette);
  }
  connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDownArrows::setRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  position_ = std::clamp(position_, minimum_, maximum_);
}

void UpDownArrows::setPosition(int position) { position_ = std::clamp(position, minimum_, maximum_); }

void UpDownArrows::step(int delta) {
  setPosition(position_ + delta);
  emit clicked();
}

void UpDownArrows::resizeEvent(QResizeEvent*) {
  const int upperHeight = height() / 2;
  up_->setGeometry(0, 0, width(), upperHeight);
  down_->setGeometry(0, upperHeight, width(), height() - upperHeight);
}

}  // namespace kestralux
