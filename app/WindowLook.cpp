#include "app/WindowLook.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

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

void showBeside(QWidget& window, const char* geometryKey, QSize firstSize) {
  const QByteArray remembered = QSettings().value(QLatin1String(geometryKey)).toByteArray();
  const bool fresh = window.isHidden() && (remembered.isEmpty() || !window.restoreGeometry(remembered));
  if (fresh && firstSize.isValid()) window.resize(firstSize);
  window.show();
  if (fresh) {
    if (!firstSize.isValid()) window.adjustSize();
    const QWidget& form = window.parentWidget() ? *window.parentWidget() : window;
    const QRect main = form.frameGeometry();
    const QRect screen = (form.screen() ? form.screen() : QApplication::primaryScreen())->availableGeometry();
    // The title bar, whether or not the window manager has framed the window yet.
    const int frameHeight = std::max(window.frameGeometry().height(), window.height() + 32);
    // Beside a maximised main window: in the corner away from its controls, which start at its
    // top left.
    if (main.right() + 1 + window.frameGeometry().width() <= screen.right())
      window.move(main.right() + 1, std::max(screen.top(), main.top()));
    else
      window.move(std::max(screen.left(), screen.right() - window.frameGeometry().width()),
                  std::max(screen.top(), screen.bottom() - frameHeight));
  }
  window.raise();
  window.activateWindow();
}

}  // namespace kestralux
