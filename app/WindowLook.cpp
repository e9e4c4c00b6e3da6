#include "app/WindowLook.h"

#include <QPalette>
#include <QWidget>

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

}  // namespace kestralux
