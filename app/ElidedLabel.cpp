#include "app/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace kestralux {

QString ElidedLabel::shownText() const {
  const int room = contentsRect().width() - 2 * margin();
  // Exactly as wide as its room is whole; only a wider text is shortened.
  if (fontMetrics().horizontalAdvance(text()) <= room) return text();
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, room);
}

QSize ElidedLabel::minimumSizeHint() const {
  // As narrow as an ellipsis: the window's layout never grows for the text.
  return {fontMetrics().horizontalAdvance(QChar(0x2026)) + 2 * margin(), QLabel::minimumSizeHint().height()};
}

bool ElidedLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (elided())
      QToolTip::showText(help->globalPos(), text(), this);
    else
      QToolTip::hideText();
    return true;
  }
  return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(), shownText(), foregroundRole());
}

}  // namespace kestralux
